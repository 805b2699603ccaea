#include "Core/Operations/ExportData/stlsurfacewriter.h"

#include "Model/Automaton/directcubicsurface.h"
#include "Model/Automaton/marchingcubesurface.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Util/savefilecommit.h"

#include <QSaveFile>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::MarchingCubeSurface;
using Model::Automaton::TotalVolume;

namespace {

constexpr int headerSize = 80;
constexpr int facetSize = 50;

// One binary STL file being written: the header, the facet count, then the facets,
// gathered in a buffer and handed to the file in large pieces.
class StlFile
{
public:
    StlFile(const QString &fileName, const QByteArray &title, uint32_t facets, const double origin[3])
        : file(fileName), origin{origin[0], origin[1], origin[2]}
    {
        if (!file.open(QIODevice::WriteOnly))
            return;
        QByteArray header = title.left(headerSize);
        header.append(headerSize - header.size(), ' ');
        const uint32_t count = qToLittleEndian(facets);
        header.append(reinterpret_cast<const char *>(&count), sizeof count);
        buffer.reserve(bufferSize + facetSize);
        errno = 0;
        ok = file.write(header) == header.size();
        if (!ok)
            error = Util::writeFailure(file);
    }

    bool isOpen() const { return ok; }
    QString errorString() const { return error.isEmpty() ? file.errorString() : error; }

    // A triangle in volume coordinates, wound counter-clockwise seen from outside.
    void add(const float *a, const float *b, const float *c)
    {
        float p[3][3];
        for (int i = 0; i < 3; ++i) {
            p[0][i] = static_cast<float>(origin[i] + a[i]);
            p[1][i] = static_cast<float>(origin[i] + b[i]);
            p[2][i] = static_cast<float>(origin[i] + c[i]);
        }
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (float &x : n)
            x = length > 0.0f ? x / length : 0.0f;
        char facet[facetSize];
        char *at = facet;
        for (float x : n)
            at = put(at, x);
        for (const auto &corner : p)
            for (float x : corner)
                at = put(at, x);
        at[0] = at[1] = 0; // no attribute
        buffer.append(facet, facetSize);
        if (buffer.size() >= bufferSize)
            drain();
    }

    // Writes what is left; the file is not yet in place.
    bool finish()
    {
        drain();
        return ok;
    }
    bool commit()
    {
        if (!ok)
            return false;
        ok = Util::flushAndCommit(file, &error);
        return ok;
    }
    void cancel() { file.cancelWriting(); }

private:
    static constexpr int bufferSize = 1 << 20;

    static char *put(char *at, float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        bits = qToLittleEndian(bits);
        std::memcpy(at, &bits, sizeof bits);
        return at + sizeof bits;
    }

    void drain()
    {
        if (ok && !buffer.isEmpty()) {
            errno = 0;
            if (file.write(buffer) != buffer.size()) {
                ok = false;
                error = Util::writeFailure(file);
            }
        }
        buffer.clear();
    }

