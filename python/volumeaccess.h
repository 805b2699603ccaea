#pragma once

// What the module keeps about each volume beyond its cells: which volumes a process is
// running on, and which have had their material ids handed out as a writable array.
// Python's headers come before Qt's, whose "slots" keyword they use as a name.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "Model/Automaton/totalvolume.h"

#include <map>
#include <vector>

namespace KelvanePython {

// Holds a volume for one run: only one run at a time changes a volume. Taking a volume
// another thread is running on throws RuntimeError ("the volume is busy: ...") at once,
// rather than waiting for it.
class VolumeInUse
{
public:
    explicit VolumeInUse(const Model::Automaton::TotalVolumePtr &volume);
    ~VolumeInUse();
    VolumeInUse(const VolumeInUse &) = delete;
    VolumeInUse &operator=(const VolumeInUse &) = delete;

    // The volume's record of whether its silicon lattice is stale, which processes read
    // and write (ProcessTarget::latticeStale): each volume keeps its own.
    std::map<int32_t, bool> &latticeStale();

private:
    Model::Automaton::TotalVolumePtr volume;
};

// The material ids of the volume as a writable numpy array over its cells, indexed
// [x, y, z]; the array keeps the volume alive.
pybind11::array materialView(const Model::Automaton::TotalVolumePtr &volume);

// Before anything reads the cells: when material ids were handed out as a writable array
// since the last check (or such an array still exists), every id must be one of the
// material catalogue (or 0, empty), and the volume's silicon lattice counts as stale.
// Call it holding the volume (VolumeInUse). Throws ValueError naming the first cell that holds
// another id; the volume is not changed.
void checkMaterialIds(const Model::Automaton::TotalVolumePtr &volume);

// A mask given from Python: a 2-D array of bools (or of 0 and 1), shape (width, height),
// indexed [x, y] over the columns, as bits in the order the masks keep them (index
// x * height + y). Throws TypeError or ValueError for anything else.
std::vector<bool> maskBits(const pybind11::handle &value, int *width, int *height);

} // namespace KelvanePython
