#pragma once

namespace Ui {

// Orientation and translations of the camera. The rotation matrix is kept column-major,
// exactly as OpenGL holds the model-view matrix after the three rotations of apply(), so
// the pan and the mouse code can read its elements without a GL context.
class ViewTransform
{
public:
    ViewTransform();

    // Model-view := rotations about x, y and z, then the axis and pan translations.
    // Needs a current GL context.
    void apply() const;

    // Angles in degrees; rebuilds the rotation matrix and the pan.
    void setRotation(float x, float y, float z);
    // Rotates by angle degrees about the unit vector (nx, ny, nz) given in screen axes,
    // before the current rotation, then reads the three angles back from the matrix.
    void rotate(float angle, float nx, float ny, float nz);
    // Pan in screen axes (model units).
    void setScreenPosition(float x, float y);
    void moveScreen(float dx, float dy);
    // Moves the model by a displacement given in screen axes (model units): the volume
    // follows the pointer whatever the rotation.
    void moveAxis(float dx, float dy);
    void setAxisPosition(float x, float y, float z);
    // Recomputes panX, panY and panZ from screenX, screenY and the rotation.
    void updatePan();

    // Element i of the rotation matrix in storage order.
    float m(int i) const { return rotationMatrix[i]; }

    float screenX;
    float screenY;
    float panX;
    float panY;
    float panZ;
    float rotationMatrix[16];
    float angleX;
    float angleY;
    float angleZ;
    float axisX;
    float axisY;
    float axisZ;

private:
    void readAngles();
};

} // namespace Ui
