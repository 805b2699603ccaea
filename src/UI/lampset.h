#pragma once

#include <bitset>
#include <cstdint>

namespace Ui {

// Up to eight lamps fixed to the camera. Lamps are numbered from 1; lamp i is OpenGL
// light GL_LIGHT0 + i - 1. Calls with a lamp number outside 1..count do nothing.
class LampSet
{
public:
    static constexpr int maxLamps = 8;

    LampSet();

    bool contains(int lamp) const { return lamp >= 1 && lamp <= static_cast<int>(count); }
    // Clamped to 1..8. Lamps beyond the count keep their values but give no light.
    void setCount(int lamps);
    int getCount() const { return static_cast<int>(count); }

    void setRadius(int lamp, float r);
    // Radians.
    void setAngles(int lamp, float lampAzimuth, float lampElevation);
    void setEnabled(int lamp, bool on);
    bool isEnabled(int lamp) const;
    float getRadius(int lamp) const;
    float getAzimuth(int lamp) const;
    float getElevation(int lamp) const;
    // x, y, z, w of the lamp; zero for a number outside 1..8.
    const float *getPosition(int lamp) const;

    // active + 1, back to 1 after the last lamp.
    void switchActive();

    // Needs a current context and the model-view matrix loaded with identity.
    void applyPositions() const;
    // Turns each OpenGL light on or off by its lamp's switch; lights beyond the count off.
    void applySwitches() const;

    uint32_t count;
    float radius[maxLamps];
    float elevation[maxLamps];
    float azimuth[maxLamps];
    float position[maxLamps][4];
    std::bitset<maxLamps> enabled;
    int32_t active;

private:
    void updatePosition(int lamp);
};

} // namespace Ui
