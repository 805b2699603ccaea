#include "Model/Automaton/totalvolume.h"

#include "Model/Automaton/silattice.h"
#include "Model/Persistence/volumelimits.h"
#include "Util/threadcheck.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace Model {
namespace Automaton {

size_t TotalVolume::checkedCellCount(uint64_t x, uint64_t y, uint64_t z)
{
    if (x == 0 || y == 0 || z == 0)
        throw std::invalid_argument("a cell volume needs at least one cell along each axis");
    // Sizes are 32-bit each, so x * y cannot overflow 64 bits; the product with z can.
    const uint64_t xy = x * y;
    if (z != 0 && xy > std::numeric_limits<uint64_t>::max() / z)
        throw std::bad_alloc();
    const uint64_t n = xy * z;
    if (n > std::numeric_limits<size_t>::max() / sizeof(Voxel))
        throw std::bad_alloc();
    // Refuse arrays larger than the memory that can be spared up front: the allocation
    // itself might succeed and the process be killed while the cells are filled.
    if (!Persistence::VolumeLimits::cellBytesFit(n * sizeof(Voxel)))
        throw std::bad_alloc();
    return static_cast<size_t>(n);
}

TotalVolume::TotalVolume(uint32_t sx, uint32_t sy, uint32_t sz, float csx, float csy, float csz,
                         const Util::Vector3D &pos)
    : sizeX(sx), sizeY(sy), sizeZ(sz), cellCount(checkedCellCount(sx, sy, sz)), cellSizeX(csx),
      cellSizeY(csy), cellSizeZ(csz), position(pos), painter(this)
{
    voxels = VoxelArray(cellCount);
}

TotalVolume::TotalVolume(uint32_t sx, uint32_t sy, uint32_t sz, float csx, float csy, float csz,
                         const Util::Vector3D &pos, const std::vector<uint32_t> &materialIds)
    : TotalVolume(sx, sy, sz, csx, csy, csz, pos)
{
    const size_t n = std::min(cellCount, materialIds.size());
    Voxel *v = voxels.get();
    for (size_t i = 0; i < n; ++i)
        v[i].setMaterialId(materialIds[i]);
}

TotalVolume::~TotalVolume() = default;

Voxel *TotalVolume::lockVoxels()
{
    voxelMutex.lock();
    Util::takeOver(&voxelMutex);
    return voxels.get();
}

void TotalVolume::unlockVoxels()
{
    Util::handOver(&voxelMutex);
    voxelMutex.unlock();
}

std::vector<uint32_t> TotalVolume::materialIds()
{
    std::vector<uint32_t> ids(cellCount);
    Util::CheckedMutexLocker lock(&voxelMutex);
    const Voxel *v = voxels.get();
    for (size_t i = 0; i < cellCount; ++i)
        ids[i] = v[i].getMaterialId();
    return ids;
}

void TotalVolume::createLattice()
{
    // The old lattice goes first, so that two never coexist; a build that fails leaves
    // the volume without one.
    lattice.reset();
    auto fresh = std::make_shared<SiLattice>(this);
    fresh->initialize();
    lattice = std::move(fresh);
}

void TotalVolume::setTopMask(const std::vector<bool> &bits, int width, int height)
{
    topMask = bits;
    topMaskWidth = width;
    topMaskHeight = height;
}

void TotalVolume::setBottomMask(const std::vector<bool> &bits, int width, int height)
{
    bottomMask = bits;
    bottomMaskWidth = width;
    bottomMaskHeight = height;
}

void TotalVolume::getTopMaskSize(int *width, int *height) const
{
    *width = topMaskWidth;
    *height = topMaskHeight;
}

void TotalVolume::getBottomMaskSize(int *width, int *height) const
{
    *width = bottomMaskWidth;
    *height = bottomMaskHeight;
}

void TotalVolume::clearTopMask()
{
    topMask.assign(topMask.size(), false);
}

void TotalVolume::clearBottomMask()
{
    bottomMask.assign(bottomMask.size(), false);
}

void TotalVolume::setProperty(const QString &name, const QVariant &value)
{
    Util::CheckedMutexLocker lock(&propertyMutex);
    properties.insert(name, value);
    fields.erase(name);
}

QVariant TotalVolume::property(const QString &name) const
{
    Util::CheckedMutexLocker lock(&propertyMutex);
    return properties.value(name);
}

QStringList TotalVolume::propertyNames() const
{
    Util::CheckedMutexLocker lock(&propertyMutex);
    return properties.keys();
}

int32_t *TotalVolume::particleField(const QString &name) const
{
    Util::CheckedMutexLocker lock(&propertyMutex);
    const auto it = fields.find(name);
    return it == fields.end() ? nullptr : it->second.get();
}

int32_t *TotalVolume::createParticleField(const QString &name)
{
    if (cellCount > std::numeric_limits<size_t>::max() / sizeof(int32_t) / particleFieldSlots)
        throw std::bad_alloc();
    auto field = std::make_unique<int32_t[]>(cellCount * particleFieldSlots);
    int32_t *address = field.get();
    Util::CheckedMutexLocker lock(&propertyMutex);
    properties.insert(name, QVariant::fromValue(static_cast<void *>(address)));
    fields[name] = std::move(field);
    return address;
}

void TotalVolume::removeParticleField(const QString &name)
{
    Util::CheckedMutexLocker lock(&propertyMutex);
    if (fields.erase(name))
        properties.remove(name);
}

void TotalVolume::draw(bool surfaces, bool outlines, Util::Vector3D eye)
{
    painter.paint(surfaces, outlines, eye);
}

void TotalVolume::drawForPicking()
{
    painter.drawForPicking();
}

ObjectPtr TotalVolume::clone()
{
    const std::vector<uint32_t> ids = materialIds();
    auto copy = std::make_shared<TotalVolume>(sizeX, sizeY, sizeZ, cellSizeX, cellSizeY, cellSizeZ,
                                              position, ids);
    // A copy is drawn the way the original is, from the moment it exists.
    copy->painter.setMode(painter.getMode());
    copy->painter.regenerate();
    return copy;
}

} // namespace Automaton
} // namespace Model
