#pragma once

#include "Util/vector4d.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

// The lattice view of a volume's silicon: atoms as small spheres coloured by how they
// are bonded, bond links, unit-cell outlines and translucent unit cells. Owned by the
// volume's painter.
//
// update() reads the lattice once per regeneration (no GL needed) and keeps what is to
// be drawn in flat arrays: the visible atoms' positions grouped by colour, and vertex
// lists of the links and the unit cells. drawOpaque() and drawTranslucent() hand these
// to OpenGL from vertex buffers, re-uploaded only after an update: one sphere buffer
// shared by all atoms (made once per GL context group), each atom drawn as one indexed
// draw call of it under its own translation.
//
// Every position is in volume coordinates (world position less the volume's position),
// as the painter draws inside its translation to the volume.
class SiLatticeRenderer
{
public:
    // The atom colours, from the bonded count n and second-neighbour sum m.
    enum AtomColor { Orange = 0, Blue = 1, Green = 2, Yellow = 3 };
    static constexpr int colorCount = 4;
    // RGB bytes: (255, 127, 0) for n = 3 and m < 9, (0, 0, 255) for n = 3 and m >= 9,
    // (127, 255, 127) for n = 2, (255, 255, 0) for anything else (fixed atoms included).
    static const uint8_t atomRgb[colorCount][3];
    static const uint8_t linkRgb[3];
    static const uint8_t unitCellRgba[4];
    static AtomColor colorFor(unsigned bondedCount, unsigned secondNeighbourSum);

    static constexpr float atomRadius = 0.1f;
    // The icosahedron subdivided twice: 162 unit-sphere vertices (which are also the
    // normals) and 320 triangles.
    static const std::vector<std::array<float, 3>> &sphereVertices();
    static const std::vector<uint16_t> &sphereIndices();

    using Point = std::array<float, 3>;

    explicit SiLatticeRenderer(TotalVolume *volume);
    ~SiLatticeRenderer();
    SiLatticeRenderer(const SiLatticeRenderer &) = delete;
    SiLatticeRenderer &operator=(const SiLatticeRenderer &) = delete;

    void setRenderAtoms(bool on) { renderAtoms = on; }
    bool getRenderAtoms() const { return renderAtoms; }
    void setRenderSurfaceAtomsOnly(bool on) { renderSurfaceAtomsOnly = on; }
    bool getRenderSurfaceAtomsOnly() const { return renderSurfaceAtomsOnly; }
    void setRenderAtomLinks(bool on) { renderAtomLinks = on; }
    bool getRenderAtomLinks() const { return renderAtomLinks; }
    void setRenderUnitCellOutlines(bool on) { renderUnitCellOutlines = on; }
    bool getRenderUnitCellOutlines() const { return renderUnitCellOutlines; }
    void setRenderUnitCells(bool on) { renderUnitCells = on; }
    bool getRenderUnitCells() const { return renderUnitCells; }

    // The cells the painter draws as one opaque solid: those inside the cut box [min, max)
    // (cell indices) that are not cut and whose material `isOpaque` says hides what lies
    // behind it. A sphere wholly inside such cells can never be seen, so it is left out.
    struct Occluders
    {
        std::array<int32_t, 3> min;
        std::array<int32_t, 3> max;
        std::function<bool(uint32_t materialId)> isOpaque;
    };

    // Rebuilds what is drawn from the volume's lattice, for the switches as they are now.
    // `clipPlanes` are the painter's cut-box planes in cell units; a point passes when
    // a x + b y + c z + d < 1e-6 for every plane, (x, y, z) being its volume coordinates
    // over the cell size. With `occluders` (the painter draws cell faces), atoms hidden
    // inside opaque cells are skipped. Takes the volume's voxel mutex while it reads the
    // lattice, so the caller must not hold it.
    void update(const std::vector<Util::Vector4D> &clipPlanes, const Occluders *occluders = nullptr);

    // GL drawing; nothing without a current context. The opaque part is the atoms, the
    // links and the outlines; the translucent part the unit cells, drawn by the painter
    // in its blending pass.
    void drawOpaque();
    void drawTranslucent();

    // What the last update made.
    const std::vector<Point> &atoms(AtomColor color) const { return atomPositions[color]; }
    size_t atomCount() const;
    // Pairs of points, one pair per line.
    const std::vector<Point> &linkVertices() const { return links; }
    // Quadruples of points, one per face of a unit cell, drawn as line loops.
    const std::vector<Point> &outlineVertices() const { return outlines; }
    // Triples of points, one triple per triangle.
    const std::vector<Point> &unitCellVertices() const { return cellTriangles; }

private:
    struct GpuBuffers;

    void clear();

    TotalVolume *volume;
    bool renderAtoms = false;
    bool renderSurfaceAtomsOnly = true;
    bool renderAtomLinks = false;
    bool renderUnitCellOutlines = false;
    bool renderUnitCells = false;

    std::array<std::vector<Point>, colorCount> atomPositions;
    std::vector<Point> links;
    std::vector<Point> outlines;
    std::vector<Point> cellTriangles;
    // Counts the updates, so that the GL side knows when to upload again.
    uint64_t generation = 0;
    std::unique_ptr<GpuBuffers> gpu;
};

} // namespace Automaton
} // namespace Model