    QSaveFile file;
    double origin[3];
    QByteArray buffer;
    QString error;
    bool ok = false;
};

// The painter's cut box clipped to the volume, as the view uses it.
void shownBox(const TotalVolume &volume, Model::Automaton::DirectCubicSurface::CellCorner *min,
              Model::Automaton::DirectCubicSurface::CellCorner *max)
{
    volume.getPainter()->getCutLimits(min, max);
    const int64_t size[3] = {volume.getSizeX(), volume.getSizeY(), volume.getSizeZ()};
    for (int a = 0; a < 3; ++a) {
        (*min)[a] = static_cast<int32_t>(std::clamp<int64_t>((*min)[a], 0, size[a]));
        (*max)[a] = static_cast<int32_t>(std::clamp<int64_t>((*max)[a], (*min)[a], size[a]));
    }
}

QByteArray titleOf(const QString &what)
{
    // Never starting with "solid", which readers take for the text form of STL.
    return QByteArray("Kelvane binary STL, model units: ") + what.toUtf8();
}

QString catalogueName(uint32_t id)
{
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(id);
    return m.id == id ? m.name : QString();
}

// Where each material's surface goes: <base>-<name>.stl, in ascending id order.
std::map<uint32_t, QString> materialFiles(const QString &fileName, const std::set<uint32_t> &ids)
{
    std::map<uint32_t, QString> files;
    QSet<QString> taken;
    for (uint32_t id : ids) {
        QString file = StlSurfaceWriter::materialFileName(fileName, catalogueName(id));
        if (file.endsWith(QStringLiteral("-.stl")) || taken.contains(file))
            file = StlSurfaceWriter::materialFileName(fileName, QString::number(id));
        taken.insert(file);
        files[id] = file;
    }
    return files;
}

// Opens every file, hands it its triangles, and puts them all in place only when all
// were written.
template <typename Fill>
bool writeAll(std::vector<std::unique_ptr<StlFile>> &files, const QStringList &names, const Fill &fill,
              QStringList *written, QString *error)
{
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        if (!files[size_t(i)]->isOpen()) {
            *error = names[i] + QStringLiteral(": ") + files[size_t(i)]->errorString();
            for (auto &f : files)
                f->cancel();
            return false;
        }
    }
    fill();
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        if (!files[size_t(i)]->finish()) {
            *error = names[i] + QStringLiteral(": ") + files[size_t(i)]->errorString();
            for (auto &f : files)
                f->cancel();
            return false;
        }
    }
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        if (!files[size_t(i)]->commit()) {
            *error = names[i] + QStringLiteral(": ") + files[size_t(i)]->errorString();
            for (size_t j = size_t(i) + 1; j < files.size(); ++j)
                files[j]->cancel();
            return false;
        }
        written->append(names[i]);
    }
    return true;
}

const QString nothingToWrite =
    QStringLiteral("there is no surface to write: the cell volume shows no solid cells");
const QString tooManyTriangles = QStringLiteral("the surface has more triangles than an STL file can hold");

// The header line of one material's file (id 0: every material together).
QByteArray titleOfMaterial(uint32_t id)
{
    if (id == 0)
        return titleOf(QStringLiteral("all materials"));
    const QString name = catalogueName(id);
    return titleOf(name.isEmpty() ? QStringLiteral("material %1").arg(id) : name);
}

bool writeDirectCubic(TotalVolume &volume, const QString &fileName, bool perMaterial, QStringList *written,
                      QString *error)
{
    using Model::Automaton::MaterialClasses;
    using Model::Geometry::QuadFace;
    // Every material opaque: the faces bound all solid cells together. Every material
    // translucent: each material's cells are bounded on their own, a face showing
    // wherever the neighbour is not of the same material.
    const std::map<uint32_t, Model::Automaton::SurfaceColor> empty{{0u, {0.0f, 0.0f, 0.0f, 0.0f}}};
    const MaterialClasses classes(empty, {1.0f, 1.0f, 1.0f, perMaterial ? 0.5f : 1.0f});
    Model::Automaton::DirectCubicSurface surface(volume);
    Model::Automaton::DirectCubicSurface::CellCorner min, max;
    shownBox(volume, &min, &max);
    {
        const Model::Automaton::VoxelLock cells(volume);
        surface.generate(cells.voxels(), min, max, classes);
    }
    const std::vector<QuadFace> &faces = perMaterial ? surface.translucentFaces() : surface.opaqueFaces();
    if (faces.empty()) {
        *error = nothingToWrite;
        return false;
    }
    const Util::Vector3D position = volume.getPosition();
    const double origin[3] = {position.x, position.y, position.z};

    std::map<uint32_t, size_t> counts; // triangles per material
    for (const QuadFace &f : faces)
        counts[uint32_t(f.getMaterialId())] += 2;
    for (const auto &entry : counts)
        if (entry.second > 0xFFFFFFFFu) {
            *error = tooManyTriangles;
            return false;
        }
    std::vector<std::unique_ptr<StlFile>> files;
    QStringList names;
    std::map<uint32_t, StlFile *> fileOf;
    if (perMaterial) {
        std::set<uint32_t> ids;
        for (const auto &entry : counts)
            ids.insert(entry.first);
        for (const auto &entry : materialFiles(fileName, ids)) {
            files.push_back(std::make_unique<StlFile>(entry.second, titleOfMaterial(entry.first),
                                                      uint32_t(counts[entry.first]), origin));
            names << entry.second;
            fileOf[entry.first] = files.back().get();
        }
    } else {
        if (faces.size() > 0x7FFFFFFFu) { // two triangles each
            *error = tooManyTriangles;
            return false;
        }
        files.push_back(std::make_unique<StlFile>(fileName, titleOfMaterial(0), uint32_t(2 * faces.size()), origin));
        names << fileName;
    }
    return writeAll(
        files, names,
        [&] {
            StlFile *single = perMaterial ? nullptr : files.front().get();
            for (const QuadFace &f : faces) {
                StlFile *out = single ? single : fileOf[uint32_t(f.getMaterialId())];
                out->add(f.corner(0), f.corner(1), f.corner(2));
                out->add(f.corner(0), f.corner(2), f.corner(3));
            }
        },
        written, error);
}

