#include "Model/Automaton/octreesurface.h"

#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Automaton/voxel.h"

#include <algorithm>

namespace Model {
namespace Automaton {

using Geometry::QuadFace;

namespace {

// Child-index bit of the axis a side lies on: x 4, y 2, z 1 (sides 0/1 z, 2/3 y, 4/5 x).
constexpr int axisBit[6] = {1, 1, 2, 2, 4, 4};

bool isPositive(int side) { return (side & 1) != 0; }

// Whether child i lies in the half of its parent on `side`.
bool onSide(int i, int side) { return ((i & axisBit[side]) != 0) == isPositive(side); }

} // namespace

// The nodes of one tree. Children come in groups of eight from fixed chunks, so node
// addresses stay put while the tree grows; groups freed by merging are reused, and the
// chunks are kept for the next tree (regenerating allocates nothing new).
class OctreeSurface::Tree
{
public:
    OctreeNode root;

    Tree() = default;
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;

    // Drops every node and starts over with an empty root leaf.
    void reset(const CellCorner &origin, int32_t size)
    {
        root = OctreeNode();
        root.originX = origin[0];
        root.originY = origin[1];
        root.originZ = origin[2];
        root.size = size;
        last = &root;
        freeGroups.clear();
        liveGroups = 0;
        chunkInUse = 0;
        usedInChunk = 0;
    }

    size_t nodeCount() const { return 1 + 8 * liveGroups; }

    // Puts material m (not 0) into the unit cube at (x, y, z) inside the root.
    //
    // Cells come in scan order, so the next cell usually lies next to the previous one:
    // the descent starts at the lowest node that holds the last insertion and contains
    // the new cell. Every node above it contains both cells and has children, so the
    // descent from the root would pass through them unchanged.
    void insert(int32_t x, int32_t y, int32_t z, int32_t m)
    {
        OctreeNode *n = last;
        while (n->parent && !contains(*n, x, y, z))
            n = n->parent;
        while (n->size > 1) {
            if (n->leaf) {
                if (n->material == m) {
                    last = n;
                    return;
                }
                split(n);
            }
            const int32_t half = n->size / 2;
            const int i = (x >= n->originX + half ? 4 : 0) | (y >= n->originY + half ? 2 : 0)
                          | (z >= n->originZ + half ? 1 : 0);
            n = n->children + i;
        }
        n->material = m;
        last = collapseAbove(n);
    }

private:
    struct Group
    {
        OctreeNode nodes[8];
    };
    static constexpr size_t chunkGroups = 4096;

    OctreeNode *takeGroup()
    {
        ++liveGroups;
        if (!freeGroups.empty()) {
            OctreeNode *g = freeGroups.back();
            freeGroups.pop_back();
            return g;
        }
        if (usedInChunk == chunkGroups) {
            ++chunkInUse;
            usedInChunk = 0;
        }
        if (chunkInUse == chunks.size())
            chunks.push_back(std::make_unique<Group[]>(chunkGroups));
        return chunks[chunkInUse][usedInChunk++].nodes;
    }

    void split(OctreeNode *n)
    {
        OctreeNode *c = takeGroup();
        const int32_t half = n->size / 2;
        for (int i = 0; i < 8; ++i) {
            OctreeNode &k = c[i];
            k.material = n->material;
            k.originX = n->originX + ((i & 4) ? half : 0);
            k.originY = n->originY + ((i & 2) ? half : 0);
            k.originZ = n->originZ + ((i & 1) ? half : 0);
            k.size = half;
            k.leaf = true;
            k.emittedSides = 0;
            k.parent = n;
            k.children = nullptr;
        }
        n->children = c;
        n->leaf = false;
    }

    static bool contains(const OctreeNode &n, int32_t x, int32_t y, int32_t z)
    {
        return x >= n.originX && x < n.originX + n.size && y >= n.originY && y < n.originY + n.size
               && z >= n.originZ && z < n.originZ + n.size;
    }

    // Merges eight leaf children of one material into their parent, upwards; returns
    // the highest node that became (or stayed) the leaf holding n's cell.
    OctreeNode *collapseAbove(OctreeNode *n)
    {
        for (OctreeNode *p = n->parent; p; p = p->parent) {
            const OctreeNode *c = p->children;
            const int32_t m = c[0].material;
            for (int i = 0; i < 8; ++i)
                if (!c[i].leaf || c[i].material != m)
                    return n;
            freeGroups.push_back(p->children);
            --liveGroups;
            p->children = nullptr;
            p->leaf = true;
            p->material = m;
            n = p;
        }
        return n;
    }

