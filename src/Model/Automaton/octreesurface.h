#pragma once

#include "Model/Automaton/materialclasses.h"
#include "Model/Geometry/quadface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
class Voxel;

// A cube of the octree: a leaf of one material (0 empty) or a node with eight children.
// Child i covers the octant with offsets (bx, by, bz) x size / 2, i = 4 bx + 2 by + bz.
// The eight children of a node are stored side by side and owned by the tree's pool.
struct OctreeNode
{
    int32_t material = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t originZ = 0;
    // Edge in cells, a power of two.
    int32_t size = 1;
    bool leaf = true;
    // Sides (bit s for side s) whose face has been emitted already, so that a cube seen
    // from several smaller neighbours gives each face once.
    uint8_t emittedSides = 0;
    OctreeNode *parent = nullptr;
    // The first of the eight children; null for a leaf.
    OctreeNode *children = nullptr;

    const OctreeNode *child(int i) const { return children ? children + i : nullptr; }
};

// The octree surface: the cut box's cells merged into uniform cubes, and the faces
// between visible cubes and empty or see-through ones. Large uniform blocks give one
// face per side instead of one per cell. A cube's side is always emitted whole, also
// where part of it touches opaque cells (that part is hidden behind them), and only
// once however many smaller cubes see it.
class OctreeSurface
{
public:
    using CellCorner = std::array<int32_t, 3>;

    explicit OctreeSurface(TotalVolume *volume);
    ~OctreeSurface();
    OctreeSurface(const OctreeSurface &) = delete;
    OctreeSurface &operator=(const OctreeSurface &) = delete;

    // Rebuilds the tree and the faces of the cells in [cutMin, cutMax) (clipped to the
    // volume by the caller) on the calling thread. Takes the voxel mutex itself.
    // `colors` maps material ids to colours; ids missing from it get the painter's
    // colour for unknown materials.
    void regenerate(const CellCorner &cutMin, const CellCorner &cutMax,
                    const std::map<uint32_t, SurfaceColor> &colors);

    const std::vector<Geometry::QuadFace> &opaqueFaces() const { return opaque; }
    const std::vector<Geometry::QuadFace> &translucentFaces() const { return translucent; }
    // Writable for recolouring (selection highlight).
    std::vector<Geometry::QuadFace> &opaqueFaces() { return opaque; }
    std::vector<Geometry::QuadFace> &translucentFaces() { return translucent; }

    // Where other faces' corners lie on the sides of opaque face i (its edge ends there:
    // a T-junction, which rasterises with single-pixel cracks along the seam): the face's
    // rim, its corners and those points in corner order, in volume coordinates. None
    // (count 0) when no corner lies on its sides. The painter draws such a face as a fan
    // around its centre through its rim, so that the seams close.
    using Point = std::array<float, 3>;
    std::pair<const Point *, size_t> rimOf(size_t face) const
    {
        if (face + 1 >= rimStart.size())
            return {nullptr, 0};
        return {rimPoints.data() + rimStart[face], rimStart[face + 1] - rimStart[face]};
    }

    // The tree of the last regeneration; null before the first one.
    const OctreeNode *root() const;
    // Nodes currently in the tree (for memory accounting).
    size_t nodeCount() const;

    // A surface face shows only above this alpha; a cube below it lets faces behind it
    // through.
    static constexpr float opaqueAlpha = 0.999f;
    static constexpr float visibleAlpha = 0.001f;

    // A face's corners in cells.
    using FaceCorners = std::array<CellCorner, 4>;

private:
    class Tree;

    // Fills the rims of the opaque faces from the corners of every face.
    void findRims(const std::vector<FaceCorners> &opaqueCorners, const std::vector<FaceCorners> &translucentCorners);

    TotalVolume *volume;
    float cellSizeX;
    float cellSizeY;
    float cellSizeZ;
    std::unique_ptr<Tree> tree;
    std::vector<Geometry::QuadFace> opaque;
    std::vector<Geometry::QuadFace> translucent;
    // Opaque face i's rim is rimPoints[rimStart[i], rimStart[i + 1]).
    std::vector<size_t> rimStart{0};
    std::vector<Point> rimPoints;
};

} // namespace Automaton
} // namespace Model
