#pragma once

#include <QPoint>

namespace Ui {

// Turns pointer positions into pan distances, trackball rotations and lamp angles.
// Positions are relative to the widget centre with y pointing up; z is the height the
// position is lifted to on the trackball or the lamp sphere.
class MouseHandler
{
public:
    enum ParametersTypes { Lamp = 0, Pan = 1, Planar = 2, Trackball = 3 };

    struct Position
    {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
    };

    MouseHandler();

    void setScale(float s) { scale = s; }
    float getScale() const { return scale; }
    // Widget size in pixels; the trackball radius becomes half the smaller side.
    void setSize(int w, int h);
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    float getRadius() const { return radius; }
    ParametersTypes getMode() const { return mode; }

    // Starts a drag in the given mode at a widget position (pixels, y down).
    void press(const QPoint &widgetPosition, ParametersTypes newMode);
    // The new position becomes current, the current one previous.
    void move(const QPoint &widgetPosition);

    Position current() const { return positions[currentIndex]; }
    Position previous() const { return positions[1 - currentIndex]; }
    // Difference current - previous in pixels (y up).
    float dx() const { return current().x - previous().x; }
    float dy() const { return current().y - previous().y; }

    // The rotation carrying the previous trackball point to the current one: twice the
    // angle between them, in degrees, about the unit normal of their plane through the
    // centre. False when the two points give no rotation.
    bool trackballRotation(float *angleDegrees, float *nx, float *ny, float *nz) const;
    // Lamp angles (radians) of the current point on the lamp sphere.
    void lampAngles(float *azimuth, float *elevation) const;

private:
    Position toLocal(const QPoint &widgetPosition) const;
    float liftTrackballPress(float x, float y) const;
    float liftTrackballMove(float x, float y) const;
    float liftLamp(float x, float y) const;

    Position positions[2];
    int currentIndex = 0;
    ParametersTypes mode = Trackball;
    int width = 1;
    int height = 1;
    float radius = 0.5f;
    float scale = 1.0f;
};

} // namespace Ui
