#include "UI/gridplane.h"

#include <QtGui/qopengl.h>
#include <cmath>

namespace Ui {

GridPlane::GridPlane()
    : minX(-300), minY(-300), maxX(300), maxY(300), z(0), spacing(10), colour(0.7, 0.7, 0.7, 1.0)
{
}

void GridPlane::setBounds(float x0, float y0, float x1, float y1)
{
    minX = x0;
    minY = y0;
    maxX = x1;
    maxY = y1;
}

bool GridPlane::setSpacing(float s)
{
    if (!(s > 0.0f) || !std::isfinite(s))
        return false;
    spacing = s;
    return true;
}

void GridPlane::draw(const Util::Vector4D &lineColour) const
{
    if (!(spacing > 0.0f))
        return;
    const float s = spacing;
    const float firstX = std::floor(minX / s);
    const float firstY = std::floor(minY / s);
    const int linesX = static_cast<int>(std::ceil((maxX - minX) / s));
    const int linesY = static_cast<int>(std::ceil((maxY - minY) / s));
    const float y0 = firstY * s;
    const float y1 = std::ceil(maxY / s) * s;
    const float x0 = firstX * s;
    const float x1 = std::ceil(maxX / s) * s;

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glColor4d(lineColour.x, lineColour.y, lineColour.z, lineColour.w);
    glBegin(GL_LINES);
    for (int k = 0; k <= linesX; ++k) {
        const float x = (firstX + static_cast<float>(k)) * s;
        glVertex3f(x, y0, z);
        glVertex3f(x, y1, z);
    }
    for (int k = 0; k <= linesY; ++k) {
        const float y = (firstY + static_cast<float>(k)) * s;
        glVertex3f(x0, y, z);
        glVertex3f(x1, y, z);
    }
    glEnd();
    glPopAttrib();
}

} // namespace Ui
