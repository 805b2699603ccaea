#include "Model/Automaton/totalvolumepainter.h"

#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Materials/materialfactory.h"

#include <QFuture>
#include <QMutexLocker>
#include <QOpenGLContext>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <GL/gl.h>
#include <algorithm>
#include <exception>
#include <limits>

namespace Model {
namespace Automaton {

using Geometry::QuadFace;

const TotalVolumePainter::Color TotalVolumePainter::missingMaterialColor = {0.5f, 0.5f, 0.5f, 1.0f};
const TotalVolumePainter::Color TotalVolumePainter::emptyOutlineColor = {0.8f, 0.8f, 0.8f, 1.0f};
const TotalVolumePainter::Color TotalVolumePainter::maskColor = {0.2f, 0.8f, 0.2f, 0.3f};

namespace {

// How a cell of a material shows. Cut and empty cells are Hidden as well.
enum Kind : uint8_t { Hidden = 0, Opaque = 1, Translucent = 2 };

uint8_t kindOfAlpha(float alpha)
{
    if (alpha > TotalVolumePainter::opaqueAlpha)
        return Opaque;
    if (alpha >= TotalVolumePainter::visibleAlpha)
        return Translucent;
    return Hidden;
}

// Kind and colour of every material, built from the colour map once per generation so
// that the cell loops index a flat table instead of searching the map.
class MaterialClasses
{
public:
    // Catalogue ids above this go to the (rarely used) sparse part.
    static constexpr uint32_t denseLimit = 65536;

    explicit MaterialClasses(const std::map<uint32_t, TotalVolumePainter::Color> &colorMap)
    {
        uint32_t denseSize = 1;
        for (const auto &entry : colorMap)
            if (entry.first < denseLimit)
                denseSize = std::max(denseSize, entry.first + 1);
        kinds.assign(denseSize, kindOfAlpha(TotalVolumePainter::missingMaterialColor[3]));
        colors.assign(denseSize, TotalVolumePainter::missingMaterialColor);
        for (const auto &entry : colorMap) {
            if (entry.first < denseSize) {
                kinds[entry.first] = kindOfAlpha(entry.second[3]);
                colors[entry.first] = entry.second;
            } else {
                sparse.emplace(entry.first, entry.second);
            }
        }
        kinds[0] = Hidden;
    }

