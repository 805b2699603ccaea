#pragma once

#include "Util/vector4d.h"

#include <QMetaType>
#include <QVariant>

namespace Util {

// A point or direction: a Vector4D whose w is always 0.
class Vector3D : public Vector4D
{
public:
    Vector3D() = default;
    Vector3D(double x, double y, double z) : Vector4D(x, y, z, 0.0) {}
    explicit Vector3D(double s) : Vector4D(s, s, s, 0.0) {}
    Vector3D(const Vector3D &o) : Vector4D(o.x, o.y, o.z, 0.0) {}
    Vector3D(const Vector4D &o) : Vector4D(o.x, o.y, o.z, 0.0) {} // NOLINT: implicit by design
    // A variant of another type converts to the zero vector.
    explicit Vector3D(const QVariant &v);

    Vector3D &operator=(const Vector3D &o)
    {
        x = o.x; y = o.y; z = o.z; w = 0.0;
        return *this;
    }

    // Every coordinate is finite and within float range, so that a document holding this
    // position (positions are stored as floats) can be read back.
    bool isStorable() const;

    // Registers the type with Qt's meta-type system once per process.
    static void registerMetaType();
};

} // namespace Util

Q_DECLARE_METATYPE(Util::Vector3D)