// The marching-cubes export runs the surface straight out of the shown box (the cells
// beyond it repeat the nearest one) and ends it on the box's faces with flat caps, so
// that the cells at a face keep their full extent and a block of cells is its exact box.
// Positions are in twice-cell units times half a cell, as the generator makes them.
class BoxCaps
{
public:
    BoxCaps(TotalVolume &volume, const int32_t min[3], const int32_t max[3], uint32_t only)
        : volume(volume), only(only)
    {
        half[0] = volume.getCellSizeX() * 0.5f;
        half[1] = volume.getCellSizeY() * 0.5f;
        half[2] = volume.getCellSizeZ() * 0.5f;
        for (int a = 0; a < 3; ++a) {
            lo[a] = min[a];
            hi[a] = max[a] - 1;
            bound[a][0] = at(a, 2 * min[a] - 1);
            bound[a][1] = at(a, 2 * max[a] - 1);
        }
    }

    // Moves the ends of the surface, which lie half a cell beyond the box, onto its faces.
    void clamp(std::vector<Model::Automaton::Triangle> &triangles) const
    {
        for (Model::Automaton::Triangle &t : triangles)
            for (Model::Automaton::Triangle::Vertex &v : t.vertices)
                for (int a = 0; a < 3; ++a)
                    v.position[a] = std::min(std::max(v.position[a], bound[a][0]), bound[a][1]);
    }

    // Adds the caps of the six faces, meeting the clamped surface's open edges.
    void add(std::vector<Model::Automaton::Triangle> &triangles) const
    {
        // The surface's edges in each face tell how it parted that face's saddle squares.
        std::set<Edge> edges[3][2];
        for (const Model::Automaton::Triangle &t : triangles)
            for (int i = 0; i < 3; ++i) {
                const float *p = t.vertices[i].position;
                const float *q = t.vertices[(i + 1) % 3].position;
                for (int a = 0; a < 3; ++a)
                    for (int side = 0; side < 2; ++side)
                        if (p[a] == bound[a][side] && q[a] == bound[a][side])
                            edges[a][side].insert(edgeKey({p[0], p[1], p[2]}, {q[0], q[1], q[2]}));
            }
        for (int a = 0; a < 3; ++a)
            for (int side = 0; side < 2; ++side)
                addFace(a, side, edges[a][side], triangles);
    }

private:
    using Point = std::array<float, 3>;
    using Edge = std::array<float, 6>;

    float at(int axis, int64_t twice) const { return static_cast<float>(twice) * half[axis]; }

    static Edge edgeKey(const Point &p, const Point &q)
    {
        Edge e{};
        const bool first = p < q;
        const Point &a = first ? p : q;
        const Point &b = first ? q : p;
        std::copy(a.begin(), a.end(), e.begin());
        std::copy(b.begin(), b.end(), e.begin() + 3);
        return e;
    }

