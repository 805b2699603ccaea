#pragma once

// Shared by the deposition and etching tests: small volumes built from a rule, cell
// comparisons, and a guard that sets the global pool's thread count for one test.
#include "Model/Automaton/totalvolume.h"

#include <QThread>
#include <QThreadPool>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace FilmTest {

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using MaterialRule = std::function<uint32_t(uint32_t x, uint32_t y, uint32_t z)>;

inline TotalVolumePtr makeVolume(uint32_t sx, uint32_t sy, uint32_t sz, const MaterialRule &rule,
                                 const Util::Vector3D &position = Util::Vector3D())
{
    auto volume = std::make_shared<TotalVolume>(sx, sy, sz, 1.0f, 1.0f, 1.0f, position);
    const Model::Automaton::VoxelLock lock(*volume);
    Model::Automaton::Voxel *cells = lock.voxels();
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            for (uint32_t z = 0; z < sz; ++z)
                cells[volume->index(x, y, z)].setMaterialId(rule(x, y, z));
    return volume;
}

// Every cell's count (the silicon atoms in it, after a lattice is built), in index order.
inline std::vector<int32_t> counts(TotalVolume &volume)
{
    Model::Automaton::VoxelLock cells(volume);
    std::vector<int32_t> result(volume.getCellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = cells[i].getCount();
    return result;
}

inline uint32_t at(const TotalVolumePtr &v, const std::vector<uint32_t> &ids, uint32_t x, uint32_t y, uint32_t z)
{
    return ids[v->index(x, y, z)];
}

inline size_t count(const std::vector<uint32_t> &ids, uint32_t material)
{
    size_t n = 0;
    for (uint32_t id : ids)
        n += id == material;
    return n;
}

// Blobs of materials 1 and 3 with some scattered cells, the same for a given seed.
inline TotalVolumePtr randomScene(uint32_t sx, uint32_t sy, uint32_t sz, unsigned seed)
{
    std::mt19937 random(seed);
    return makeVolume(sx, sy, sz, [&](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < sz / 3)
            return (x * 7 + y * 3) % 11 == 0 ? 3 : 1; // floor with pillars of another material
        const unsigned r = random() % 100;
        if (r < 12)
            return 1;
        if (r < 16)
            return 3;
        return 0;
    });
}

// Sets the global pool's maximum thread count for the lifetime of the object.
class PoolThreads
{
public:
    explicit PoolThreads(int threads) : previous(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolThreads() { QThreadPool::globalInstance()->setMaxThreadCount(previous); }
    PoolThreads(const PoolThreads &) = delete;
    PoolThreads &operator=(const PoolThreads &) = delete;

private:
    int previous;
};

} // namespace FilmTest
