#include "Util/vector3d.h"

#include <cfloat>
#include <cmath>

namespace Util {

Vector3D::Vector3D(const QVariant &v)
{
    const Vector3D value = v.value<Vector3D>();
    x = value.x;
    y = value.y;
    z = value.z;
    w = 0.0;
}

bool Vector3D::isStorable() const
{
    for (const double c : {x, y, z})
        if (!std::isfinite(c) || std::fabs(c) > double(FLT_MAX))
            return false;
    return true;
}

void Vector3D::registerMetaType()
{
    static const int id = qRegisterMetaType<Util::Vector3D>("Util::Vector3D");
    (void)id;
}

namespace {
// Registered at load time so that variants built anywhere can carry vectors.
const bool registered = (Vector3D::registerMetaType(), true);
} // namespace

} // namespace Util
