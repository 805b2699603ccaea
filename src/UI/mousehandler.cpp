#include "UI/mousehandler.h"

#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace Ui {
namespace {
constexpr double degreesPerRadian = 57.29577951308232;
}

MouseHandler::MouseHandler() = default;

void MouseHandler::setSize(int w, int h)
{
    width = std::max(1, w);
    height = std::max(1, h);
    radius = std::min(width / 2.0f, height / 2.0f);
}

MouseHandler::Position MouseHandler::toLocal(const QPoint &widgetPosition) const
{
    Position p;
    p.x = static_cast<float>(widgetPosition.x()) - width / 2.0f;
    p.y = height / 2.0f - static_cast<float>(widgetPosition.y());
    return p;
}

float MouseHandler::liftTrackballPress(float x, float y) const
{
    const double u = 2.0 * x / width;
    const double v = 2.0 * y / height;
    const double s = static_cast<double>(width) + height;
    const double arg = (1.0 - u * u - v * v) * s * s / 4.0;
    return arg > 0.0 ? static_cast<float>(std::sqrt(arg)) : 0.0f;
}

float MouseHandler::liftTrackballMove(float x, float y) const
{
    const double u = static_cast<double>(x) / width;
    const double v = static_cast<double>(y) / height;
    const double s = static_cast<double>(width) + height;
    const double arg = (1.0 - u * u - v * v) * s * s / 4.0;
    return arg > 0.0 ? static_cast<float>(std::sqrt(arg)) : 0.0f;
}

float MouseHandler::liftLamp(float x, float y) const
{
    const double arg = static_cast<double>(radius) * radius - static_cast<double>(x) * x
                       - static_cast<double>(y) * y;
    if (arg > 0.0) {
        const float z = static_cast<float>(std::sqrt(arg));
        qDebug().noquote() << QStringLiteral("Setting z to ") + QString::number(z);
        return z;
    }
    qDebug().noquote() << QStringLiteral("Setting z to zero");
    return 0.0f;
}

void MouseHandler::press(const QPoint &widgetPosition, ParametersTypes newMode)
{
    mode = newMode;
    Position p = toLocal(widgetPosition);
    if (mode == Trackball)
        p.z = liftTrackballPress(p.x, p.y);
    else if (mode == Lamp)
        p.z = liftLamp(p.x, p.y);
    positions[0] = p;
    positions[1] = p;
    currentIndex = 0;
}

void MouseHandler::move(const QPoint &widgetPosition)
{
    Position p = toLocal(widgetPosition);
    if (mode == Trackball) {
        p.z = liftTrackballMove(p.x, p.y);
        // Both ends of a rotation must lie on the same surface. The press lifts its point
        // on a smaller sphere, so the first rotation of a drag would otherwise jump by
        // tens of degrees near the widget's edge for a one-pixel move.
        Position &last = positions[currentIndex];
        last.z = liftTrackballMove(last.x, last.y);
    } else if (mode == Lamp) {
        p.z = liftLamp(p.x, p.y);
    }
    currentIndex = 1 - currentIndex;
    positions[currentIndex] = p;
}

bool MouseHandler::trackballRotation(float *angleDegrees, float *nx, float *ny, float *nz) const
{
    const Position a = previous();
    const Position b = current();
    const double cx = static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y;
    const double cy = static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z;
    const double cz = static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
    const double crossLength = std::sqrt(cx * cx + cy * cy + cz * cz);
    const double la = std::sqrt(static_cast<double>(a.x) * a.x + static_cast<double>(a.y) * a.y
                                + static_cast<double>(a.z) * a.z);
    const double lb = std::sqrt(static_cast<double>(b.x) * b.x + static_cast<double>(b.y) * b.y
                                + static_cast<double>(b.z) * b.z);
    if (crossLength <= 0.0 || la <= 0.0 || lb <= 0.0)
        return false;
    const double sine = std::min(1.0, crossLength / (la * lb));
    *angleDegrees = static_cast<float>(2.0 * std::asin(sine) * degreesPerRadian);
    *nx = static_cast<float>(cx / crossLength);
    *ny = static_cast<float>(cy / crossLength);
    *nz = static_cast<float>(cz / crossLength);
    return true;
}

void MouseHandler::lampAngles(float *azimuth, float *elevation) const
{
    const Position p = current();
    *azimuth = static_cast<float>(std::atan2(static_cast<double>(p.y), static_cast<double>(p.x)));
    *elevation = static_cast<float>(
        std::atan2(static_cast<double>(p.z),
                   std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.y) * p.y)));
}

} // namespace Ui
