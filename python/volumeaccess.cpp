#include "volumeaccess.h"

#include "Model/Materials/materialfactory.h"

#include <pybind11/numpy.h>

#include <map>
#include <mutex>
#include <type_traits>

namespace py = pybind11;

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Automaton::Voxel;

namespace KelvanePython {

namespace {

// A cell's material id is its first member: a pointer to the cell is one to its id.
static_assert(std::is_standard_layout_v<Voxel>, "cells must keep a fixed layout for the numpy view");

std::mutex &stateMutex()
{
    static std::mutex mutex;
    return mutex;
}

// What the module keeps of one volume: whether a run holds it, its writable id arrays
// (how many live, and whether one was let go since the last check) and its silicon
// lattice record. The weak pointer tells a record of a freed volume from one of a new
// volume at the same address.
struct VolumeRecord
{
    std::weak_ptr<TotalVolume> volume;
    bool busy = false;
    int liveViews = 0;
    bool unchecked = false;
    std::map<int32_t, bool> latticeStale;
};

std::map<const TotalVolume *, VolumeRecord> &volumeRecords()
{
    static std::map<const TotalVolume *, VolumeRecord> records;
    return records;
}

// The volume's record, made afresh when there is none or it belonged to a freed volume;
// under stateMutex().
VolumeRecord &recordOf(const TotalVolumePtr &volume)
{
    auto &records = volumeRecords();
    const auto found = records.find(volume.get());
    if (found != records.end() && found->second.volume.lock() == volume)
        return found->second;
    for (auto it = records.begin(); it != records.end();)
        it = it->second.volume.expired() ? records.erase(it) : std::next(it);
    VolumeRecord &record = records[volume.get()];
    record = VolumeRecord();
    record.volume = volume;
    return record;
}

// Keeps the volume alive for as long as an array over its cells exists.
struct ViewOwner
{
    TotalVolumePtr volume;
};

void releaseView(void *pointer)
{
    auto *owner = static_cast<ViewOwner *>(pointer);
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        VolumeRecord &record = recordOf(owner->volume);
        --record.liveViews;
        record.unchecked = true;
    }
    delete owner;
}

} // namespace

VolumeInUse::VolumeInUse(const TotalVolumePtr &volume) : volume(volume)
{
    std::lock_guard<std::mutex> lock(stateMutex());
    VolumeRecord &record = recordOf(volume);
    if (record.busy) {
        this->volume.reset();
        throw std::runtime_error("the volume is busy: a process started on another thread is still running on it; "
                                 "wait for it to finish or work on another volume");
    }
    record.busy = true;
}

VolumeInUse::~VolumeInUse()
{
    if (!volume)
        return;
    std::lock_guard<std::mutex> lock(stateMutex());
    recordOf(volume).busy = false;
}

std::map<int32_t, bool> &VolumeInUse::latticeStale()
{
    // The record lives as long as the volume, which this object keeps alive; only the
    // run holding the volume touches its lattice record.
    std::lock_guard<std::mutex> lock(stateMutex());
    return recordOf(volume).latticeStale;
}

py::array materialView(const TotalVolumePtr &volume)
{
    Voxel *cells = nullptr;
    {
        Model::Automaton::VoxelLock lock(*volume);
        cells = lock.voxels();
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        ++recordOf(volume).liveViews;
    }
    py::capsule owner(new ViewOwner{volume}, &releaseView);
    const auto cell = static_cast<py::ssize_t>(sizeof(Voxel));
    const py::ssize_t nz = volume->getSizeZ();
    const py::ssize_t ny = volume->getSizeY();
    return py::array(py::dtype::of<uint32_t>(), {static_cast<py::ssize_t>(volume->getSizeX()), ny, nz},
                     {ny * nz * cell, nz * cell, cell}, reinterpret_cast<uint32_t *>(cells), owner);
}

void checkMaterialIds(const TotalVolumePtr &volume)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        VolumeRecord &record = recordOf(volume);
        if (record.liveViews == 0 && !record.unchecked)
            return;
        record.unchecked = false;
        // Ids written by hand may have added or removed silicon.
        record.latticeStale[volume->getId()] = true;
    }
    std::vector<bool> known;
    for (const Model::Materials::Material &m : Model::Materials::MaterialFactory::instance()->getMaterials()) {
        if (m.id >= known.size())
            known.resize(m.id + 1, false);
        known[m.id] = true;
    }
    if (known.empty())
        known.push_back(true);
    known[0] = true;
    Model::Automaton::VoxelLock lock(*volume);
    const Voxel *cells = lock.voxels();
    const size_t count = volume->getCellCount();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t id = cells[i].getMaterialId();
        if (id < known.size() && known[id])
            continue;
        uint32_t x = 0, y = 0, z = 0;
        volume->coordinates(i, &x, &y, &z);
        {
            std::lock_guard<std::mutex> stateLock(stateMutex());
            recordOf(volume).unchecked = true;
        }
        throw py::value_error("the cell [" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                              std::to_string(z) + "] holds material id " + std::to_string(id) +
                              ", which the material catalogue does not have; give it a catalogue material's id "
                              "(or 0, empty) before running a process");
    }
}

std::vector<bool> maskBits(const py::handle &value, int *width, int *height)
{
    const char *form = "a mask takes a 2-D array of bools, shape (width, height) over the cell columns "
                       "(True: opaque)";
    py::array array = py::array::ensure(value);
    if (!array || (array.dtype().kind() != 'b' && array.dtype().kind() != 'i' && array.dtype().kind() != 'u'))
        throw py::type_error(std::string(form) + ", not " + std::string(py::str(py::type::of(value).attr("__name__"))));
    if (array.ndim() != 2 || array.shape(0) < 1 || array.shape(1) < 1 || array.shape(0) > 1000000 ||
        array.shape(1) > 1000000)
        throw py::value_error(std::string(form) + " of at least one column each way; give None for no mask");
    const auto bools = py::array_t<bool, py::array::c_style | py::array::forcecast>::ensure(array);
    if (!bools)
        throw py::error_already_set();
    *width = static_cast<int>(bools.shape(0));
    *height = static_cast<int>(bools.shape(1));
    const bool *data = bools.data();
    return std::vector<bool>(data, data + bools.size());
}

} // namespace KelvanePython
