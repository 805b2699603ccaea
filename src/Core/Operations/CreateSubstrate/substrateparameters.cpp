#include "Core/Operations/CreateSubstrate/substrateparameters.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

const QString SubstrateParameters::keyCorner = QStringLiteral("Lower Left Front Corner");
const QString SubstrateParameters::keyVolumeSizeX = QStringLiteral("Volume Size X");
const QString SubstrateParameters::keyVolumeSizeY = QStringLiteral("Volume Size Y");
const QString SubstrateParameters::keyVolumeSizeZ = QStringLiteral("Volume Size Z");
const QString SubstrateParameters::keySpherical = QStringLiteral("SphericalSubstrate");
const QString SubstrateParameters::keySubstrateSizeX = QStringLiteral("Substrate Size X");
const QString SubstrateParameters::keySubstrateSizeY = QStringLiteral("Substrate Size Y");
const QString SubstrateParameters::keySubstrateSizeZ = QStringLiteral("Substrate Size Z");
const QString SubstrateParameters::keyDeltaX = QStringLiteral("Substrate Delta X");
const QString SubstrateParameters::keyDeltaY = QStringLiteral("Substrate Delta Y");
const QString SubstrateParameters::keyDeltaZ = QStringLiteral("Substrate Delta Z");
const QString SubstrateParameters::keyCentreX = QStringLiteral("Substrate Center X");
const QString SubstrateParameters::keyCentreY = QStringLiteral("Substrate Center Y");
const QString SubstrateParameters::keyCentreZ = QStringLiteral("Substrate Center Z");
const QString SubstrateParameters::keyRadius = QStringLiteral("Substrate Radius");
const QString SubstrateParameters::keyMaterialId = QStringLiteral("Material_Id");
const QString SubstrateParameters::keyMaterial = QStringLiteral("Material");

QMap<QString, QVariant> SubstrateParameters::toParameterMap() const
{
    QMap<QString, QVariant> map;
    map.insert(keyCorner, QVariant::fromValue(corner));
    map.insert(keyVolumeSizeX, volumeSizeX);
    map.insert(keyVolumeSizeY, volumeSizeY);
    map.insert(keyVolumeSizeZ, volumeSizeZ);
    map.insert(keySpherical, spherical);
    if (spherical) {
        map.insert(keyCentreX, centreX);
        map.insert(keyCentreY, centreY);
        map.insert(keyCentreZ, centreZ);
        map.insert(keyRadius, radius);
    } else {
        map.insert(keySubstrateSizeX, substrateSizeX);
        map.insert(keySubstrateSizeY, substrateSizeY);
        map.insert(keySubstrateSizeZ, substrateSizeZ);
        map.insert(keyDeltaX, deltaX);
        map.insert(keyDeltaY, deltaY);
        map.insert(keyDeltaZ, deltaZ);
    }
    map.insert(keyMaterialId, materialId);
    return map;
}

void SubstrateParameters::applyParameterMap(const QMap<QString, QVariant> &map)
{
    auto take = [&map](const QString &key, uint32_t *target) {
        if (map.contains(key))
            *target = map.value(key).toUInt();
    };
    if (map.contains(keyCorner))
        corner = Util::Vector3D(map.value(keyCorner));
    take(keyVolumeSizeX, &volumeSizeX);
    take(keyVolumeSizeY, &volumeSizeY);
    take(keyVolumeSizeZ, &volumeSizeZ);
    if (map.contains(keySpherical))
        spherical = map.value(keySpherical).toBool();
    take(keySubstrateSizeX, &substrateSizeX);
    take(keySubstrateSizeY, &substrateSizeY);
    take(keySubstrateSizeZ, &substrateSizeZ);
    take(keyDeltaX, &deltaX);
    take(keyDeltaY, &deltaY);
    take(keyDeltaZ, &deltaZ);
    take(keyCentreX, &centreX);
    take(keyCentreY, &centreY);
    take(keyCentreZ, &centreZ);
    take(keyRadius, &radius);
    take(keyMaterialId, &materialId);
}

Model::Automaton::TotalVolumePtr SubstrateParameters::buildVolume() const
{
    auto volume = std::make_shared<TotalVolume>(volumeSizeX, volumeSizeY, volumeSizeZ, 1.0f, 1.0f,
                                                1.0f, corner);
    const float cellX = volume->getCellSizeX();
    const float cellY = volume->getCellSizeY();
    const float cellZ = volume->getCellSizeZ();
    const Model::Automaton::VoxelLock lock(*volume);
    Voxel *cells = lock.voxels();
    if (!spherical) {
        const uint64_t x1 = std::min<uint64_t>(volumeSizeX, uint64_t(deltaX) + substrateSizeX);
        const uint64_t y1 = std::min<uint64_t>(volumeSizeY, uint64_t(deltaY) + substrateSizeY);
        const uint64_t z1 = std::min<uint64_t>(volumeSizeZ, uint64_t(deltaZ) + substrateSizeZ);
        for (uint64_t x = deltaX; x < x1; ++x)
            for (uint64_t y = deltaY; y < y1; ++y) {
                Voxel *column = cells + volume->index(uint32_t(x), uint32_t(y), 0);
                for (uint64_t z = deltaZ; z < z1; ++z)
                    column[z].setMaterialId(materialId);
            }
    } else {
        // Only cells within the ball's bounding box can be inside it.
        auto range = [](uint32_t centre, uint32_t r, uint32_t size, int64_t *lo, int64_t *hi) {
            *lo = std::max<int64_t>(0, int64_t(centre) - r);
            *hi = std::min<int64_t>(int64_t(size) - 1, int64_t(centre) + r);
        };
        int64_t xl, xh, yl, yh, zl, zh;
        range(centreX, radius, volumeSizeX, &xl, &xh);
        range(centreY, radius, volumeSizeY, &yl, &yh);
        range(centreZ, radius, volumeSizeZ, &zl, &zh);
        const double limit = double(radius) * radius * double(cellZ) * cellZ;
        for (int64_t x = xl; x <= xh; ++x) {
            const double dx = double(x - int64_t(centreX)) * cellX;
            for (int64_t y = yl; y <= yh; ++y) {
                const double dy = double(y - int64_t(centreY)) * cellY;
                Voxel *column = cells + volume->index(uint32_t(x), uint32_t(y), 0);
                for (int64_t z = zl; z <= zh; ++z) {
                    const double dz = double(z - int64_t(centreZ)) * cellZ;
                    if (limit >= dx * dx + dy * dy + dz * dz)
                        column[z].setMaterialId(materialId);
                }
            }
        }
    }
    return volume;
}

} // namespace Operations
} // namespace Core
