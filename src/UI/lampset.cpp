#include "UI/lampset.h"

#include <QtGui/qopengl.h>
#include <algorithm>
#include <cmath>

namespace Ui {

LampSet::LampSet() : count(1), radius{}, elevation{}, azimuth{}, position{}, active(1)
{
    for (int i = 0; i < maxLamps; ++i) {
        // OpenGL's own default: a directional light along +z.
        position[i][0] = 0.0f;
        position[i][1] = 0.0f;
        position[i][2] = 1.0f;
        position[i][3] = 0.0f;
    }
    position[0][3] = 1.0f;
    radius[0] = 300.0f;
    azimuth[0] = static_cast<float>(M_PI / 3.0);
    elevation[0] = static_cast<float>(M_PI / 4.0);
    enabled.set(0);
    updatePosition(1);
}

void LampSet::setCount(int lamps)
{
    count = static_cast<uint32_t>(std::clamp(lamps, 1, maxLamps));
}

void LampSet::setRadius(int lamp, float r)
{
    if (!contains(lamp))
        return;
    radius[lamp - 1] = r;
    updatePosition(lamp);
}

void LampSet::setAngles(int lamp, float lampAzimuth, float lampElevation)
{
    if (!contains(lamp))
        return;
    azimuth[lamp - 1] = lampAzimuth;
    elevation[lamp - 1] = lampElevation;
    updatePosition(lamp);
}

void LampSet::setEnabled(int lamp, bool on)
{
    if (contains(lamp))
        enabled.set(static_cast<size_t>(lamp - 1), on);
}

bool LampSet::isEnabled(int lamp) const
{
    return contains(lamp) && enabled.test(static_cast<size_t>(lamp - 1));
}

float LampSet::getRadius(int lamp) const { return contains(lamp) ? radius[lamp - 1] : 0.0f; }
float LampSet::getAzimuth(int lamp) const { return contains(lamp) ? azimuth[lamp - 1] : 0.0f; }
float LampSet::getElevation(int lamp) const { return contains(lamp) ? elevation[lamp - 1] : 0.0f; }

const float *LampSet::getPosition(int lamp) const
{
    static const float none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    return lamp >= 1 && lamp <= maxLamps ? position[lamp - 1] : none;
}

void LampSet::switchActive()
{
    active = active >= static_cast<int32_t>(count) ? 1 : active + 1;
}

void LampSet::updatePosition(int lamp)
{
    const int i = lamp - 1;
    const double r = radius[i];
    const double a = azimuth[i];
    const double e = elevation[i];
    position[i][0] = static_cast<float>(std::cos(a) * std::cos(e) * r);
    position[i][1] = static_cast<float>(std::sin(a) * std::cos(e) * r);
    position[i][2] = static_cast<float>(std::sin(e) * r);
    // w stays: lamp 1 is a point light, the others keep their initial w.
}

void LampSet::applyPositions() const
{
    for (int i = 0; i < static_cast<int>(count); ++i)
        glLightfv(static_cast<GLenum>(GL_LIGHT0 + i), GL_POSITION, position[i]);
}

void LampSet::applySwitches() const
{
    for (int i = 0; i < maxLamps; ++i) {
        const GLenum light = static_cast<GLenum>(GL_LIGHT0 + i);
        if (i < static_cast<int>(count) && enabled.test(static_cast<size_t>(i)))
            glEnable(light);
        else
            glDisable(light);
    }
}

} // namespace Ui
