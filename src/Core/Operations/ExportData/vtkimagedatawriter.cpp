#include "Core/Operations/ExportData/vtkimagedatawriter.h"

#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/savefilecommit.h"

#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

namespace {

QByteArray number(double value)
{
    // Nine significant digits give back every float exactly; 'g' is locale-free here.
    return QByteArray::number(value, 'g', 9);
}

// Copies the material ids into VTK's cell order ((z * ny + y) * nx + x) as `T`, little
// endian. Rows of y are shared out to the pool; x runs in blocks so that the cache lines
// written for one column of z are filled by the neighbouring columns before they leave.
template <typename T>
void reorder(const Model::Automaton::TotalVolume &volume, const Model::Automaton::Voxel *voxels, T *out)
{
    const int64_t nx = volume.getSizeX(), ny = volume.getSizeY(), nz = volume.getSizeZ();
    const int64_t plane = nx * ny;
    constexpr int64_t block = 32;
    struct None
    {
    };
    Model::Automaton::SlabRunner::run<None>(0, static_cast<int32_t>(ny), [&](int32_t yBegin, int32_t yEnd, None *) {
        for (int64_t y = yBegin; y < yEnd; ++y)
            for (int64_t x0 = 0; x0 < nx; x0 += block) {
                const int64_t x1 = std::min(nx, x0 + block);
                for (int64_t x = x0; x < x1; ++x) {
                    const Model::Automaton::Voxel *column = voxels + volume.index(uint32_t(x), uint32_t(y), 0);
                    T *target = out + y * nx + x;
                    for (int64_t z = 0; z < nz; ++z)
                        target[z * plane] = qToLittleEndian(static_cast<T>(column[z].getMaterialId()));
                }
            }
    });
}

} // namespace

bool VtkImageDataWriter::write(Model::Automaton::TotalVolume &volume, const QString &fileName, QString *error)
{
    const size_t cells = volume.getCellCount();
    // Larger than a QByteArray can hold for volumes of a billion cells.
    std::vector<char> values;
    bool wide = false;
    {
        Model::Automaton::VoxelLock lock(volume);
        const Model::Automaton::Voxel *voxels = lock.voxels();
        uint32_t largest = 0;
        for (size_t i = 0; i < cells; ++i)
            largest = std::max(largest, voxels[i].getMaterialId());
        wide = largest > 0xFFFFu;
        values.resize(cells * (wide ? 4 : 2));
        if (wide)
            reorder(volume, voxels, reinterpret_cast<uint32_t *>(values.data()));
        else
            reorder(volume, voxels, reinterpret_cast<uint16_t *>(values.data()));
    }

    const QByteArray nx = QByteArray::number(volume.getSizeX());
    const QByteArray ny = QByteArray::number(volume.getSizeY());
    const QByteArray nz = QByteArray::number(volume.getSizeZ());
    const QByteArray extent = "0 " + nx + " 0 " + ny + " 0 " + nz;
    const Util::Vector3D origin = volume.getPosition();
    QByteArray head;
    head += "<?xml version=\"1.0\"?>\n";
    head += "<VTKFile type=\"ImageData\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n";
    head += "  <ImageData WholeExtent=\"" + extent + "\" Origin=\"" + number(origin.x) + ' ' + number(origin.y) + ' ' +
            number(origin.z) + "\" Spacing=\"" + number(volume.getCellSizeX()) + ' ' +
            number(volume.getCellSizeY()) + ' ' + number(volume.getCellSizeZ()) + "\">\n";
    head += "    <Piece Extent=\"" + extent + "\">\n";
    head += "      <PointData>\n      </PointData>\n";
    head += "      <CellData Scalars=\"material\">\n";
    head += QByteArray("        <DataArray type=\"") + (wide ? "UInt32" : "UInt16") +
            "\" Name=\"material\" format=\"appended\" offset=\"0\"/>\n";
    head += "      </CellData>\n    </Piece>\n  </ImageData>\n";
    head += "  <AppendedData encoding=\"raw\">\n   _";
    const quint64 byteCount = qToLittleEndian(static_cast<quint64>(values.size()));
    head.append(reinterpret_cast<const char *>(&byteCount), sizeof byteCount);
    const QByteArray tail = "\n  </AppendedData>\n</VTKFile>\n";

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const qint64 size = static_cast<qint64>(values.size());
    errno = 0;
    if (file.write(head) != head.size() || file.write(values.data(), size) != size ||
        file.write(tail) != tail.size()) {
        *error = Util::writeFailure(file);
        file.cancelWriting();
        return false;
    }
    return Util::flushAndCommit(file, error);
}

} // namespace Operations
} // namespace Core
