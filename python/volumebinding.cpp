#include "bindings.h"

#include "Model/Automaton/totalvolume.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <type_traits>

namespace py = pybind11;

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Automaton::Voxel;

namespace KelvanePython {

namespace {

// A cell's material id is its first member: a pointer to the cell is one to its id.
static_assert(std::is_standard_layout_v<Voxel>, "cells must keep a fixed layout for the numpy view");

TotalVolumePtr makeVolume(const std::array<uint64_t, 3> &size, const std::array<double, 3> &cell,
                          const std::array<double, 3> &origin)
{
    for (double c : cell)
        if (!(c > 0.0))
            throw py::value_error("the cell size must be positive on every axis");
    try {
        TotalVolume::checkedCellCount(size[0], size[1], size[2]);
    } catch (const std::invalid_argument &) {
        throw py::value_error("the volume needs at least one cell on every axis");
    }
    return std::make_shared<TotalVolume>(static_cast<uint32_t>(size[0]), static_cast<uint32_t>(size[1]),
                                         static_cast<uint32_t>(size[2]), static_cast<float>(cell[0]),
                                         static_cast<float>(cell[1]), static_cast<float>(cell[2]),
                                         Util::Vector3D(origin[0], origin[1], origin[2]));
}

// The material ids as a writable numpy array over the cells themselves, indexed
// [x, y, z]; the array keeps the volume alive.
py::array materialView(const py::object &self)
{
    TotalVolume &volume = self.cast<TotalVolume &>();
    Voxel *cells = nullptr;
    {
        Model::Automaton::VoxelLock lock(volume);
        cells = lock.voxels();
    }
    const auto cell = static_cast<py::ssize_t>(sizeof(Voxel));
    const py::ssize_t nz = volume.getSizeZ();
    const py::ssize_t ny = volume.getSizeY();
    return py::array(py::dtype::of<uint32_t>(),
                     {static_cast<py::ssize_t>(volume.getSizeX()), ny, nz},
                     {ny * nz * cell, nz * cell, cell}, reinterpret_cast<uint32_t *>(cells), self);
}

} // namespace

void bindVolume(py::module_ &module)
{
    py::class_<TotalVolume, TotalVolumePtr>(module, "Volume",
                                            "A block of cells: size cells per axis, each of the given size, its "
                                            "lower left front corner at origin.")
        .def(py::init(&makeVolume), py::arg("size"), py::arg("cell") = std::array<double, 3>{1.0, 1.0, 1.0},
             py::arg("origin") = std::array<double, 3>{0.0, 0.0, 0.0})
        .def_property_readonly("size",
                               [](const TotalVolume &v) {
                                   return std::array<uint32_t, 3>{v.getSizeX(), v.getSizeY(), v.getSizeZ()};
                               })
        .def_property_readonly("cell",
                               [](const TotalVolume &v) {
                                   return std::array<float, 3>{v.getCellSizeX(), v.getCellSizeY(), v.getCellSizeZ()};
                               })
        .def_property_readonly("origin",
                               [](const TotalVolume &v) {
                                   const Util::Vector3D p = v.getPosition();
                                   return std::array<double, 3>{p.x, p.y, p.z};
                               })
        .def_property_readonly("materials", &materialView,
                               "The material id of every cell, indexed [x, y, z] (z, the height, varies "
                               "fastest), as a writable view of the cells: no copy is made.");
}

} // namespace KelvanePython
