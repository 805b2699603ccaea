#pragma once

#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Automaton/voxel.h"
#include "Model/Automaton/voxelarray.h"
#include "Model/object.h"

#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {

class SiLattice;

// The simulated workpiece: sizeX x sizeY x sizeZ cuboid cells. z is vertical; the
// cell (x, y, z) has index (x * sizeY + y) * sizeZ + z, so z varies fastest.
class TotalVolume : public Object
{
public:
    // materialIds holds at least sizeX * sizeY * sizeZ ids in index order.
    TotalVolume(uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ, float cellSizeX, float cellSizeY,
                float cellSizeZ, const Util::Vector3D &position, const std::vector<uint32_t> &materialIds);
    // All cells empty; callers fill them under lockVoxels().
    TotalVolume(uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ, float cellSizeX, float cellSizeY,
                float cellSizeZ, const Util::Vector3D &position);
    ~TotalVolume() override;

    // Throws std::bad_alloc when the cell array cannot exist, and std::invalid_argument
    // for a size of 0: every automaton and view relies on at least one cell per axis.
    static size_t checkedCellCount(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ);

    uint32_t getSizeX() const { return sizeX; }
    uint32_t getSizeY() const { return sizeY; }
    uint32_t getSizeZ() const { return sizeZ; }
    size_t getCellCount() const { return cellCount; }
    float getCellSizeX() const { return cellSizeX; }
    float getCellSizeY() const { return cellSizeY; }
    float getCellSizeZ() const { return cellSizeZ; }
    Util::Vector3D getPosition() const { return position; }

    size_t index(uint32_t x, uint32_t y, uint32_t z) const
    {
        return (static_cast<size_t>(x) * sizeY + y) * sizeZ + z;
    }
    void coordinates(size_t index, uint32_t *x, uint32_t *y, uint32_t *z) const
    {
        const size_t layer = static_cast<size_t>(sizeY) * sizeZ;
        *x = static_cast<uint32_t>(index / layer);
        *y = static_cast<uint32_t>((index % layer) / sizeZ);
        *z = static_cast<uint32_t>(index % sizeZ);
    }
    bool contains(int64_t x, int64_t y, int64_t z) const
    {
        return x >= 0 && y >= 0 && z >= 0 && x < sizeX && y < sizeY && z < sizeZ;
    }

    // Locks the non-recursive voxel mutex and hands out the cells.
    Voxel *lockVoxels();
    void unlockVoxels();
    // Material ids of every cell in index order, taken under the voxel mutex.
    std::vector<uint32_t> materialIds();

    std::shared_ptr<SiLattice> getLattice() const { return lattice; }
    void createLattice();
    TotalVolumePainter *getPainter() { return &painter; }
    const TotalVolumePainter *getPainter() const { return &painter; }

    void setTopMask(const std::vector<bool> &bits, int width, int height);
    void setBottomMask(const std::vector<bool> &bits, int width, int height);
    const std::vector<bool> &getTopMask() const { return topMask; }
    const std::vector<bool> &getBottomMask() const { return bottomMask; }
    void getTopMaskSize(int *width, int *height) const;
    void getBottomMaskSize(int *width, int *height) const;
    void clearTopMask();
    void clearBottomMask();

    // Replacing the value of a key that names a particle-count field frees that field.
    void setProperty(const QString &name, const QVariant &value);
    QVariant property(const QString &name) const;
    QStringList propertyNames() const;

    // Particle-count fields: particleFieldSlots int32 counts per cell, owned by the volume
    // and freed with it (a clone has none). The property of the same name holds the
    // array's address as a void pointer, which is how readers find it; the counts are
    // read and written under lockVoxels().
    static constexpr size_t particleFieldSlots = 7;
    // The field stored under `name`, or null when the volume has none.
    int32_t *particleField(const QString &name) const;
    // Allocates a zeroed field under `name` (replacing any earlier one) and publishes it
    // in the properties. Throws std::bad_alloc when the memory cannot be had.
    int32_t *createParticleField(const QString &name);
    // Frees the field stored under `name` and drops its property; nothing when absent.
    void removeParticleField(const QString &name);

    ObjectKind getType() const override { return ObjectKind::TotalVolume; }
    void draw(bool surfaces, bool outlines, Util::Vector3D eye) override;
    void drawForPicking() override;
    ObjectPtr clone() override;
    void move(Util::Vector3D delta) override { position += delta; }
    void hook(const Util::Vector4D &, const Util::Vector4D &) override {}

private:
    VoxelArray voxels;
    QMutex voxelMutex;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    size_t cellCount;
    float cellSizeX;
    float cellSizeY;
    float cellSizeZ;
    Util::Vector3D position;
    std::vector<bool> topMask;
    int topMaskWidth = 0;
    int topMaskHeight = 0;
    std::vector<bool> bottomMask;
    int bottomMaskWidth = 0;
    int bottomMaskHeight = 0;
    std::shared_ptr<SiLattice> lattice;
    TotalVolumePainter painter;
    // Guards properties and fields: a batch run may add a field on its worker thread
    // while the view reads the map.
    mutable QMutex propertyMutex;
    QMap<QString, QVariant> properties;
    std::map<QString, std::unique_ptr<int32_t[]>> fields;
};

using TotalVolumePtr = std::shared_ptr<TotalVolume>;

// Holds a volume's voxel mutex for its lifetime, so every path out releases it.
class VoxelLock
{
public:
    explicit VoxelLock(TotalVolume &volume) : volume(volume), cells(volume.lockVoxels()) {}
    ~VoxelLock() { volume.unlockVoxels(); }
    VoxelLock(const VoxelLock &) = delete;
    VoxelLock &operator=(const VoxelLock &) = delete;

    Voxel *voxels() const { return cells; }
    Voxel &operator[](size_t i) const { return cells[i]; }

private:
    TotalVolume &volume;
    Voxel *cells;
};

} // namespace Automaton
} // namespace Model
