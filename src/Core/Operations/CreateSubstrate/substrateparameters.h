#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Util/vector3d.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>

namespace Core {
namespace Operations {

// Everything that defines a new substrate volume; shared by the operation, its dialog
// preset and the batch runner. Cell counts and positions are in cells.
struct SubstrateParameters
{
    uint32_t materialId = 0;
    uint32_t volumeSizeX = 100;
    uint32_t volumeSizeY = 100;
    uint32_t volumeSizeZ = 80;
    Util::Vector3D corner;
    bool spherical = false;
    uint32_t substrateSizeX = 100;
    uint32_t substrateSizeY = 100;
    uint32_t substrateSizeZ = 30;
    uint32_t deltaX = 0;
    uint32_t deltaY = 0;
    uint32_t deltaZ = 0;
    uint32_t centreX = 0;
    uint32_t centreY = 0;
    uint32_t centreZ = 0;
    uint32_t radius = 50;

    // Parameter keys of process lists and dialog presets.
    static const QString keyCorner;
    static const QString keyVolumeSizeX, keyVolumeSizeY, keyVolumeSizeZ;
    static const QString keySpherical;
    static const QString keySubstrateSizeX, keySubstrateSizeY, keySubstrateSizeZ;
    static const QString keyDeltaX, keyDeltaY, keyDeltaZ;
    static const QString keyCentreX, keyCentreY, keyCentreZ;
    static const QString keyRadius;
    static const QString keyMaterialId;
    static const QString keyMaterial;

    QMap<QString, QVariant> toParameterMap() const;
    // Keys that are absent keep the values already held.
    void applyParameterMap(const QMap<QString, QVariant> &map);

    // The new volume (cell size 1): a block clipped to the volume, or a ball.
    // Throws std::bad_alloc when the volume cannot be held in memory.
    Model::Automaton::TotalVolumePtr buildVolume() const;
};

} // namespace Operations
} // namespace Core
