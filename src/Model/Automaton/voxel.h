#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

// One cell of a cell volume. Only materialId is stored in documents; the rest is
// scratch state of the automata. Packed to 24 bytes: volumes hold millions of cells.
class Voxel
{
public:
    Voxel() = default;
    explicit Voxel(uint32_t materialId) : materialId(materialId) {}

    uint32_t getMaterialId() const { return materialId; }
    void setMaterialId(uint32_t id) { materialId = id; }

    bool isMarked() const { return marked; }
    void setMarked(bool m) { marked = m; }

    float getDistanceX() const { return distanceX; }
    float getDistanceY() const { return distanceY; }
    float getDistanceZ() const { return distanceZ; }
    void setDistanceX(float d) { distanceX = d; }
    void setDistanceY(float d) { distanceY = d; }
    void setDistanceZ(float d) { distanceZ = d; }
    void setDistance(float dx, float dy, float dz)
    {
        distanceX = dx;
        distanceY = dy;
        distanceZ = dz;
    }

    int32_t getCount() const { return count; }
    void setCount(int32_t c) { count = c; }

    // Cut counts saturate at 0 and 255.
    void addCut()
    {
        if (cutCount < 255)
            ++cutCount;
    }
    void removeCut()
    {
        if (cutCount > 0)
            --cutCount;
    }
    void clearCuts() { cutCount = 0; }
    void setCutCount(uint8_t c) { cutCount = c; }
    bool isCut() const { return cutCount > 0; }
    uint32_t getCutCount() const { return cutCount; }

    // Filled and not hidden by a cut.
    bool isSolid() const { return materialId != 0 && cutCount == 0; }

private:
    uint32_t materialId = 0;
    float distanceX = 0.0f;
    float distanceY = 0.0f;
    float distanceZ = 0.0f;
    int32_t count = 0;
    bool marked = false;
    uint8_t cutCount = 0;
};

static_assert(sizeof(Voxel) == 24, "Voxel layout grew");

} // namespace Automaton
} // namespace Model
