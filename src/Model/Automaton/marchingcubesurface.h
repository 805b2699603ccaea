#pragma once

#include "Model/Automaton/materialclasses.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
class Voxel;

// A triangle of the marching-cubes surface, in volume coordinates.
struct Triangle
{
    struct Vertex
    {
        float position[3];
        float normal[3];
        int32_t materialId;
    };
    Vertex vertices[3];
};

// Leaves the elements of a resized vector uninitialised, for lists that are written
// in full right after resizing.
template <typename T>
struct UninitialisedAllocator : std::allocator<T>
{
    template <typename U>
    struct rebind
    {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U> &) noexcept
    {
    }
    template <typename U>
    void construct(U *p) noexcept
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};

// The marching-cubes surface: every cube of eight neighbouring cells inside the cut
// window is turned into triangles between the middles of its edges that join a solid
// and an empty cell. Normals are averaged over vertices near one cell corner.
class MarchingCubeSurface
{
public:
    using CellCorner = std::array<int32_t, 3>;

    explicit MarchingCubeSurface(TotalVolume *volume);

    // Rebuilds the triangles of the cells inside cutMin < X, Y, Z <= cutMax (the lower
    // layer is outside, so the surface closes inside it). Takes the volume's voxel mutex
    // itself (the caller must not hold it) and the surface's own mutex. With
    // `onlyMaterial` other than 0 only the cells of that material count as solid: the
    // closed surface of one material, as the STL export writes per material.
    // With `extendEdges` the cells beyond the window take the value of the nearest cell
    // inside it instead of counting as empty: the surface then leaves the window
    // straight along its faces, for a caller that closes it with flat caps there.
    void regenerate(const CellCorner &cutMin, const CellCorner &cutMax, uint32_t onlyMaterial = 0,
                    bool extendEdges = false);
    // Draws all triangles with GL immediate mode (needs a current context): each vertex
    // with its normal, its material's colour from `colors` when present (otherwise the
    // current colour stays), its position. Waits for a regeneration in progress.
    void draw(const std::map<uint32_t, SurfaceColor> &colors) const;
    // A copy of the triangles in generation order (x layers, then y, then z).
    std::vector<Triangle> getTriangles() const;
    size_t triangleCount() const;

private:
    TotalVolume *volume;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    // Cube edge in cells; the generator walks cubes of one cell.
    static constexpr uint32_t step = 1;
    const Voxel *voxels = nullptr; // held during regeneration only
    using TriangleList = std::vector<Triangle, UninitialisedAllocator<Triangle>>;
    size_t countTriangles() const;

    // The surface: one list per x slab, in slab order.
    std::vector<TriangleList> triangles;
    mutable std::mutex mutex;
};

} // namespace Automaton
} // namespace Model
