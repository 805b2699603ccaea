#include "Model/ModelExtraction/extractedmodel.h"

#include "Model/Geometry/quadface.h"

#include <QOpenGLContext>
#include <GL/gl.h>

namespace Model {
namespace ModelExtraction {

const float ExtractedModel::palette[14][3] = {
    {1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 1.0f},
    {1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, {0.5f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.0f}, {0.5f, 0.5f, 0.5f},
    {0.0f, 0.5f, 0.0f}, {0.0f, 0.5f, 0.5f}, {0.5f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.5f},
};

namespace {

using Geometry::QuadFace;

void boxCorner(const RectangularCuboidEnvelope &b, const int8_t *offset)
{
    glVertex3d(b.x + offset[0] * b.sizeX, b.y + offset[1] * b.sizeY,
               (b.z + offset[2] * b.sizeZ) * ExtractedModel::layerHeight);
}

} // namespace

void ExtractedModel::move(Util::Vector3D delta)
{
    displacement[0] += static_cast<float>(delta.x);
    displacement[1] += static_cast<float>(delta.y);
    displacement[2] += static_cast<float>(delta.z);
}

void ExtractedModel::emitBoxes(bool colored) const
{
    size_t colour = 0;
    glBegin(GL_QUADS);
    for (const BlockPtr &block : blocks) {
        if (colored) {
            glColor3fv(palette[colour]);
            colour = (colour + 1) % 14;
        }
        for (int side = 0; side < 6; ++side) {
            glNormal3fv(QuadFace::normals[side]);
            for (int k = 0; k < 4; ++k)
                boxCorner(*block, QuadFace::cornerOffsets[side][k]);
        }
    }
    glEnd();
}

void ExtractedModel::draw(bool, bool, Util::Vector3D)
{
    if (!QOpenGLContext::currentContext())
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(displacement[0], displacement[1], displacement[2]);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT);
    glEnable(GL_COLOR_MATERIAL);
    // Faces pushed back a little so that the edges drawn over them stay visible.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    emitBoxes(true);

    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    glColor3f(0.25f, 0.25f, 0.25f);
    for (const BlockPtr &block : blocks) {
        for (int side = 0; side < 6; ++side) {
            glBegin(GL_LINE_LOOP);
            for (int k = 0; k < 4; ++k)
                boxCorner(*block, QuadFace::cornerOffsets[side][k]);
            glEnd();
        }
    }
    glPopAttrib();
    glPopMatrix();
}

void ExtractedModel::drawForPicking()
{
    if (!QOpenGLContext::currentContext())
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(displacement[0], displacement[1], displacement[2]);
    emitBoxes(false);
    glPopMatrix();
}

} // namespace ModelExtraction
} // namespace Model
