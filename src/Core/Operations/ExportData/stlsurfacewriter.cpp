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
        const Model::Automaton::HeldVoxels cells(&volume);
        surface.generate(cells.get(), min, max, classes);
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
            const Model::Automaton::HeldVoxels cells(&volume);
            const Model::Automaton::Voxel *voxels = cells.get();
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
    // The generator counts the cells of cutMin < X <= cutMax, leaving the lowest layer of
    // its window empty so that the surface closes inside it: the view's choice. The
    // export's cells are min <= X < max, each face of the box closing on the empty layer
    // just outside it, so that the first layer of the volume or of the cut is kept.
    const MarchingCubeSurface::CellCorner below = {min[0] - 1, min[1] - 1, min[2] - 1};
    const MarchingCubeSurface::CellCorner last = {max[0] - 1, max[1] - 1, max[2] - 1};
    for (uint32_t id : materials) {
        MarchingCubeSurface surface(&volume);
        surface.regenerate(below, last, id);
        std::vector<Triangle> triangles = surface.getTriangles();
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
    return volume.getPainter()->getMode() == 1 ? Surface::MarchingCubes : Surface::DirectCubic;
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
