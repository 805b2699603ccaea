#pragma once

// Independent readers of the 3-D exports for the tests: a parser of binary STL written
// from the format's description, with the checks of a closed, outward-facing surface,
// and VTK's own XML image data reader run through Debian's Python module.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace StlTest {

using Point = std::array<float, 3>;

struct Mesh
{
    QString error; // empty when the file parsed
    QByteArray header;
    std::vector<std::array<Point, 3>> triangles;
    std::vector<Point> normals;
};

// Binary STL: 80 header bytes, a little-endian uint32 count, then per triangle the
// normal and three corners (twelve little-endian floats) and a 16-bit attribute.
inline Mesh read(const QString &path)
{
    Mesh mesh;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        mesh.error = "cannot open " + path;
        return mesh;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 84) {
        mesh.error = "shorter than a header";
        return mesh;
    }
    mesh.header = bytes.left(80);
    const uint32_t count = qFromLittleEndian<quint32>(bytes.constData() + 80);
    if (qint64(bytes.size()) != 84 + 50 * qint64(count)) {
        mesh.error = QString("%1 bytes for %2 triangles").arg(bytes.size()).arg(count);
        return mesh;
    }
    auto value = [&bytes](qint64 at) {
        const uint32_t bits = qFromLittleEndian<quint32>(bytes.constData() + at);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    };
    for (uint32_t t = 0; t < count; ++t) {
        const qint64 at = 84 + 50 * qint64(t);
        mesh.normals.push_back({value(at), value(at + 4), value(at + 8)});
        std::array<Point, 3> corners;
        for (int k = 0; k < 3; ++k)
            for (int a = 0; a < 3; ++a)
                corners[size_t(k)][size_t(a)] = value(at + 12 + 12 * k + 4 * a);
        mesh.triangles.push_back(corners);
    }
    return mesh;
}

struct Shape
{
    // Directed edges without exactly one opposite partner: 0 on a closed surface whose
    // triangles all wind the same way.
    size_t unpairedEdges = 0;
    // Stored normals that do not follow the winding (right-hand rule).
    size_t normalsAgainstWinding = 0;
    // Enclosed volume by the divergence theorem: positive when the winding faces out.
    double volume = 0;
    double area = 0;
    Point min{{1e30f, 1e30f, 1e30f}};
    Point max{{-1e30f, -1e30f, -1e30f}};
};

inline Shape shapeOf(const Mesh &mesh)
{
    Shape s;
    std::map<std::pair<Point, Point>, int> edges;
    for (size_t t = 0; t < mesh.triangles.size(); ++t) {
        const auto &p = mesh.triangles[t];
        for (int k = 0; k < 3; ++k) {
            edges[{p[size_t(k)], p[size_t((k + 1) % 3)]}] += 1;
            for (int a = 0; a < 3; ++a) {
                s.min[size_t(a)] = std::min(s.min[size_t(a)], p[size_t(k)][size_t(a)]);
                s.max[size_t(a)] = std::max(s.max[size_t(a)], p[size_t(k)][size_t(a)]);
            }
        }
        double u[3], v[3], n[3];
        for (size_t a = 0; a < 3; ++a) {
            u[a] = double(p[1][a]) - p[0][a];
            v[a] = double(p[2][a]) - p[0][a];
        }
        n[0] = u[1] * v[2] - u[2] * v[1];
        n[1] = u[2] * v[0] - u[0] * v[2];
        n[2] = u[0] * v[1] - u[1] * v[0];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        s.area += length / 2;
        const Point &stored = mesh.normals[t];
        double along = 0;
        for (size_t a = 0; a < 3; ++a)
            along += stored[a] * n[a] / length;
        if (!(along > 0.999))
            ++s.normalsAgainstWinding;
        // Signed volume of the tetrahedron from the origin.
        s.volume += (double(p[0][0]) * (double(p[1][1]) * p[2][2] - double(p[1][2]) * p[2][1]) -
                     double(p[0][1]) * (double(p[1][0]) * p[2][2] - double(p[1][2]) * p[2][0]) +
                     double(p[0][2]) * (double(p[1][0]) * p[2][1] - double(p[1][1]) * p[2][0])) /
                    6.0;
    }
    for (const auto &e : edges) {
        const auto back = edges.find({e.first.second, e.first.first});
        if (e.second != 1 || back == edges.end() || back->second != 1)
            ++s.unpairedEdges;
    }
    return s;
}

} // namespace StlTest

namespace VtkTest {

// Debian's Python, which has the VTK module, before any other python3 on the path.
inline QString python()
{
    if (QFileInfo::exists("/usr/bin/python3"))
        return "/usr/bin/python3";
    return QStandardPaths::findExecutable("python3");
}

struct ImageData
{
    QString error; // empty when VTK read the file
    std::array<int, 3> cells{};
    std::array<double, 3> spacing{};
    std::array<double, 3> origin{};
    QString type;
    QString scalars;
    std::vector<uint32_t> values; // VTK's cell order: x fastest
};

// Reads `path` with vtkXMLImageDataReader.
inline ImageData readWithVtk(const QString &path)
{
    ImageData image;
    const QString program = python();
    if (program.isEmpty()) {
        image.error = "python3 is missing (scripts/setup.sh installs it with python3-vtk9)";
        return image;
    }
    static const char *script = R"(
import sys
from vtkmodules.vtkIOXML import vtkXMLImageDataReader
reader = vtkXMLImageDataReader()
reader.SetFileName(sys.argv[1])
reader.Update()
if reader.GetErrorCode() != 0:
    sys.exit('read error %d' % reader.GetErrorCode())
image = reader.GetOutput()
d = image.GetDimensions()
print(d[0] - 1, d[1] - 1, d[2] - 1)
print(*image.GetSpacing())
print(*image.GetOrigin())
cells = image.GetCellData()
scalars = cells.GetScalars()
print(scalars.GetName() if scalars else '-')
a = cells.GetArray('material')
print(a.GetDataTypeAsString(), a.GetNumberOfComponents())
print(' '.join(str(int(a.GetValue(i))) for i in range(a.GetNumberOfTuples())))
)";
    QProcess process;
    process.start(program, {"-c", script, path});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        image.error = "VTK could not read " + path + ": " + QString::fromLocal8Bit(process.readAllStandardError());
        return image;
    }
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    if (lines.size() < 6) {
        image.error = "short answer from VTK";
        return image;
    }
    const QList<QByteArray> dims = lines[0].split(' '), spacing = lines[1].split(' '), origin = lines[2].split(' ');
    for (int a = 0; a < 3; ++a) {
        image.cells[size_t(a)] = dims.value(a).toInt();
        image.spacing[size_t(a)] = spacing.value(a).toDouble();
        image.origin[size_t(a)] = origin.value(a).toDouble();
    }
    image.scalars = QString::fromLatin1(lines[3]);
    image.type = QString::fromLatin1(lines[4]);
    for (const QByteArray &v : lines[5].split(' '))
        if (!v.isEmpty())
            image.values.push_back(v.toUInt());
    return image;
}

} // namespace VtkTest