    // The node the last insertion ended at; always part of the tree.
    OctreeNode *last = &root;
    std::vector<std::unique_ptr<Group[]>> chunks;
    size_t chunkInUse = 0;
    size_t usedInChunk = 0;
    std::vector<OctreeNode *> freeGroups;
    size_t liveGroups = 0;
};

namespace {

// Emits the faces of one finished tree.
class FaceEmitter
{
public:
    using FaceCorners = OctreeSurface::FaceCorners;

    // Each face's corners in cells go to the list beside its own.
    FaceEmitter(const MaterialClasses &classes, const float cellSize[3], std::vector<QuadFace> *opaque,
                std::vector<QuadFace> *translucent, std::vector<FaceCorners> *opaqueCorners,
                std::vector<FaceCorners> *translucentCorners)
        : classes(classes), cellSize{cellSize[0], cellSize[1], cellSize[2]}, opaque(opaque),
          translucent(translucent), opaqueCorners(opaqueCorners), translucentCorners(translucentCorners)
    {
    }

    void emitAll(OctreeNode *root)
    {
        // Leaves depth first, children in index order.
        std::vector<OctreeNode *> stack{root};
        while (!stack.empty()) {
            OctreeNode *n = stack.back();
            stack.pop_back();
            if (n->children) {
                for (int i = 7; i >= 0; --i)
                    stack.push_back(n->children + i);
                continue;
            }
            const bool empty = n->material == 0;
            if (!empty && alphaOf(n->material) >= OctreeSurface::opaqueAlpha)
                continue;
            for (int side = 0; side < 6; ++side)
                if (OctreeNode *across = neighbour(n, side))
                    emitFacing(across, side ^ 1, empty);
        }
        // The tree's own outside, as if empty space surrounded it.
        for (int side : {1, 0, 5, 4, 3, 2})
            emitFacing(root, side, true);
    }

private:
    float alphaOf(int32_t material) const { return classes.colorOf(static_cast<uint32_t>(material))[3]; }

    // The node of equal or larger size across `side` of n, or null at the root's
    // boundary: climb while on that side of the parent, then descend the mirrored path.
    static OctreeNode *neighbour(OctreeNode *n, int side)
    {
        const int bit = axisBit[side];
        int path[32];
        int depth = 0;
        for (OctreeNode *cur = n; cur->parent; cur = cur->parent) {
            const int i = static_cast<int>(cur - cur->parent->children);
            if (!onSide(i, side)) {
                OctreeNode *node = cur->parent->children + (i ^ bit);
                while (depth > 0 && node->children)
                    node = node->children + path[--depth];
                return node;
            }
            path[depth++] = i ^ bit;
        }
        return nullptr;
    }

    // The faces of n on `side` (the side facing the searching leaf).
    void emitFacing(OctreeNode *n, int side, bool fromEmpty)
    {
        if (n->children) {
            for (int i = 0; i < 8; ++i)
                if (onSide(i, side))
                    emitFacing(n->children + i, side, fromEmpty);
            return;
        }
        if (n->material == 0)
            return;
        const float *color = classes.colorOf(static_cast<uint32_t>(n->material));
        const float alpha = color[3];
        if (!((fromEmpty && alpha > OctreeSurface::visibleAlpha) || alpha > OctreeSurface::opaqueAlpha))
            return;
        const uint8_t sideBit = static_cast<uint8_t>(1u << side);
        if (n->emittedSides & sideBit)
            return;
        n->emittedSides |= sideBit;
        float corners[4][3];
        FaceCorners cells;
        const int32_t origin[3] = {n->originX, n->originY, n->originZ};
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a) {
                cells[k][a] = origin[a] + QuadFace::cornerOffsets[side][k][a] * n->size;
                corners[k][a] = static_cast<float>(cells[k][a]) * cellSize[a];
            }
        const bool isOpaque = alpha > OctreeSurface::opaqueAlpha;
        std::vector<QuadFace> &list = isOpaque ? *opaque : *translucent;
        list.emplace_back(corners[0], corners[1], corners[2], corners[3], color, color,
                          static_cast<QuadFace::Side>(side), n->material);
        (isOpaque ? opaqueCorners : translucentCorners)->push_back(cells);
    }