    uint8_t kindOf(uint32_t id) const { return id < kinds.size() ? kinds[id] : kindOfAlpha(colorOf(id)[3]); }
    const float *colorOf(uint32_t id) const
    {
        if (id < colors.size())
            return colors[id].data();
        const auto it = sparse.find(id);
        return it != sparse.end() ? it->second.data() : TotalVolumePainter::missingMaterialColor.data();
    }

private:
    std::vector<uint8_t> kinds;
    std::vector<TotalVolumePainter::Color> colors;
    std::map<uint32_t, TotalVolumePainter::Color> sparse;
};

// Holds the volume's voxel mutex for a scope, so that it is released on every path.
class HeldVoxels
{
public:
    explicit HeldVoxels(TotalVolume *volume) : volume(volume), voxels(volume->lockVoxels()) {}
    ~HeldVoxels() { volume->unlockVoxels(); }
    HeldVoxels(const HeldVoxels &) = delete;
    HeldVoxels &operator=(const HeldVoxels &) = delete;
    const Voxel *get() const { return voxels; }

private:
    TotalVolume *volume;
    const Voxel *voxels;
};

// What one slab of x layers produces; an error is carried back to the calling thread.
struct SlabOutput
{
    std::vector<QuadFace> opaque;
    std::vector<QuadFace> translucent;
    std::exception_ptr error;
};

// Waits for every started task, also when the caller leaves by an exception: the tasks
// write into the caller's outputs.
class TaskJoiner
{
public:
    explicit TaskJoiner(std::vector<QFuture<void>> *futures) : futures(futures) {}
    ~TaskJoiner()
    {
        for (QFuture<void> &f : *futures)
            f.waitForFinished();
    }
    TaskJoiner(const TaskJoiner &) = delete;
    TaskJoiner &operator=(const TaskJoiner &) = delete;

private:
    std::vector<QFuture<void>> *futures;
};

// Splits [x0, x1) into as many slabs as the global pool has threads and runs
// work(begin, end, output) for each; slab i is [x0 + i * span, x0 + (i + 1) * span), the
// last one ending at x1. With fewer layers than threads the calling thread does it all.
// Outputs come back in slab order; the first error of any slab is rethrown after all
// slabs have finished.
template <typename Work>
std::vector<SlabOutput> runSlabs(int32_t x0, int32_t x1, const Work &work)
{
    const int n = std::max(1, QThreadPool::globalInstance()->maxThreadCount());
    const int32_t span = (x1 - x0) / n;
    std::vector<SlabOutput> outputs;
    if (span <= 0) {
        outputs.resize(1);
        work(x0, x1, &outputs[0]);
        return outputs;
    }
    outputs.resize(static_cast<size_t>(n));
    std::vector<QFuture<void>> futures;
    futures.reserve(static_cast<size_t>(n));
    {
        TaskJoiner joiner(&futures);
        for (int i = 0; i < n; ++i) {
            const int32_t begin = x0 + i * span;
            const int32_t end = i == n - 1 ? x1 : begin + span;
            SlabOutput *out = &outputs[static_cast<size_t>(i)];
            futures.push_back(QtConcurrent::run(QThreadPool::globalInstance(), [&work, begin, end, out] {
                try {
                    work(begin, end, out);
                } catch (...) {
                    out->error = std::current_exception();
                }
            }));
        }
    }
    for (const SlabOutput &o : outputs)
        if (o.error)
            std::rethrow_exception(o.error);
    return outputs;
}

// Appends the slabs' lists, whole and in slab order, to `dest` (emptied first).
void splice(std::vector<QuadFace> *dest, std::vector<SlabOutput> *outputs,
            std::vector<QuadFace> SlabOutput::*list)
{
    size_t total = 0;
    for (const SlabOutput &o : *outputs)
        total += (o.*list).size();
    std::vector<QuadFace> &first = (*outputs)[0].*list;
    if (first.capacity() >= total) {
        *dest = std::move(first);
    } else {
        std::vector<QuadFace>().swap(*dest);
        dest->reserve(total);
        dest->insert(dest->end(), first.begin(), first.end());
        std::vector<QuadFace>().swap(first);
    }
    for (size_t i = 1; i < outputs->size(); ++i) {
        std::vector<QuadFace> &part = (*outputs)[i].*list;
        dest->insert(dest->end(), part.begin(), part.end());
        std::vector<QuadFace>().swap(part);
    }
}

// Everything a slab task reads; shared read-only by all tasks.
struct Grid
{
    const TotalVolume *volume;
    const Voxel *voxels;
    TotalVolumePainter::CellCorner min;
    TotalVolumePainter::CellCorner max;
    float cellSize[3];
    const MaterialClasses *classes;
};

// Face lists of a slab are reserved for about the surface of its part of the box; a
// solid's surface is rarely much larger, and untouched reserve costs no memory.
size_t surfaceEstimate(int64_t nx, int64_t ny, int64_t nz)
{
    const int64_t estimate = 2 * (nx * ny + nx * nz + ny * nz);
    return static_cast<size_t>(std::min<int64_t>(estimate, int64_t(1) << 20));
}

// Kinds of the cells of layer x inside the box, y-major, one byte per cell.
void classifyLayer(const Grid &g, int32_t x, uint8_t *out)
{
    const int32_t nz = g.max[2] - g.min[2];
    for (int32_t y = g.min[1]; y < g.max[1]; ++y) {
        const Voxel *row = g.voxels + g.volume->index(x, y, g.min[2]);
        for (int32_t z = 0; z < nz; ++z) {
            const Voxel &v = row[z];
            const uint32_t id = v.getMaterialId();
            *out++ = (id == 0 || v.isCut()) ? uint8_t(Hidden) : g.classes->kindOf(id);
        }
    }
}

void generateDirectCubicSlab(const Grid &g, int32_t xBegin, int32_t xEnd, SlabOutput *out)
{
    const int32_t ny = g.max[1] - g.min[1];
    const int32_t nz = g.max[2] - g.min[2];
    if (xBegin >= xEnd || ny <= 0 || nz <= 0)
        return;
    const float sx = g.cellSize[0], sy = g.cellSize[1], sz = g.cellSize[2];
    out->opaque.reserve(surfaceEstimate(xEnd - xBegin, ny, nz));

    // Index offsets of the +x and +y neighbours, from the volume's own index arithmetic.
    const ptrdiff_t strideX = static_cast<ptrdiff_t>(g.volume->index(1, 0, 0));
    const ptrdiff_t strideY = static_cast<ptrdiff_t>(g.volume->index(0, 1, 0));

    // Kinds of layers x - 1, x and x + 1, rolled along x.
    const size_t layer = static_cast<size_t>(ny) * static_cast<size_t>(nz);
    std::vector<uint8_t> buffer(3 * layer);
    uint8_t *prev = buffer.data();
    uint8_t *cur = prev + layer;
    uint8_t *next = cur + layer;
    if (xBegin > g.min[0])
        classifyLayer(g, xBegin - 1, prev);
    classifyLayer(g, xBegin, cur);

    for (int32_t x = xBegin; x < xEnd; ++x) {
        const bool hasPrev = x > g.min[0];
        const bool hasNext = x + 1 < g.max[0];
        if (hasNext)
            classifyLayer(g, x + 1, next);

        for (int32_t yi = 0; yi < ny; ++yi) {
            const int32_t y = g.min[1] + yi;
            const Voxel *row = g.voxels + g.volume->index(x, y, g.min[2]);
            const size_t rowOffset = static_cast<size_t>(yi) * static_cast<size_t>(nz);
            const uint8_t *c = cur + rowOffset;
            const uint8_t *below = yi > 0 ? c - nz : nullptr;          // y - 1
            const uint8_t *above = yi + 1 < ny ? c + nz : nullptr;     // y + 1
            const uint8_t *left = hasPrev ? prev + rowOffset : nullptr;  // x - 1
            const uint8_t *right = hasNext ? next + rowOffset : nullptr; // x + 1

            for (int32_t zi = 0; zi < nz; ++zi) {
                const uint8_t k = c[zi];
                if (k == Hidden)
                    continue;
                bool visible[6];
                uint32_t id;
                if (k == Opaque) {
                    // Hidden behind an opaque solid neighbour, shown on the box boundary.
                    visible[0] = zi == 0 || c[zi - 1] != Opaque;
                    visible[1] = zi + 1 == nz || c[zi + 1] != Opaque;
                    visible[2] = !below || below[zi] != Opaque;
                    visible[3] = !above || above[zi] != Opaque;
                    visible[4] = !left || left[zi] != Opaque;
                    visible[5] = !right || right[zi] != Opaque;
                    if (!(visible[0] | visible[1] | visible[2] | visible[3] | visible[4] | visible[5]))
                        continue;
                    id = row[zi].getMaterialId();
                } else {
                    // Also hidden behind a visible cell of the same material: one
                    // translucent body has no inner faces. A cut neighbour of the same
                    // material is not visible, so the body stays closed at the cut.
                    id = row[zi].getMaterialId();
                    const Voxel *v = row + zi;
                    auto shows = [id](uint8_t nk, const Voxel &n) {
                        return nk != Opaque && !(nk == Translucent && n.getMaterialId() == id);
                    };
                    visible[0] = zi == 0 || shows(c[zi - 1], v[-1]);
                    visible[1] = zi + 1 == nz || shows(c[zi + 1], v[1]);
                    visible[2] = !below || shows(below[zi], v[-strideY]);
                    visible[3] = !above || shows(above[zi], v[strideY]);
                    visible[4] = !left || shows(left[zi], v[-strideX]);
                    visible[5] = !right || shows(right[zi], v[strideX]);
                }
                const float *color = g.classes->colorOf(id);
                std::vector<QuadFace> &list = k == Opaque ? out->opaque : out->translucent;
                const int32_t z = g.min[2] + zi;
                for (int side = 0; side < 6; ++side)
                    if (visible[side])
                        list.emplace_back(static_cast<QuadFace::Side>(side), x, y, z, sx, sy, sz, color,
                                          static_cast<int32_t>(id));
            }
        }
        uint8_t *recycled = prev;
        prev = cur;
        cur = next;
        next = recycled;
    }
}

void generateEmptyOutlineSlab(const Grid &g, int32_t xBegin, int32_t xEnd, SlabOutput *out)
{
    const float sx = g.cellSize[0], sy = g.cellSize[1], sz = g.cellSize[2];
    const float *color = TotalVolumePainter::emptyOutlineColor.data();
    for (int32_t x = xBegin; x < xEnd; ++x)
        for (int32_t y = g.min[1]; y < g.max[1]; ++y) {
            const Voxel *row = g.voxels + g.volume->index(x, y, 0);
            for (int32_t z = g.min[2]; z < g.max[2]; ++z)
                if (row[z].getMaterialId() == 0)
                    for (int side = 0; side < 6; ++side)
                        out->opaque.emplace_back(static_cast<QuadFace::Side>(side), x, y, z, sx, sy, sz,
                                                 color, 0);
        }
}

void emitQuad(const QuadFace &f)
{
    glVertex3fv(f.corner(0));
    glVertex3fv(f.corner(1));
    glVertex3fv(f.corner(2));
    glVertex3fv(f.corner(3));
}

void drawFilled(const std::vector<QuadFace> &faces)
{
    glBegin(GL_QUADS);
    for (const QuadFace &f : faces) {
        glNormal3fv(f.getNormal());
        glColor4fv(f.getColor());
        emitQuad(f);
    }
    glEnd();
}

void drawOutlines(const std::vector<QuadFace> &faces)
{
    glBegin(GL_QUADS);
    for (const QuadFace &f : faces) {
        glColor4fv(f.getOutlineColor());
        emitQuad(f);
    }
    glEnd();
}

void drawMask(const std::vector<bool> &bits, int width, int height, uint32_t sizeX, uint32_t sizeY,
              float z, float sx, float sy)
{
    const int w = std::min<int64_t>(std::max(width, 0), sizeX);
    const int h = std::min<int64_t>(std::max(height, 0), sizeY);
    glBegin(GL_QUADS);
    for (int i = 0; i < w; ++i)
        for (int j = 0; j < h; ++j) {
            const size_t bit = static_cast<size_t>(i) * static_cast<size_t>(height) + static_cast<size_t>(j);
            if (bit >= bits.size() || !bits[bit])
                continue;
            glVertex3f(i * sx, j * sy, z);
            glVertex3f((i + 1) * sx, j * sy, z);
            glVertex3f((i + 1) * sx, (j + 1) * sy, z);
            glVertex3f(i * sx, (j + 1) * sy, z);
        }
    glEnd();
}

} // namespace

TotalVolumePainter::TotalVolumePainter(TotalVolume *volume)
    : volume(volume), cellSizeX(volume->getCellSizeX()), cellSizeY(volume->getCellSizeY()),
      cellSizeZ(volume->getCellSizeZ()), cutMin{0, 0, 0},
      cutMax{static_cast<int32_t>(volume->getSizeX()), static_cast<int32_t>(volume->getSizeY()),
             static_cast<int32_t>(volume->getSizeZ())},
      latticeRenderer(std::make_unique<SiLatticeRenderer>(volume)),
      sizeY(static_cast<int32_t>(volume->getSizeY())), sizeZ(static_cast<int32_t>(volume->getSizeZ())),
      selectedShown(!volume->isSelected())
{
    rebuildClipPlanes(cutMin, cutMax);
}

TotalVolumePainter::~TotalVolumePainter() = default;

void TotalVolumePainter::rebuildColorMap()
{
    if (!materials)
        materials = Materials::MaterialFactory::instance();
    colorMap.clear();
    for (const Materials::Material &m : materials->getMaterials())
        colorMap[m.id] = {m.color[0], m.color[1], m.color[2], m.color[3]};
    colorMap.emplace(0u, Color{0.0f, 0.0f, 0.0f, 0.0f});
}

void TotalVolumePainter::effectiveBox(CellCorner *min, CellCorner *max) const
{
    CellCorner lo, hi;
    getCutLimits(&lo, &hi);
    const int64_t size[3] = {volume->getSizeX(), sizeY, sizeZ};
    for (int a = 0; a < 3; ++a) {
        (*min)[a] = static_cast<int32_t>(std::clamp<int64_t>(lo[a], 0, size[a]));
        (*max)[a] = static_cast<int32_t>(std::clamp<int64_t>(hi[a], (*min)[a], size[a]));
    }
}

void TotalVolumePainter::regenerate()
{
    generateDirectCubic();
    // Modes 1 (marching cubes), 2 (octree) and 3 (field view) would regenerate their
    // surfaces here from the cut box; their generators are not built yet.
    if (emptyVoxelOutlines)
        generateEmptyOutlines();
    else
        std::vector<QuadFace>().swap(emptyOutlineFaces);
    // In mode 0 the cell faces hide atoms inside opaque cells; the colour map is the one
    // the faces were just made with.
    if (mode == 0) {
        SiLatticeRenderer::Occluders occluders;
        effectiveBox(&occluders.min, &occluders.max);
        auto classes = std::make_shared<MaterialClasses>(colorMap);
        occluders.isOpaque = [classes](uint32_t id) { return classes->kindOf(id) == Opaque; };
        latticeRenderer->update(getClipPlanes(), &occluders);
    } else {
        latticeRenderer->update(getClipPlanes());
    }
}

void TotalVolumePainter::generateDirectCubic()
{
    // Release the old surfaces first: only one generation's faces are held at a time.
    translucentTree.reset();
    std::vector<QuadFace>().swap(opaqueFaces);
    std::vector<QuadFace>().swap(translucentFaces);
    rebuildColorMap();
    const MaterialClasses classes(colorMap);
    // New faces carry the material colours: what an unselected volume shows.
    selectedShown = false;

    Grid g;
    g.volume = volume;
    effectiveBox(&g.min, &g.max);
    g.cellSize[0] = cellSizeX;
    g.cellSize[1] = cellSizeY;
    g.cellSize[2] = cellSizeZ;
    g.classes = &classes;

    const HeldVoxels lock(volume);
    g.voxels = lock.get();
    std::vector<SlabOutput> outputs =
        runSlabs(g.min[0], g.max[0], [&g](int32_t begin, int32_t end, SlabOutput *out) {
            generateDirectCubicSlab(g, begin, end, out);
        });
    splice(&opaqueFaces, &outputs, &SlabOutput::opaque);
    splice(&translucentFaces, &outputs, &SlabOutput::translucent);
    if (!translucentFaces.empty())
        translucentTree = std::make_shared<Geometry::BSPTree>(translucentFaces);
}

void TotalVolumePainter::generateEmptyOutlines()
{
    std::vector<QuadFace>().swap(emptyOutlineFaces);
    Grid g;
    g.volume = volume;
    effectiveBox(&g.min, &g.max);
    g.cellSize[0] = cellSizeX;
    g.cellSize[1] = cellSizeY;
    g.cellSize[2] = cellSizeZ;
    g.classes = nullptr;

    const HeldVoxels lock(volume);
    g.voxels = lock.get();
    std::vector<SlabOutput> outputs =
        runSlabs(g.min[0], g.max[0], [&g](int32_t begin, int32_t end, SlabOutput *out) {
            generateEmptyOutlineSlab(g, begin, end, out);
        });
    splice(&emptyOutlineFaces, &outputs, &SlabOutput::opaque);
}

TotalVolumePainter::Color TotalVolumePainter::highlight(const Color &c)
{
    Color h = c;
    for (int i = 0; i < 3; ++i) {
        const double v = c[i];
        h[i] = static_cast<float>(v >= 0.7 ? v - 0.7 : v + 0.3);
    }
    return h;
}

void TotalVolumePainter::refreshColors()
{
    // Modes 2 and 3 recolour through their generators (not built yet); mode 1 has no
    // colours to refresh.
    if (mode != 0)
        return;
    rebuildColorMap();
    const MaterialClasses classes(colorMap);
    const bool selected = volume->isSelected();
    // Highlights are taken from the material colour, not the current one, so that
    // refreshing a selected volume twice does not drift its colours.
    for (std::vector<QuadFace> *list : {&opaqueFaces, &translucentFaces})
        for (QuadFace &f : *list) {
            const float *base = classes.colorOf(static_cast<uint32_t>(f.getMaterialId()));
            if (selected) {
                const Color h = highlight({base[0], base[1], base[2], base[3]});
                f.setColor(h.data());
                f.setOutlineColor(h.data());
            } else {
                f.setColor(base);
                f.setOutlineColor(base);
            }
        }
    selectedShown = selected;
}

void TotalVolumePainter::setMode(int32_t m)
{
    if (m == mode)
        return;
    mode = m;
    generateDirectCubic();
}

void TotalVolumePainter::setRenderAtoms(bool on) { latticeRenderer->setRenderAtoms(on); }
void TotalVolumePainter::setRenderSurfaceAtomsOnly(bool on) { latticeRenderer->setRenderSurfaceAtomsOnly(on); }
void TotalVolumePainter::setRenderAtomLinks(bool on) { latticeRenderer->setRenderAtomLinks(on); }
void TotalVolumePainter::setRenderUnitCellOutlines(bool on) { latticeRenderer->setRenderUnitCellOutlines(on); }
void TotalVolumePainter::setRenderUnitCells(bool on) { latticeRenderer->setRenderUnitCells(on); }

void TotalVolumePainter::setCutLimits(const CellCorner &min, const CellCorner &max)
{
    QMutexLocker lock(&cutMutex);
    cutMin = min;
    cutMax = max;
    rebuildClipPlanes(min, max);
}

void TotalVolumePainter::getCutLimits(CellCorner *min, CellCorner *max) const
{
    QMutexLocker lock(&cutMutex);
    *min = cutMin;
    *max = cutMax;
}

std::vector<Util::Vector4D> TotalVolumePainter::getClipPlanes() const
{
    QMutexLocker lock(&clipPlanesMutex);
    return clipPlanes;
}

void TotalVolumePainter::rebuildClipPlanes(const CellCorner &min, const CellCorner &max)
{
    QMutexLocker lock(&clipPlanesMutex);
    clipPlanes = {
        Util::Vector4D(-1, 0, 0, min[0]), Util::Vector4D(1, 0, 0, -max[0]),
        Util::Vector4D(0, -1, 0, min[1]), Util::Vector4D(0, 1, 0, -max[1]),
        Util::Vector4D(0, 0, -1, min[2]), Util::Vector4D(0, 0, 1, -max[2]),
    };
}

std::vector<uint32_t> TotalVolumePainter::translucentOrder(const Util::Vector3D &eye) const
{
    if (!translucentTree)
        return {};
    // The faces are relative to the volume's position.
    const Util::Vector3D position = volume->getPosition();
    return translucentTree->backToFrontOrder(
        Util::Vector3D(eye.x - position.x, eye.y - position.y, eye.z - position.z));
}

void TotalVolumePainter::paint(bool surfaces, bool outlines, Util::Vector3D eye)
{
    if (hidden)
        return;
    if (volume->isSelected() != selectedShown) {
        selectedShown = !selectedShown;
        refreshColors();
    }
    if (!QOpenGLContext::currentContext())
        return;

    const Util::Vector3D position = volume->getPosition();
    glPushMatrix();
    glTranslated(position.x, position.y, position.z);

    if (surfaces) {
        // Modes 1-3 draw their own surfaces here once their generators exist.
        if (mode == 0) {
            latticeRenderer->drawOpaque();
            drawFilled(opaqueFaces);
            if (outlines) {
                glPushAttrib(GL_ALL_ATTRIB_BITS);
                glDisable(GL_LIGHTING);
                glEnable(GL_POLYGON_OFFSET_LINE);
                glPolygonOffset(-1.0f, -1.0f);
                glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                glLineWidth(1.0f);
                drawOutlines(opaqueFaces);
                drawOutlines(translucentFaces);
                if (emptyVoxelOutlines)
                    drawOutlines(emptyOutlineFaces);
                glPopAttrib();
            }
        }

        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        latticeRenderer->drawTranslucent();
        if (mode == 0) {
            glDisable(GL_COLOR_MATERIAL);
            static const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            glBegin(GL_QUADS);
            for (const uint32_t i : translucentOrder(eye)) {
                const QuadFace &f = translucentFaces[i];
                glNormal3fv(f.getNormal());
                glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, f.getColor());
                glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
                emitQuad(f);
            }
            glEnd();
            glEnable(GL_COLOR_MATERIAL);
        }

        // Mask overlays, below and above the volume.
        glDisable(GL_CULL_FACE);
        glColor4fv(maskColor.data());
        int width = 0, height = 0;
        volume->getBottomMaskSize(&width, &height);
        drawMask(volume->getBottomMask(), width, height, volume->getSizeX(), volume->getSizeY(),
                 -5.0f * cellSizeZ, cellSizeX, cellSizeY);
        volume->getTopMaskSize(&width, &height);
        drawMask(volume->getTopMask(), width, height, volume->getSizeX(), volume->getSizeY(),
                 (static_cast<float>(sizeZ) + 5.0f) * cellSizeZ, cellSizeX, cellSizeY);
        glPopAttrib();
    }

    glPopMatrix();
}

void TotalVolumePainter::drawForPicking()
{
    if (!QOpenGLContext::currentContext())
        return;
    const Util::Vector3D p = volume->getPosition();
    const double extent[3] = {volume->getSizeX() * double(cellSizeX), volume->getSizeY() * double(cellSizeY),
                              volume->getSizeZ() * double(cellSizeZ)};
    glBegin(GL_QUADS);
    for (int side = 0; side < 6; ++side) {
        glNormal3fv(QuadFace::normals[side]);
        for (int k = 0; k < 4; ++k) {
            const int8_t *o = QuadFace::cornerOffsets[side][k];
            glVertex3d(p.x + o[0] * extent[0], p.y + o[1] * extent[1], p.z + o[2] * extent[2]);
        }
    }
    glEnd();
}

} // namespace Automaton
} // namespace Model
