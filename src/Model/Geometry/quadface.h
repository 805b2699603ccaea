#pragma once

#include <atomic>
#include <cstdint>

namespace Model {
namespace Geometry {

// One drawable quad of a cell surface: four corners in volume coordinates (relative to
// the volume's position) in counter-clockwise order seen from outside, fill and outline
// colours, the outward normal and the material of the cell that produced it.
class QuadFace
{
public:
    // Sides of a cell: 0 -z, 1 +z, 2 -y, 3 +y, 4 -x, 5 +x.
    enum Side { MinusZ = 0, PlusZ = 1, MinusY = 2, PlusY = 3, MinusX = 4, PlusX = 5 };

    // The six outward normals; every face's normal points into this table.
    static const float normals[6][3];
    // Corner offsets (0 or 1 per axis) of corner1..corner4 for each side.
    static const int8_t cornerOffsets[6][4][3];

    QuadFace(const float c1[3], const float c2[3], const float c3[3], const float c4[3],
             const float fill[4], const float outline[4], Side side, int32_t materialId);

    // Side `side` of the cell (x, y, z) on a grid of cells sized (sx, sy, sz): corner k is
    // ((x + dx) * sx, (y + dy) * sy, (z + dz) * sz); fill and outline are both `rgba`.
    QuadFace(Side side, int32_t x, int32_t y, int32_t z, float sx, float sy, float sz,
             const float rgba[4], int32_t materialId)
        : normal(normals[side]), materialId(materialId), serial(takeSerial())
    {
        float *corners[4] = {corner1, corner2, corner3, corner4};
        const float cx = static_cast<float>(x), cy = static_cast<float>(y), cz = static_cast<float>(z);
        for (int k = 0; k < 4; ++k) {
            const int8_t *o = cornerOffsets[side][k];
            corners[k][0] = (cx + o[0]) * sx;
            corners[k][1] = (cy + o[1]) * sy;
            corners[k][2] = (cz + o[2]) * sz;
        }
        for (int i = 0; i < 4; ++i) {
            color[i] = rgba[i];
            outlineColor[i] = rgba[i];
        }
    }

    // Copies are the same face: they keep the serial.
    QuadFace(const QuadFace &) = default;
    QuadFace &operator=(const QuadFace &) = default;

    // k in 0..3 gives corner1..corner4.
    const float *corner(int k) const;
    const float *getColor() const { return color; }
    const float *getOutlineColor() const { return outlineColor; }
    void setColor(const float rgba[4]);
    void setOutlineColor(const float rgba[4]);
    const float *getNormal() const { return normal; }
    // Index of the normal in the table above.
    Side getSide() const { return static_cast<Side>((normal - &normals[0][0]) / 3); }
    int32_t getMaterialId() const { return materialId; }
    int32_t getSerial() const { return serial; }

    // Same corners, colours, normal and material (the serial is not compared).
    bool sameGeometryAndColor(const QuadFace &o) const;

    // The value the next constructed face gets.
    static int32_t peekSerial() { return static_cast<int32_t>(serialCounter.load(std::memory_order_relaxed)); }

private:
    // Faces are built on worker threads, so the counter is atomic; unsigned so that it
    // wraps instead of overflowing.
    static int32_t takeSerial() { return static_cast<int32_t>(serialCounter.fetch_add(1, std::memory_order_relaxed)); }

    float corner1[3];
    float corner2[3];
    float corner3[3];
    float corner4[3];
    float color[4];
    float outlineColor[4];
    const float *normal;
    int32_t materialId;
    int32_t serial;

    static std::atomic<uint32_t> serialCounter;
};

} // namespace Geometry
} // namespace Model
