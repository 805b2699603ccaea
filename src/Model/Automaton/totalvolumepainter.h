#pragma once

#include "Model/Automaton/materialclasses.h"
#include "Model/Automaton/viewchoices.h"
#include "Model/Geometry/quadface.h"
#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <QMutex>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Model {
namespace Geometry {
class BSPTree;
}
namespace Materials {
class MaterialFactory;
}
} // namespace Model

namespace Model {
namespace Automaton {

class TotalVolume;
class SiLatticeRenderer;
class DirectCubicSurface;
class MarchingCubeSurface;
class OctreeSurface;
class FieldPainter;

// Turns a volume's cells into drawable surfaces and draws them with OpenGL 1.x.
// Face generation needs no GL context (tests and the batch runner use it); only paint()
// and drawForPicking() issue GL calls, and only with a current context.
class TotalVolumePainter
{
public:
    using CellCorner = std::array<int32_t, 3>;
    using Color = SurfaceColor;

    static constexpr float opaqueAlpha = SurfaceAlpha::opaque;
    static constexpr float visibleAlpha = SurfaceAlpha::visible;

    // Colour of cells whose material is not in the catalogue: the catalogue's colour
    // for an unknown id, opaque mid-grey, so that such cells stay visible.
    static const Color missingMaterialColor;
    static const Color emptyOutlineColor;
    static const Color maskColor;

    explicit TotalVolumePainter(TotalVolume *volume);
    ~TotalVolumePainter();

    TotalVolumePainter(const TotalVolumePainter &) = delete;
    TotalVolumePainter &operator=(const TotalVolumePainter &) = delete;

    // The surfaces of one regeneration. makeSurfaces() reads the cells and the painter's
    // settings and changes nothing paint() draws, so another thread (a batch run) can
    // make them while the view goes on drawing the previous ones; install() puts them in
    // place on the thread that paints, and rebuilds the lattice view.
    class Surfaces;
    std::unique_ptr<Surfaces> makeSurfaces() const;
    void install(std::unique_ptr<Surfaces> surfaces);

    // Rebuilds every surface from the cells: install(makeSurfaces()). Takes the volume's
    // voxel mutex itself, so the caller must not hold it. Errors (out of memory, a tree
    // that cannot be built) propagate after the mutex has been released.
    void regenerate();
    // Recolours the faces for the current selection state and catalogue colours.
    void refreshColors();
    // Draws the surfaces relative to the volume's position; `eye` is in scene
    // coordinates. Without a current GL context only the selection recolouring runs.
    void paint(bool surfaces, bool outlines, Util::Vector3D eye);
    // The volume's bounding box, for GL picking.
    void drawForPicking();

    // Direct cubic, marching cubes, octree or the particle-count field view.
    void setMode(SurfaceMode m);
    SurfaceMode getMode() const { return mode; }
    // The field view's distribution and colour scale; they take effect at the next
    // regenerate().
    void setDistribution(FieldDistribution d);
    FieldDistribution getDistribution() const;
    void setColorScale(ColorScaleType type);
    ColorScaleType getColorScale() const;
    void setHidden(bool h) { hidden = h; }
    bool isHidden() const { return hidden; }
    void setEmptyVoxelOutlines(bool on) { emptyVoxelOutlines = on; }
    bool getEmptyVoxelOutlines() const { return emptyVoxelOutlines; }

    // The lattice view's switches ("Render Si Atoms", "Render surface atoms only" (on
    // at first), "Render Si atom links", "Render Si unit cell outlines", "Render Si unit
    // cells"); they take effect at the next regenerate().
    void setRenderAtoms(bool on);
    void setRenderSurfaceAtomsOnly(bool on);
    void setRenderAtomLinks(bool on);
    void setRenderUnitCellOutlines(bool on);
    void setRenderUnitCells(bool on);
    const SiLatticeRenderer &getLatticeRenderer() const { return *latticeRenderer; }

    // Visible cells are [min, max) per axis. The box is stored as given; generation
    // uses its intersection with the volume.
    void setCutLimits(const CellCorner &min, const CellCorner &max);
    void getCutLimits(CellCorner *min, CellCorner *max) const;
    std::vector<Util::Vector4D> getClipPlanes() const;

