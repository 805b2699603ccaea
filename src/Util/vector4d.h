#pragma once

namespace Util {

// Indices of the process-wide colour settings table.
enum ColorSetting {
    ObjectColor = 0,
    OutlineColor = 1,
    GridColor = 2,
    BackgroundColor = 3,
    SubstrateObjectColor = 4,
    SubstrateOutlineColor = 5,
    ConsoleBackgroundColor = 6,
    ConsoleTextColor = 7,
    ObjectTemporaryColor = 8
};

// Four doubles: a point or direction, an RGBA colour, or a plane (a, b, c, d).
class Vector4D
{
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 0.0;

    Vector4D() = default;
    Vector4D(double x, double y, double z, double w) : x(x), y(y), z(z), w(w) {}
    explicit Vector4D(double s) : x(s), y(s), z(s), w(s) {}
    // Copy of one entry of the colour settings table.
    Vector4D(ColorSetting setting, int variant);
    virtual ~Vector4D() = default;

    Vector4D(const Vector4D &) = default;
    Vector4D &operator=(const Vector4D &) = default;

    // 0 -> x, 1 -> y, 2 -> z, anything else -> w.
    double get(int i) const;
    double &at(int i);

    Vector4D operator+(const Vector4D &o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    Vector4D operator-(const Vector4D &o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    Vector4D &operator+=(const Vector4D &o)
    {
        x += o.x; y += o.y; z += o.z; w += o.w;
        return *this;
    }
    bool operator==(const Vector4D &o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Vector4D &o) const { return !(*this == o); }

    void assignXYZ(const Vector4D &u) { x = u.x; y = u.y; z = u.z; }
    void toXYZ(double *px, double *py, double *pz) const { *px = x; *py = y; *pz = z; }
};

inline Vector4D operator*(double s, const Vector4D &v) { return {s * v.x, s * v.y, s * v.z, s * v.w}; }

} // namespace Util
