#include "Model/Geometry/quadface.h"

#include <cstring>

namespace Model {
namespace Geometry {

std::atomic<uint32_t> QuadFace::serialCounter{0};

const float QuadFace::normals[6][3] = {
    {0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f},  {0.0f, -1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f},  {-1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f},
};

const int8_t QuadFace::cornerOffsets[6][4][3] = {
    {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, // -z
    {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}, // +z
    {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, // -y
    {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}, // +y
    {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, // -x
    {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}, // +x
};

QuadFace::QuadFace(const float c1[3], const float c2[3], const float c3[3], const float c4[3],
                   const float fill[4], const float outline[4], Side side, int32_t materialId)
    : normal(normals[side]), materialId(materialId), serial(takeSerial())
{
    std::memcpy(corner1, c1, sizeof corner1);
    std::memcpy(corner2, c2, sizeof corner2);
    std::memcpy(corner3, c3, sizeof corner3);
    std::memcpy(corner4, c4, sizeof corner4);
    std::memcpy(color, fill, sizeof color);
    std::memcpy(outlineColor, outline, sizeof outlineColor);
}

const float *QuadFace::corner(int k) const
{
    switch (k) {
    case 0:
        return corner1;
    case 1:
        return corner2;
    case 2:
        return corner3;
    default:
        return corner4;
    }
}

void QuadFace::setColor(const float rgba[4])
{
    std::memcpy(color, rgba, sizeof color);
}

void QuadFace::setOutlineColor(const float rgba[4])
{
    std::memcpy(outlineColor, rgba, sizeof outlineColor);
}

bool QuadFace::sameGeometryAndColor(const QuadFace &o) const
{
    return std::memcmp(corner1, o.corner1, sizeof corner1) == 0
        && std::memcmp(corner2, o.corner2, sizeof corner2) == 0
        && std::memcmp(corner3, o.corner3, sizeof corner3) == 0
        && std::memcmp(corner4, o.corner4, sizeof corner4) == 0
        && std::memcmp(color, o.color, sizeof color) == 0
        && std::memcmp(outlineColor, o.outlineColor, sizeof outlineColor) == 0
        && normal == o.normal && materialId == o.materialId;
}

} // namespace Geometry
} // namespace Model