    const MaterialClasses &classes;
    const float cellSize[3];
    std::vector<QuadFace> *opaque;
    std::vector<QuadFace> *translucent;
    std::vector<FaceCorners> *opaqueCorners;
    std::vector<FaceCorners> *translucentCorners;
};

// A point of an axis-parallel line: the axis, the two other coordinates, then the
// coordinate along the axis. Sorted, the points of one line lie together and in order.
using LinePoint = std::array<int32_t, 4>;

LinePoint onLine(const OctreeSurface::CellCorner &p, int axis)
{
    return {axis, p[static_cast<size_t>((axis + 1) % 3)], p[static_cast<size_t>((axis + 2) % 3)],
            p[static_cast<size_t>(axis)]};
}

// The smallest power of two not below e (1 for e <= 1).
int32_t rootSizeFor(int32_t e)
{
    int32_t size = 1;
    while (size < e)
        size *= 2;
    return size;
}

} // namespace

OctreeSurface::OctreeSurface(TotalVolume *volume)
    : volume(volume), cellSizeX(volume->getCellSizeX()), cellSizeY(volume->getCellSizeY()),
      cellSizeZ(volume->getCellSizeZ())
{
}

OctreeSurface::~OctreeSurface() = default;

const OctreeNode *OctreeSurface::root() const { return tree ? &tree->root : nullptr; }

size_t OctreeSurface::nodeCount() const { return tree ? tree->nodeCount() : 0; }

void OctreeSurface::regenerate(const CellCorner &cutMin, const CellCorner &cutMax,
                               const std::map<uint32_t, SurfaceColor> &colors)
{
    // The lists keep their capacity: the next surface is usually about as large.
    opaque.clear();
    translucent.clear();
    rimStart.assign(1, 0);
    rimPoints.clear();
    cellSizeX = volume->getCellSizeX();
    cellSizeY = volume->getCellSizeY();
    cellSizeZ = volume->getCellSizeZ();
    const MaterialClasses classes(colors, TotalVolumePainter::missingMaterialColor);

    int32_t extent = 0;
    for (int a = 0; a < 3; ++a)
        extent = std::max(extent, cutMax[a] - cutMin[a]);
    if (!tree)
        tree = std::make_unique<Tree>();
    tree->reset(cutMin, rootSizeFor(extent));

    {
        // The faces need only the tree, so the cells are released before emitting.
        const VoxelLock held(*volume);
        const Voxel *voxels = held.voxels();
        for (int32_t x = cutMin[0]; x < cutMax[0]; ++x)
            for (int32_t y = cutMin[1]; y < cutMax[1]; ++y) {
                const Voxel *row =
                    voxels + volume->index(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0);
                for (int32_t z = cutMin[2]; z < cutMax[2]; ++z) {
                    const Voxel &v = row[z];
                    if (v.getMaterialId() != 0 && !v.isCut())
                        tree->insert(x, y, z, static_cast<int32_t>(v.getMaterialId()));
                }
            }
    }

    const float cellSize[3] = {cellSizeX, cellSizeY, cellSizeZ};
    std::vector<FaceCorners> opaqueCorners, translucentCorners;
    FaceEmitter(classes, cellSize, &opaque, &translucent, &opaqueCorners, &translucentCorners).emitAll(&tree->root);
    findRims(opaqueCorners, translucentCorners);
}

void OctreeSurface::findRims(const std::vector<FaceCorners> &opaqueCorners,
                             const std::vector<FaceCorners> &translucentCorners)
{
    // Every corner of every face, on the three lines through it.
    std::vector<LinePoint> points;
    points.reserve(12 * (opaqueCorners.size() + translucentCorners.size()));
    for (const std::vector<FaceCorners> *list : {&opaqueCorners, &translucentCorners})
        for (const FaceCorners &face : *list)
            for (const CellCorner &c : face)
                for (int a = 0; a < 3; ++a)
                    points.push_back(onLine(c, a));
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());

    rimStart.assign(1, 0);
    rimPoints.clear();
    std::vector<CellCorner> rim;
    for (const FaceCorners &face : opaqueCorners) {
        rim.clear();
        bool split = false;
        for (size_t k = 0; k < 4; ++k) {
            const CellCorner &from = face[k], &to = face[(k + 1) % 4];
            rim.push_back(from);
            int axis = 0;
            while (from[static_cast<size_t>(axis)] == to[static_cast<size_t>(axis)])
                ++axis;
            const LinePoint a = onLine(from, axis), b = onLine(to, axis);
            const bool ascending = a < b;
            // The corners strictly between the side's ends.
            const auto first = std::upper_bound(points.begin(), points.end(), ascending ? a : b);
            const auto last = std::lower_bound(first, points.end(), ascending ? b : a);
            if (first == last)
                continue;
            split = true;
            const size_t at = rim.size();
            for (auto it = first; it != last; ++it) {
                CellCorner p = from;
                p[static_cast<size_t>(axis)] = (*it)[3];
                rim.push_back(p);
            }
            if (!ascending)
                std::reverse(rim.begin() + static_cast<std::ptrdiff_t>(at), rim.end());
        }
        if (split)
            for (const CellCorner &p : rim)
                rimPoints.push_back({static_cast<float>(p[0]) * cellSizeX, static_cast<float>(p[1]) * cellSizeY,
                                     static_cast<float>(p[2]) * cellSizeZ});
        rimStart.push_back(rimPoints.size());
    }
}

} // namespace Automaton
} // namespace Model
