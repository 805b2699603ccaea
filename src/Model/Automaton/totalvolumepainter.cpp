#include "Model/Automaton/totalvolumepainter.h"

#include "Model/Automaton/directcubicsurface.h"
#include "Model/Automaton/colorscale.h"
#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/marchingcubesurface.h"
#include "Model/Automaton/octreesurface.h"
#include "Model/Automaton/materialclasses.h"
#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Materials/materialfactory.h"
#include "Util/threadcheck.h"

#include <QOpenGLContext>
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

// The octree's opaque faces: one whose sides other faces' corners meet is drawn as a fan
// around its centre through its rim, so that its seams close.
void drawFilled(const OctreeSurface &octree)
{
    const std::vector<QuadFace> &faces = octree.opaqueFaces();
    glBegin(GL_QUADS);
    for (size_t i = 0; i < faces.size(); ++i) {
        if (octree.rimOf(i).second != 0)
            continue;
        glNormal3fv(faces[i].getNormal());
        glColor4fv(faces[i].getColor());
        emitQuad(faces[i]);
    }
    glEnd();
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < faces.size(); ++i) {
        const auto rim = octree.rimOf(i);
        if (rim.second == 0)
            continue;
        const QuadFace &f = faces[i];
        glNormal3fv(f.getNormal());
        glColor4fv(f.getColor());
        const float centre[3] = {(f.corner(0)[0] + f.corner(2)[0]) / 2, (f.corner(0)[1] + f.corner(2)[1]) / 2,
                                 (f.corner(0)[2] + f.corner(2)[2]) / 2};
        for (size_t k = 0; k < rim.second; ++k) {
            glVertex3fv(centre);
            glVertex3fv(rim.first[k].data());
            glVertex3fv(rim.first[(k + 1) % rim.second].data());
        }
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
      cubic(std::make_unique<DirectCubicSurface>(*volume)), latticeRenderer(std::make_unique<SiLatticeRenderer>(volume)),
      sizeY(static_cast<int32_t>(volume->getSizeY())), sizeZ(static_cast<int32_t>(volume->getSizeZ())),
      selectedShown(!volume->isSelected())
{
    rebuildClipPlanes(cutMin, cutMax);
}

TotalVolumePainter::~TotalVolumePainter() = default;



std::map<uint32_t, TotalVolumePainter::Color> TotalVolumePainter::materialColors()
{
    std::map<uint32_t, Color> colors;
    for (const Materials::Material &m : Materials::MaterialFactory::instance()->getMaterials())
        colors[m.id] = {m.color[0], m.color[1], m.color[2], m.color[3]};
    colors.emplace(0u, Color{0.0f, 0.0f, 0.0f, 0.0f});
    return colors;
}

void TotalVolumePainter::rebuildColorMap() { colorMap = materialColors(); }

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

namespace {

// The box around the cells of `window` that show: filled with a material that is drawn,
// and not cut.
TotalVolumePainter::ShownCells findShownCells(const TotalVolume &volume, const Voxel *voxels,
                                              const MaterialClasses &classes,
                                              const TotalVolumePainter::CellCorner &min,
                                              const TotalVolumePainter::CellCorner &max)
{
    TotalVolumePainter::ShownCells shown;
    shown.known = true;
    const auto shows = [&](const Voxel &v) { return v.isSolid() && classes.kindOf(v.getMaterialId()) != Hidden; };
    for (int32_t x = min[0]; x < max[0]; ++x)
        for (int32_t y = min[1]; y < max[1]; ++y) {
            const Voxel *column = voxels + volume.index(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0);
            // The lowest and the highest shown cell of the column.
            int32_t lo = min[2];
            while (lo < max[2] && !shows(column[lo]))
                ++lo;
            if (lo == max[2])
                continue;
            int32_t hi = max[2] - 1;
            while (!shows(column[hi]))
                --hi;
            const TotalVolumePainter::CellCorner cellMin{x, y, lo}, cellMax{x + 1, y + 1, hi + 1};
            for (int a = 0; a < 3; ++a) {
                shown.min[a] = shown.any ? std::min(shown.min[a], cellMin[a]) : cellMin[a];
                shown.max[a] = shown.any ? std::max(shown.max[a], cellMax[a]) : cellMax[a];
            }
            shown.any = true;
        }
    return shown;
}

} // namespace

TotalVolumePainter::ShownCells TotalVolumePainter::getShownCells() const
{
    Util::CheckedMutexLocker lock(&shownMutex);
    return shown;
}

TotalVolumePainter::Surfaces::Surfaces() = default;
TotalVolumePainter::Surfaces::~Surfaces() = default;

void TotalVolumePainter::regenerate() { install(makeSurfaces()); }

std::unique_ptr<TotalVolumePainter::Surfaces> TotalVolumePainter::makeSurfaces() const
{
    std::unique_ptr<Surfaces> s(new Surfaces);
    s->mode = mode;
    s->colorMap = materialColors();
    const MaterialClasses classes(s->colorMap, missingMaterialColor);
    CellCorner min, max;
    effectiveBox(&min, &max);
    std::vector<QuadFace> *translucent = nullptr;
    switch (mode) {
    case SurfaceMode::MarchingCubes:
        s->marching = std::make_unique<MarchingCubeSurface>(volume);
        s->marching->regenerate(min, max);
        break;
    case SurfaceMode::Octree:
        s->octree = std::make_unique<OctreeSurface>(volume);
        s->octree->regenerate(min, max, s->colorMap);
        break;
    case SurfaceMode::FieldView:
        s->field = std::make_unique<FieldPainter>(volume);
        s->field->setDistribution(distribution);
        s->field->colorScale().setType(colorScaleType);
        s->field->regenerate(min, max, classes);
        translucent = &s->field->translucentFaces();
        break;
    case SurfaceMode::DirectCubic: {
        s->cubic = std::make_unique<DirectCubicSurface>(*volume);
        const VoxelLock lock(*volume);
        s->cubic->generate(lock.voxels(), min, max, classes);
        translucent = &s->cubic->translucentFaces();
        break;
    }
    }
    {
        const VoxelLock lock(*volume);
        s->shown = findShownCells(*volume, lock.voxels(), classes, min, max);
    }
    // Faces of the cell grid (direct cubic and field view) are sorted for blending by a
    // BSP tree; the octree's larger faces would cut its planes, and are drawn as they come.
    if (translucent && !translucent->empty())
        s->translucentTree = std::make_shared<Geometry::BSPTree>(*translucent);
    s->withEmptyOutlines = emptyVoxelOutlines;
    if (emptyVoxelOutlines) {
        const VoxelLock lock(*volume);
        s->emptyOutlineFaces = DirectCubicSurface(*volume).emptyCellOutlines(lock.voxels(), min, max, emptyOutlineColor.data());
    }
    return s;
}

void TotalVolumePainter::install(std::unique_ptr<Surfaces> s)
{
    // Surfaces made for another mode than the one now set are of no use.
    if (!s || s->mode != mode)
        s = makeSurfaces();
    colorMap = std::move(s->colorMap);
    // New faces carry the material colours: what an unselected volume shows.
    selectedShown = false;
    if (s->cubic)
        std::swap(cubic, s->cubic);
    else
        cubic->clear();
    // The previous surfaces go with `s`, here on the thread that draws.
    std::swap(marching, s->marching);
    std::swap(octree, s->octree);
    std::swap(field, s->field);
    std::swap(translucentTree, s->translucentTree);
    if (s->withEmptyOutlines)
        emptyOutlineFaces.swap(s->emptyOutlineFaces);
    else
        std::vector<QuadFace>().swap(emptyOutlineFaces);
    {
        Util::CheckedMutexLocker lock(&shownMutex);
        shown = s->shown;
    }
    s.reset();

    // Direct cubic cell faces hide atoms inside opaque cells; the colour map is the one
    // the faces were just made with.
    if (mode == SurfaceMode::DirectCubic) {
        SiLatticeRenderer::Occluders occluders;
        effectiveBox(&occluders.min, &occluders.max);
        auto classes = std::make_shared<MaterialClasses>(colorMap, missingMaterialColor);
        occluders.isOpaque = [classes](uint32_t id) { return classes->kindOf(id) == Opaque; };
        latticeRenderer->update(getClipPlanes(), &occluders);
    } else {
        latticeRenderer->update(getClipPlanes());
    }
}

void TotalVolumePainter::releaseSurfaces()
{
    translucentTree.reset();
    // Only the generator of the mode in use keeps a surface.
    if (mode != SurfaceMode::DirectCubic)
        cubic->clear();
    if (mode != SurfaceMode::MarchingCubes)
        marching.reset();
    if (mode != SurfaceMode::Octree)
        octree.reset();
    if (mode != SurfaceMode::FieldView)
        field.reset();
}

std::vector<QuadFace> *TotalVolumePainter::quads(bool translucent)
{
    switch (mode) {
    case SurfaceMode::MarchingCubes:
        return nullptr;
    case SurfaceMode::Octree:
        return octree ? (translucent ? &octree->translucentFaces() : &octree->opaqueFaces()) : nullptr;
    case SurfaceMode::FieldView:
        return field ? (translucent ? &field->translucentFaces() : &field->opaqueFaces()) : nullptr;
    case SurfaceMode::DirectCubic:
        break;
    }
    return translucent ? &cubic->translucentFaces() : &cubic->opaqueFaces();
}

const std::vector<QuadFace> &TotalVolumePainter::getOpaqueFaces() const
{
    static const std::vector<QuadFace> none;
    const std::vector<QuadFace> *list = const_cast<TotalVolumePainter *>(this)->quads(false);
    return list ? *list : none;
}

const std::vector<QuadFace> &TotalVolumePainter::getTranslucentFaces() const
{
    static const std::vector<QuadFace> none;
    const std::vector<QuadFace> *list = const_cast<TotalVolumePainter *>(this)->quads(true);
    return list ? *list : none;
}

const MarchingCubeSurface *TotalVolumePainter::getMarchingCubeSurface() const { return marching.get(); }

bool TotalVolumePainter::fieldRange(float *minimum, float *maximum) const
{
    if (mode != SurfaceMode::FieldView || !field)
        return false;
    *minimum = field->colorScale().getMinimum();
    *maximum = field->colorScale().getMaximum();
    return true;
}

TotalVolumePainter::Color TotalVolumePainter::fieldScaleEntry(int entry) const
{
    if (field)
        return field->colorScale().entry(entry);
    ColorScale scale;
    scale.setType(colorScaleType);
    return scale.entry(entry);
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
    const bool selected = volume->isSelected();
    selectedShown = selected;
    // Marching cubes takes its colours at every draw.
    if (mode == SurfaceMode::MarchingCubes)
        return;
    // The field view's colours come from the particle counts: make them afresh.
    if (mode == SurfaceMode::FieldView)
        install(makeSurfaces());
    rebuildColorMap();
    const MaterialClasses classes(colorMap, missingMaterialColor);
    selectedShown = selected;
    if (mode == SurfaceMode::FieldView && !selected)
        return;
    // Highlights are taken from the material (or fresh field) colour, not the current
    // one, so that refreshing a selected volume twice does not drift its colours.
    for (bool translucent : {false, true}) {
        std::vector<QuadFace> *list = quads(translucent);
        if (!list)
            continue;
        for (QuadFace &f : *list) {
            const float *base = mode == SurfaceMode::FieldView ? f.getColor() : classes.colorOf(static_cast<uint32_t>(f.getMaterialId()));
            if (selected) {
                const Color h = highlight({base[0], base[1], base[2], base[3]});
                f.setColor(h.data());
                f.setOutlineColor(h.data());
            } else {
                f.setColor(base);
                f.setOutlineColor(base);
            }
        }
    }
}

void TotalVolumePainter::setMode(SurfaceMode m)
{
    if (m == mode)
        return;
    // The new mode's surface is made by the next regenerate(); the old one goes now.
    mode = m;
    releaseSurfaces();
}

void TotalVolumePainter::setDistribution(FieldDistribution d) { distribution = d; }
FieldDistribution TotalVolumePainter::getDistribution() const { return distribution; }
void TotalVolumePainter::setColorScale(ColorScaleType type) { colorScaleType = type; }
ColorScaleType TotalVolumePainter::getColorScale() const { return colorScaleType; }

void TotalVolumePainter::setRenderAtoms(bool on) { latticeRenderer->setRenderAtoms(on); }
void TotalVolumePainter::setRenderSurfaceAtomsOnly(bool on) { latticeRenderer->setRenderSurfaceAtomsOnly(on); }
void TotalVolumePainter::setRenderAtomLinks(bool on) { latticeRenderer->setRenderAtomLinks(on); }
void TotalVolumePainter::setRenderUnitCellOutlines(bool on) { latticeRenderer->setRenderUnitCellOutlines(on); }
void TotalVolumePainter::setRenderUnitCells(bool on) { latticeRenderer->setRenderUnitCells(on); }

void TotalVolumePainter::setCutLimits(const CellCorner &min, const CellCorner &max)
{
    Util::CheckedMutexLocker lock(&cutMutex);
    cutMin = min;
    cutMax = max;
    rebuildClipPlanes(min, max);
}

void TotalVolumePainter::getCutLimits(CellCorner *min, CellCorner *max) const
{
    Util::CheckedMutexLocker lock(&cutMutex);
    *min = cutMin;
    *max = cutMax;
}

std::vector<Util::Vector4D> TotalVolumePainter::getClipPlanes() const
{
    Util::CheckedMutexLocker lock(&clipPlanesMutex);
    return clipPlanes;
}

void TotalVolumePainter::rebuildClipPlanes(const CellCorner &min, const CellCorner &max)
{
    Util::CheckedMutexLocker lock(&clipPlanesMutex);
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
        std::vector<QuadFace> *opaque = quads(false);
        std::vector<QuadFace> *translucent = quads(true);
        if (mode == SurfaceMode::MarchingCubes && marching) {
            // Colours come from the catalogue at every draw, highlighted when selected.
            rebuildColorMap();
            std::map<uint32_t, Color> colors = colorMap;
            if (volume->isSelected())
                for (auto &entry : colors)
                    entry.second = highlight(entry.second);
            marching->draw(colors);
        }
        if (mode == SurfaceMode::DirectCubic)
            latticeRenderer->drawOpaque();
        if (opaque) {
            if (mode == SurfaceMode::Octree && octree)
                drawFilled(*octree);
            else
                drawFilled(*opaque);
            if (outlines) {
                glPushAttrib(GL_ALL_ATTRIB_BITS);
                glDisable(GL_LIGHTING);
                glEnable(GL_POLYGON_OFFSET_LINE);
                glPolygonOffset(-1.0f, -1.0f);
                glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                glLineWidth(1.0f);
                drawOutlines(*opaque);
                drawOutlines(*translucent);
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
        if (translucent && !translucent->empty()) {
            glDisable(GL_COLOR_MATERIAL);
            static const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            glBegin(GL_QUADS);
            auto drawOne = [](const QuadFace &f) {
                glNormal3fv(f.getNormal());
                glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, f.getColor());
                glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
                emitQuad(f);
            };
            if (translucentTree) {
                for (const uint32_t i : translucentOrder(eye))
                    drawOne((*translucent)[i]);
            } else {
                for (const QuadFace &f : *translucent)
                    drawOne(f);
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