    void addFace(int a, int side, const std::set<Edge> &edges,
                 std::vector<Model::Automaton::Triangle> &triangles) const
    {
        const int u = (a + 1) % 3;
        const int v = (a + 2) % 3;
        const float plane = bound[a][side];

        // Solid cells of the face's layer, the rows and columns beyond repeating the
        // nearest: nodes lo - 1 .. hi + 1 along u and v.
        const int32_t layer = side == 0 ? lo[a] : hi[a];
        const int32_t nu = hi[u] - lo[u] + 3;
        const int32_t nv = hi[v] - lo[v] + 3;
        std::vector<char> solid(static_cast<size_t>(nu) * nv);
        {
            Model::Automaton::VoxelLock cells(volume);
            for (int32_t i = 0; i < nu; ++i)
                for (int32_t j = 0; j < nv; ++j) {
                    int32_t c[3];
                    c[a] = layer;
                    c[u] = std::min(std::max(lo[u] - 1 + i, lo[u]), hi[u]);
                    c[v] = std::min(std::max(lo[v] - 1 + j, lo[v]), hi[v]);
                    const Model::Automaton::Voxel &cell = cells[volume.index(uint32_t(c[0]), uint32_t(c[1]), uint32_t(c[2]))];
                    const uint32_t id = cell.isCut() ? 0u : cell.getMaterialId();
                    solid[static_cast<size_t>(i) * nv + j] = only == 0 ? id != 0 : id == only;
                }
        }
        const auto point = [&](int64_t tu, int64_t tv) {
            Point p{};
            p[a] = plane;
            p[u] = std::min(std::max(at(u, tu), bound[u][0]), bound[u][1]);
            p[v] = std::min(std::max(at(v, tv), bound[v][0]), bound[v][1]);
            return p;
        };
        const float outward = side == 0 ? -1.0f : 1.0f;
        const auto triangle = [&](const Point &p, const Point &q, const Point &r) {
            const float n = (q[u] - p[u]) * (r[v] - p[v]) - (q[v] - p[v]) * (r[u] - p[u]);
            if (n == 0.0f)
                return;
            Model::Automaton::Triangle t{};
            const Point *order[3] = {&p, n * outward > 0.0f ? &q : &r, n * outward > 0.0f ? &r : &q};
            for (int k = 0; k < 3; ++k)
                for (int c = 0; c < 3; ++c)
                    t.vertices[k].position[c] = (*order[k])[static_cast<size_t>(c)];
            triangles.push_back(t);
        };

        for (int32_t i = 0; i + 1 < nu; ++i)
            for (int32_t j = 0; j + 1 < nv; ++j) {
                // Corners counter-clockwise in (u, v) with the edge middles between them.
                const bool in[4] = {solid[size_t(i) * nv + j] != 0, solid[size_t(i + 1) * nv + j] != 0,
                                    solid[size_t(i + 1) * nv + j + 1] != 0, solid[size_t(i) * nv + j + 1] != 0};
                const int64_t tu = 2 * (int64_t(lo[u]) - 1 + i);
                const int64_t tv = 2 * (int64_t(lo[v]) - 1 + j);
                const Point corner[4] = {point(tu, tv), point(tu + 2, tv), point(tu + 2, tv + 2), point(tu, tv + 2)};
                const Point middle[4] = {point(tu + 1, tv), point(tu + 2, tv + 1), point(tu + 1, tv + 2),
                                         point(tu, tv + 1)};
                const bool saddle = in[0] == in[2] && in[1] == in[3] && in[0] != in[1];
                if (saddle) {
                    const int first = in[0] ? 0 : 1; // an inside corner
                    const int second = first + 2;
                    // Parted: each inside corner has its own triangle; joined: a hexagon.
                    const bool parted = edges.count(edgeKey(middle[(first + 3) % 4], middle[first])) != 0;
                    triangle(corner[first], middle[first], middle[(first + 3) % 4]);
                    triangle(corner[second], middle[second], middle[(second + 3) % 4]);
                    if (!parted) {
                        triangle(middle[0], middle[1], middle[2]);
                        triangle(middle[0], middle[2], middle[3]);
                    }
                    continue;
                }
                // One inside run at most: walk the square's boundary, fan the polygon.
                std::vector<Point> polygon;
                for (int k = 0; k < 4; ++k) {
                    if (in[k])
                        polygon.push_back(corner[k]);
                    if (in[k] != in[(k + 1) % 4])
                        polygon.push_back(middle[k]);
                }
                for (size_t k = 1; k + 1 < polygon.size(); ++k)
                    triangle(polygon[0], polygon[k], polygon[k + 1]);
            }
    }

    TotalVolume &volume;
    uint32_t only;
    float half[3];
    int32_t lo[3];
    int32_t hi[3];
    float bound[3][2];
};