    // The cells the surfaces show: the box [min, max) per axis around the filled cells of
    // visible materials that are inside the cut box and not cut, as the last
    // regeneration found them. `known` is false before the first regeneration; `any` is
    // false when no cell shows.
    struct ShownCells
    {
        bool known = false;
        bool any = false;
        CellCorner min{};
        CellCorner max{};
    };
    ShownCells getShownCells() const;

    // The quads of the mode in use (direct cubic, octree or field view); none with
    // marching cubes.
    const std::vector<Geometry::QuadFace> &getOpaqueFaces() const;
    const std::vector<Geometry::QuadFace> &getTranslucentFaces() const;
    // The marching-cubes surface in that mode after a regeneration, else null.
    const MarchingCubeSurface *getMarchingCubeSurface() const;
    // In the field view: the range of its colour scale. False in other modes.
    bool fieldRange(float *minimum, float *maximum) const;
    // Entry 0..255 of the field view's colour scale.
    Color fieldScaleEntry(int entry) const;
    const std::vector<Geometry::QuadFace> &getEmptyOutlineFaces() const { return emptyOutlineFaces; }
    std::shared_ptr<Geometry::BSPTree> getTranslucentTree() const { return translucentTree; }
    const std::map<uint32_t, Color> &getColorMap() const { return colorMap; }
    // Indices into getTranslucentFaces() in drawing order (farthest first) for an eye in
    // scene coordinates; empty without translucent faces.
    std::vector<uint32_t> translucentOrder(const Util::Vector3D &eye) const;
    bool getSelectedShown() const { return selectedShown; }

    // The selection highlight of one colour: each of red, green and blue becomes
    // c - 0.7 when c >= 0.7, else c + 0.3; alpha is kept.
    static Color highlight(const Color &c);

private:
    // The catalogue's colours, with id 0 transparent.
    static std::map<uint32_t, Color> materialColors();
    void rebuildColorMap();
    void releaseSurfaces();
    // The opaque or translucent quad list of the mode in use; null with marching cubes.
    std::vector<Geometry::QuadFace> *quads(bool translucent);
    // The cut box clipped to the volume; empty on an axis where min >= max.
    void effectiveBox(CellCorner *min, CellCorner *max) const;
    void rebuildClipPlanes(const CellCorner &min, const CellCorner &max);

    TotalVolume *volume;
    bool emptyVoxelOutlines = false;
    bool hidden = false;
    SurfaceMode mode = SurfaceMode::DirectCubic;
    FieldDistribution distribution = FieldDistribution::TypeN;
    ColorScaleType colorScaleType = ColorScaleType::GrayScale;
    float cellSizeX;
    float cellSizeY;
    float cellSizeZ;
    mutable QMutex cutMutex;
    CellCorner cutMin;
    CellCorner cutMax;
    mutable QMutex clipPlanesMutex;
    std::vector<Util::Vector4D> clipPlanes;
    std::unique_ptr<DirectCubicSurface> cubic;
    // Made when their mode is first used.
    std::unique_ptr<MarchingCubeSurface> marching;
    std::unique_ptr<OctreeSurface> octree;
    std::unique_ptr<FieldPainter> field;
    std::unique_ptr<SiLatticeRenderer> latticeRenderer;
    std::map<uint32_t, Color> colorMap;
    std::vector<Geometry::QuadFace> emptyOutlineFaces;
    std::shared_ptr<Geometry::BSPTree> translucentTree;
    // Read by the view that frames the scene while a batch run installs new surfaces.
    mutable QMutex shownMutex;
    ShownCells shown;
    int32_t sizeY;
    int32_t sizeZ;
    bool selectedShown;
};

class TotalVolumePainter::Surfaces
{
public:
    ~Surfaces();

private:
    friend class TotalVolumePainter;
    Surfaces();

    SurfaceMode mode = SurfaceMode::DirectCubic;
    std::map<uint32_t, Color> colorMap;
    std::unique_ptr<DirectCubicSurface> cubic;
    std::unique_ptr<MarchingCubeSurface> marching;
    std::unique_ptr<OctreeSurface> octree;
    std::unique_ptr<FieldPainter> field;
    std::shared_ptr<Geometry::BSPTree> translucentTree;
    bool withEmptyOutlines = false;
    std::vector<Geometry::QuadFace> emptyOutlineFaces;
    ShownCells shown;
};

} // namespace Automaton
} // namespace Model
