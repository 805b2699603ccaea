#include "Model/Automaton/silatticerenderer.h"

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace Model {
namespace Automaton {

const uint8_t SiLatticeRenderer::atomRgb[colorCount][3] = {
    {255, 127, 0}, {0, 0, 255}, {127, 255, 127}, {255, 255, 0}};
const uint8_t SiLatticeRenderer::linkRgb[3] = {255, 255, 127};
const uint8_t SiLatticeRenderer::unitCellRgba[4] = {127, 127, 255, 127};

namespace {

using Point = SiLatticeRenderer::Point;

// Corners of the cube template are numbered 4 bx + 2 by + bz. The six faces,
// counter-clockwise seen from outside.
constexpr int cubeFaces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                 {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};

std::vector<std::array<float, 3>> makeIcosphere(std::vector<uint16_t> *indices)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<std::array<float, 3>> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                           {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                           {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    auto normalise = [](std::array<float, 3> p) {
        const float l = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        return std::array<float, 3>{p[0] / l, p[1] / l, p[2] / l};
    };
    for (auto &p : v)
        p = normalise(p);
    std::vector<std::array<uint16_t, 3>> faces = {
        {0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int level = 0; level < 2; ++level) {
        std::map<std::pair<uint16_t, uint16_t>, uint16_t> middles;
        auto middle = [&](uint16_t a, uint16_t b) {
            const auto key = std::make_pair(std::min(a, b), std::max(a, b));
            const auto it = middles.find(key);
            if (it != middles.end())
                return it->second;
            v.push_back(normalise({(v[a][0] + v[b][0]) / 2, (v[a][1] + v[b][1]) / 2, (v[a][2] + v[b][2]) / 2}));
            const auto index = static_cast<uint16_t>(v.size() - 1);
            middles.emplace(key, index);
            return index;
        };
        std::vector<std::array<uint16_t, 3>> finer;
        finer.reserve(faces.size() * 4);
        for (const auto &f : faces) {
            const uint16_t ab = middle(f[0], f[1]), bc = middle(f[1], f[2]), ca = middle(f[2], f[0]);
            finer.push_back({f[0], ab, ca});
            finer.push_back({f[1], bc, ab});
            finer.push_back({f[2], ca, bc});
            finer.push_back({ab, bc, ca});
        }
        faces.swap(finer);
    }
    for (const auto &f : faces)
        indices->insert(indices->end(), f.begin(), f.end());
    return v;
}

struct Sphere
{
    std::vector<uint16_t> indices;
    std::vector<std::array<float, 3>> vertices = makeIcosphere(&indices);
};

const Sphere &sphere()
{
    static const Sphere s;
    return s;
}

// Whether a volume-coordinate point lies inside the cut box.
class ClipBox
{
public:
    ClipBox(const std::vector<Util::Vector4D> &planes, const TotalVolume &volume)
        : planes(planes), scale{1.0 / volume.getCellSizeX(), 1.0 / volume.getCellSizeY(), 1.0 / volume.getCellSizeZ()}
    {
    }
    bool passes(const Point &p) const
    {
        const double x = p[0] * scale[0], y = p[1] * scale[1], z = p[2] * scale[2];
        for (const Util::Vector4D &c : planes)
            if (!(c.x * x + c.y * y + c.z * z + c.w < 1e-6))
                return false;
        return true;
    }

private:
    std::vector<Util::Vector4D> planes;
    double scale[3];
};

// The six planes of the view volume in the coordinates of the current modelview
// matrix, each scaled so that its value at a point is the point's distance (the rows of
// projection x modelview, added to and taken from the last one). Atoms wholly outside it
// are not handed to GL, which matters when the view is zoomed in on a large lattice.
class Frustum
{
public:
    Frustum()
    {
        GLfloat modelview[16], projection[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        double c[16];
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                double sum = 0.0;
                for (int k = 0; k < 4; ++k)
                    sum += double(projection[k * 4 + row]) * modelview[col * 4 + k];
                c[col * 4 + row] = sum;
            }
        for (int axis = 0; axis < 3; ++axis)
            for (int sign : {1, -1}) {
                double plane[4];
                for (int col = 0; col < 4; ++col)
                    plane[col] = c[col * 4 + 3] + sign * c[col * 4 + axis];
                const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
                if (!(length > 0.0))
                    continue;
                std::array<float, 4> p;
                for (int i = 0; i < 4; ++i)
                    p[static_cast<size_t>(i)] = static_cast<float>(plane[i] / length);
                planes.push_back(p);
            }
    }
    bool mayShow(const Point &p, float radius) const
    {
        for (const auto &c : planes)
            if (c[0] * p[0] + c[1] * p[1] + c[2] * p[2] + c[3] < -radius)
                return false;
        return true;
    }

private:
    std::vector<std::array<float, 4>> planes;
};

// Whether a sphere lies wholly inside cells the painter draws as an opaque solid.
class HiddenTest
{
public:
    HiddenTest(const SiLatticeRenderer::Occluders &o, const TotalVolume &volume, const Voxel *voxels)
        : occluders(o), volume(volume), voxels(voxels),
          size{volume.getCellSizeX(), volume.getCellSizeY(), volume.getCellSizeZ()}
    {
        for (int a = 0; a < 3; ++a) {
            const int64_t extent = a == 0 ? volume.getSizeX() : (a == 1 ? volume.getSizeY() : volume.getSizeZ());
            lo[a] = std::max<int64_t>(o.min[static_cast<size_t>(a)], 0);
            hi[a] = std::min<int64_t>(o.max[static_cast<size_t>(a)], extent);
        }
    }
    bool hides(const Point &p, float radius) const
    {
        int64_t first[3], last[3];
        for (int a = 0; a < 3; ++a) {
            const double u = p[static_cast<size_t>(a)] / double(size[a]), r = radius / double(size[a]);
            first[a] = static_cast<int64_t>(std::floor(u - r));
            last[a] = static_cast<int64_t>(std::floor(u + r));
            if (first[a] < lo[a] || last[a] >= hi[a])
                return false;
        }
        for (int64_t x = first[0]; x <= last[0]; ++x)
            for (int64_t y = first[1]; y <= last[1]; ++y)
                for (int64_t z = first[2]; z <= last[2]; ++z) {
                    const Voxel &v = voxels[volume.index(uint32_t(x), uint32_t(y), uint32_t(z))];
                    if (v.isCut() || !occluders.isOpaque(v.getMaterialId()))
                        return false;
                }
        return true;
    }

private:
    const SiLatticeRenderer::Occluders &occluders;
    const TotalVolume &volume;
    const Voxel *voxels;
    float size[3];
    int64_t lo[3], hi[3];
};

} // namespace

// The GL side: buffers of one context group, re-uploaded when the renderer's generation
// moves on. A buffer left behind in another group is released by Qt once that group is
// current again (or goes with it).
struct SiLatticeRenderer::GpuBuffers
{
    QOpenGLContextGroup *group = nullptr;
    QOpenGLBuffer sphereVertices{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer sphereIndices{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer links{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer outlines{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer cells{QOpenGLBuffer::VertexBuffer};
    uint64_t uploaded = ~uint64_t(0);

    // Makes the buffers valid in the current context; false when GL buffers are not
    // available there.
    bool prepare(const SiLatticeRenderer &r)
    {
        QOpenGLContext *context = QOpenGLContext::currentContext();
        if (!context)
            return false;
        if (group != context->shareGroup()) {
            for (QOpenGLBuffer *b : {&sphereVertices, &sphereIndices, &links, &outlines, &cells})
                b->destroy();
            group = context->shareGroup();
            uploaded = ~uint64_t(0);
        }
        if (!sphereVertices.isCreated()) {
            if (!sphereVertices.create() || !sphereIndices.create())
                return false;
            // Interleaved normal and position: the unit vertex and the vertex at radius.
            std::vector<float> data;
            for (const auto &v : sphere().vertices) {
                data.insert(data.end(), v.begin(), v.end());
                for (float c : v)
                    data.push_back(c * atomRadius);
            }
            sphereVertices.bind();
            sphereVertices.allocate(data.data(), static_cast<int>(data.size() * sizeof(float)));
            sphereVertices.release();
            sphereIndices.bind();
            sphereIndices.allocate(sphere().indices.data(),
                                   static_cast<int>(sphere().indices.size() * sizeof(uint16_t)));
            sphereIndices.release();
        }
        if (uploaded != r.generation) {
            upload(&links, r.links);
            upload(&outlines, r.outlines);
            upload(&cells, r.cellTriangles);
            uploaded = r.generation;
        }
        return true;
    }

    static void upload(QOpenGLBuffer *buffer, const std::vector<Point> &points)
    {
        // GL takes the size as an int; a list beyond that is not drawn.
        if (points.empty() || points.size() > size_t(std::numeric_limits<int>::max()) / sizeof(Point)) {
            buffer->destroy();
            return;
        }
        if (!buffer->isCreated() && !buffer->create())
            return;
        buffer->bind();
        buffer->allocate(points.data(), static_cast<int>(points.size() * sizeof(Point)));
        buffer->release();
    }

    // Draws `count` vertices of `buffer` as `mode`; positions only.
    static void drawPoints(QOpenGLBuffer *buffer, GLenum mode, size_t count)
    {
        if (count == 0 || !buffer->isCreated() || !buffer->bind())
            return;
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        glDrawArrays(mode, 0, static_cast<GLsizei>(count));
        glDisableClientState(GL_VERTEX_ARRAY);
        buffer->release();
    }
};

SiLatticeRenderer::AtomColor SiLatticeRenderer::colorFor(unsigned n, unsigned m)
{
    if (n == 3)
        return m < 9 ? Orange : Blue;
    if (n == 2)
        return Green;
    return Yellow;
}

const std::vector<std::array<float, 3>> &SiLatticeRenderer::sphereVertices() { return sphere().vertices; }
const std::vector<uint16_t> &SiLatticeRenderer::sphereIndices() { return sphere().indices; }

SiLatticeRenderer::SiLatticeRenderer(TotalVolume *volume) : volume(volume), gpu(std::make_unique<GpuBuffers>()) {}

SiLatticeRenderer::~SiLatticeRenderer() = default;

size_t SiLatticeRenderer::atomCount() const
{
    size_t n = 0;
    for (const auto &list : atomPositions)
        n += list.size();
    return n;
}

void SiLatticeRenderer::clear()
{
    for (auto &list : atomPositions)
        std::vector<Point>().swap(list);
    std::vector<Point>().swap(links);
    std::vector<Point>().swap(outlines);
    std::vector<Point>().swap(cellTriangles);
}

void SiLatticeRenderer::update(const std::vector<Util::Vector4D> &clipPlanes, const Occluders *occluders)
{
    ++generation;
    clear();
    const std::shared_ptr<SiLattice> lattice = volume->getLattice();
    if (!lattice || !(renderAtoms || renderAtomLinks || renderUnitCellOutlines || renderUnitCells))
        return;

    const ClipBox clip(clipPlanes, *volume);
    const Util::Vector3D position = volume->getPosition();
    const auto local = [&position](const Point &p) {
        return Point{{static_cast<float>(p[0] - position.x), static_cast<float>(p[1] - position.y),
                      static_cast<float>(p[2] - position.z)}};
    };

    // An etch running on another thread changes atoms under the voxel mutex.
    VoxelLock lock(*volume);
    std::unique_ptr<HiddenTest> hidden;
    if (occluders && occluders->isOpaque)
        hidden = std::make_unique<HiddenTest>(*occluders, *volume, lock.voxels());
    const size_t cellCount = lattice->cellCount();
    if (renderAtoms || renderAtomLinks) {
        for (size_t c = 0; c < cellCount; ++c)
            for (int number = 0; number < 8; ++number) {
                const uint32_t a = SiLattice::cellAtom(c, number);
                const uint8_t state = lattice->stateOf(a);
                if (state == AtomAbsent)
                    continue;
                if (renderSurfaceAtomsOnly && !lattice->isSurfaceAtom(a))
                    continue;
                const Point p = local(lattice->atomPosition(a));
                if (!clip.passes(p))
                    continue;
                if (renderAtoms && !(hidden && hidden->hides(p, atomRadius)))
                    atomPositions[colorFor(lattice->bondedCount(a), lattice->secondNeighbourSum(a))].push_back(p);
                if (!renderAtomLinks || state != AtomPresent)
                    continue;
                const SiAtom &atom = lattice->atom(a);
                for (int slot = 0; slot < 4; ++slot) {
                    const uint32_t b = atom.neighbours[slot];
                    if (b == SiAtom::none)
                        continue;
                    Point end = local(lattice->hasCell(b) ? lattice->atomPosition(b) : lattice->bondEnd(a, slot));
                    // Up to an absent or fixed neighbour only half the bond is drawn.
                    if (lattice->stateOf(b) != AtomPresent)
                        for (int i = 0; i < 3; ++i)
                            end[i] = (p[i] + end[i]) * 0.5f;
                    links.push_back(p);
                    links.push_back(end);
                }
            }
    }

    if (renderUnitCellOutlines || renderUnitCells) {
        const auto &corners = lattice->cellTemplate().cubeCorners;
        for (size_t c = 0; c < cellCount; ++c) {
            const Point origin = local(lattice->cell(c).origin);
            if (!clip.passes(origin))
                continue;
            Point corner[8];
            for (int k = 0; k < 8; ++k)
                for (int i = 0; i < 3; ++i)
                    corner[k][i] = origin[i] + corners[k][i];
            if (renderUnitCellOutlines)
                for (const auto &f : cubeFaces)
                    outlines.insert(outlines.end(), {corner[f[0]], corner[f[1]], corner[f[2]], corner[f[3]]});
            if (renderUnitCells)
                for (const auto &f : cubeFaces) {
                    cellTriangles.insert(cellTriangles.end(), {corner[f[0]], corner[f[1]], corner[f[2]]});
                    cellTriangles.insert(cellTriangles.end(), {corner[f[0]], corner[f[2]], corner[f[3]]});
                }
        }
    }
}

void SiLatticeRenderer::drawOpaque()
{
    const bool anyAtoms = atomCount() > 0;
    if ((!anyAtoms && links.empty() && outlines.empty()) || !gpu->prepare(*this))
        return;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    if (anyAtoms && gpu->sphereVertices.bind() && gpu->sphereIndices.bind()) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glNormalPointer(GL_FLOAT, 6 * sizeof(float), nullptr);
        glVertexPointer(3, GL_FLOAT, 6 * sizeof(float), reinterpret_cast<const void *>(3 * sizeof(float)));
        const GLsizei indexCount = static_cast<GLsizei>(sphere().indices.size());
        // One translation per atom, set as a whole matrix: the current one with its last
        // column moved, so no matrix stack work per atom.
        const Frustum frustum;
        GLfloat base[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, base);
        GLfloat m[16];
        std::copy(base, base + 16, m);
        for (int color = 0; color < colorCount; ++color) {
            glColor3ubv(atomRgb[color]);
            for (const Point &p : atomPositions[color]) {
                if (!frustum.mayShow(p, atomRadius))
                    continue;
                for (int r = 0; r < 3; ++r)
                    m[12 + r] = base[r] * p[0] + base[4 + r] * p[1] + base[8 + r] * p[2] + base[12 + r];
                glLoadMatrixf(m);
                glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
            }
        }
        glLoadMatrixf(base);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    gpu->sphereIndices.release();
    gpu->sphereVertices.release();

    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    if (!links.empty()) {
        glColor3ubv(linkRgb);
        GpuBuffers::drawPoints(&gpu->links, GL_LINES, links.size());
    }
    if (!outlines.empty()) {
        // The cube faces as line loops, pulled towards the eye like the cell outlines.
        glDisable(GL_CULL_FACE);
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glColor3ub(unitCellRgba[0], unitCellRgba[1], unitCellRgba[2]);
        GpuBuffers::drawPoints(&gpu->outlines, GL_QUADS, outlines.size());
    }
    glPopClientAttrib();
    glPopAttrib();
}

void SiLatticeRenderer::drawTranslucent()
{
    if (cellTriangles.empty() || !gpu->prepare(*this))
        return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glColor4ubv(unitCellRgba);
    GpuBuffers::drawPoints(&gpu->cells, GL_TRIANGLES, cellTriangles.size());
    glPopClientAttrib();
    glPopAttrib();
}

} // namespace Automaton
} // namespace Model
