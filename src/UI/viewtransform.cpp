#include "UI/viewtransform.h"

#include <QMatrix4x4>
#include <QtGui/qopengl.h>
#include <cmath>
#include <cstring>

namespace Ui {
namespace {

constexpr double degreesPerRadian = 57.29577951308232;

QMatrix4x4 toMatrix(const float *columnMajor)
{
    QMatrix4x4 matrix;
    std::memcpy(matrix.data(), columnMajor, 16 * sizeof(float));
    return matrix;
}

} // namespace

ViewTransform::ViewTransform()
    : screenX(0), screenY(0), panX(0), panY(0), panZ(0), rotationMatrix{}, angleX(0), angleY(0),
      angleZ(0), axisX(0), axisY(0), axisZ(0)
{
    const QMatrix4x4 identity;
    std::memcpy(rotationMatrix, identity.constData(), sizeof rotationMatrix);
}

void ViewTransform::apply() const
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
    glTranslatef(axisX, axisY, axisZ);
    glTranslatef(panX, panY, panZ);
}

void ViewTransform::setRotation(float x, float y, float z)
{
    angleX = x;
    angleY = y;
    angleZ = z;
    // QMatrix4x4::rotate post-multiplies like glRotatef, so this is the matrix OpenGL
    // would hold after the three rotations of apply().
    QMatrix4x4 matrix;
    matrix.rotate(x, 1.0f, 0.0f, 0.0f);
    matrix.rotate(y, 0.0f, 1.0f, 0.0f);
    matrix.rotate(z, 0.0f, 0.0f, 1.0f);
    std::memcpy(rotationMatrix, matrix.constData(), sizeof rotationMatrix);
    updatePan();
}

void ViewTransform::rotate(float angle, float nx, float ny, float nz)
{
    QMatrix4x4 turn;
    turn.rotate(angle, nx, ny, nz);
    const QMatrix4x4 matrix = turn * toMatrix(rotationMatrix);
    std::memcpy(rotationMatrix, matrix.constData(), sizeof rotationMatrix);
    readAngles();
    updatePan();
}

void ViewTransform::readAngles()
{
    const double m0 = rotationMatrix[0], m4 = rotationMatrix[4], m8 = rotationMatrix[8];
    const double m9 = rotationMatrix[9], m10 = rotationMatrix[10];
    angleX = static_cast<float>(-std::atan2(m9, m10) * degreesPerRadian);
    angleY = static_cast<float>(std::atan2(m8, std::sqrt(m9 * m9 + m10 * m10)) * degreesPerRadian);
    angleZ = static_cast<float>(-std::atan2(m4, m0) * degreesPerRadian);
}

void ViewTransform::setScreenPosition(float x, float y)
{
    screenX = x;
    screenY = y;
    updatePan();
}

void ViewTransform::moveScreen(float dx, float dy)
{
    setScreenPosition(screenX + dx, screenY + dy);
}

void ViewTransform::moveAxis(float dx, float dy)
{
    // The transpose of the rotation (its inverse) takes the screen displacement into
    // model axes, as for the pan.
    const float *r = rotationMatrix;
    axisX += dx * r[0] + dy * r[1];
    axisY += dx * r[4] + dy * r[5];
    axisZ += dx * r[8] + dy * r[9];
}

void ViewTransform::setAxisPosition(float x, float y, float z)
{
    axisX = x;
    axisY = y;
    axisZ = z;
}

void ViewTransform::updatePan()
{
    const float *r = rotationMatrix;
    panX = r[0] * screenX + r[1] * screenY;
    panY = r[4] * screenX + r[5] * screenY;
    panZ = r[8] * screenX + r[9] * screenY;
}

} // namespace Ui
