#pragma once

namespace Util {

// The entries of the process-wide colour settings table.
enum class ColorSetting {
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

// The three variants of every colour setting: the built-in defaults, the low colour
// scheme and the user's own colours.
enum class ColorVariant { Default = 0, LowColor = 1, Custom = 2 };

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
    Vector4D(ColorSetting setting, ColorVariant variant);
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