bool writeMarchingCubes(TotalVolume &volume, const QString &fileName, bool perMaterial, QStringList *written,
                        QString *error)
{
    using Model::Automaton::Triangle;
    Model::Automaton::DirectCubicSurface::CellCorner min, max;
    shownBox(volume, &min, &max);
    // The view's triangles sample each cell at its lower corner; half a cell more puts
    // the samples on the cell centres, so that flat sides lie on the cells' faces.
    const Util::Vector3D position = volume.getPosition();
    const double origin[3] = {position.x + 0.5 * volume.getCellSizeX(), position.y + 0.5 * volume.getCellSizeY(),
                              position.z + 0.5 * volume.getCellSizeZ()};

    std::vector<uint32_t> materials{0};
    if (perMaterial) {
        std::set<uint32_t> ids;
        {
            const Model::Automaton::VoxelLock cells(volume);
            const Model::Automaton::Voxel *voxels = cells.voxels();
            for (int32_t x = min[0]; x < max[0]; ++x)
                for (int32_t y = min[1]; y < max[1]; ++y) {
                    const Model::Automaton::Voxel *row = voxels + volume.index(uint32_t(x), uint32_t(y), 0);
                    uint32_t last = 0;
                    for (int32_t z = min[2]; z < max[2]; ++z) {
                        const uint32_t id = row[z].isCut() ? 0u : row[z].getMaterialId();
                        if (id != 0 && id != last)
                            ids.insert(id);
                        last = id;
                    }
                }
        }
        materials.assign(ids.begin(), ids.end());
    }
    std::map<uint32_t, QString> targets;
    if (perMaterial)
        targets = materialFiles(fileName, std::set<uint32_t>(materials.begin(), materials.end()));
    else
        targets[0] = fileName;

    std::vector<std::unique_ptr<StlFile>> files;
    QStringList names;
    std::vector<std::vector<Triangle>> surfaces;
    // The generator counts the cells of cutMin < X <= cutMax, so the export's cells
    // min <= X < max start one lower. Beyond them the cells repeat the nearest one, and
    // the caps end the surface on the box's faces, so that the first layer of the volume
    // or of the cut is kept and a block of cells is exactly its box.
    const MarchingCubeSurface::CellCorner below = {min[0] - 1, min[1] - 1, min[2] - 1};
    const MarchingCubeSurface::CellCorner last = {max[0] - 1, max[1] - 1, max[2] - 1};
    for (uint32_t id : materials) {
        MarchingCubeSurface surface(&volume);
        surface.regenerate(below, last, id, true);
        std::vector<Triangle> triangles = surface.getTriangles();
        const BoxCaps caps(volume, min.data(), max.data(), id);
        caps.clamp(triangles);
        caps.add(triangles);
        if (triangles.empty())
            continue;
        if (triangles.size() > 0xFFFFFFFFu) {
            *error = tooManyTriangles;
            return false;
        }
        files.push_back(std::make_unique<StlFile>(targets[id], titleOfMaterial(id), uint32_t(triangles.size()), origin));
        names << targets[id];
        surfaces.push_back(std::move(triangles));
    }
    if (files.empty()) {
        *error = nothingToWrite;
        return false;
    }
    return writeAll(
        files, names,
        [&] {
            for (size_t i = 0; i < files.size(); ++i)
                for (const Triangle &t : surfaces[i])
                    files[i]->add(t.vertices[0].position, t.vertices[1].position, t.vertices[2].position);
        },
        written, error);
}

} // namespace

StlSurfaceWriter::Surface StlSurfaceWriter::surfaceShown(const TotalVolume &volume)
{
    return volume.getPainter()->getMode() == Model::Automaton::SurfaceMode::MarchingCubes ? Surface::MarchingCubes : Surface::DirectCubic;
}

QString StlSurfaceWriter::materialFileName(const QString &fileName, const QString &name)
{
    QString base = fileName;
    if (base.endsWith(QStringLiteral(".stl"), Qt::CaseInsensitive))
        base.chop(4);
    QString safe;
    for (const QChar c : name) {
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == '.' || c == '-' || c == '_')
            safe += c;
        else if (!safe.isEmpty() && !safe.endsWith('_'))
            safe += '_';
    }
    while (safe.endsWith('_'))
        safe.chop(1);
    return base + '-' + safe + QStringLiteral(".stl");
}

bool StlSurfaceWriter::write(TotalVolume &volume, const QString &fileName, Surface surface, bool perMaterial,
                             QStringList *written, QString *error)
{
    written->clear();
    return surface == Surface::MarchingCubes ? writeMarchingCubes(volume, fileName, perMaterial, written, error)
                                             : writeDirectCubic(volume, fileName, perMaterial, written, error);
}

} // namespace Operations
} // namespace Core
