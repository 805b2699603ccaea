#include "Model/Automaton/sicell.h"

#include <cmath>

namespace Model {
namespace Automaton {

SiCell::Point SiCell::rotated(const Point &p, double ax, double ay, double az)
{
    const double toRadians = std::acos(0.0) / 90.0;
    double x = p[0], y = p[1], z = p[2];
    if (std::fabs(ax) > 1e-6) {
        const double c = std::cos(ax * toRadians), s = std::sin(ax * toRadians);
        const double ny = y * c - z * s, nz = y * s + z * c;
        y = ny;
        z = nz;
    }
    if (std::fabs(ay) > 1e-6) {
        const double c = std::cos(ay * toRadians), s = std::sin(ay * toRadians);
        const double nx = x * c + z * s, nz = -x * s + z * c;
        x = nx;
        z = nz;
    }
    if (std::fabs(az) > 1e-6) {
        const double c = std::cos(az * toRadians), s = std::sin(az * toRadians);
        const double nx = x * c - y * s, ny = x * s + y * c;
        x = nx;
        y = ny;
    }
    return Point{{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}};
}

void SiCell::rotate(double ax, double ay, double az)
{
    origin = rotated(origin, ax, ay, az);
}

void SiCell::translate(const Point &v)
{
    origin[0] += v[0];
    origin[1] += v[1];
    origin[2] += v[2];
}

} // namespace Automaton
} // namespace Model
