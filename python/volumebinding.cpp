#include "bindings.h"

#include "Model/Automaton/totalvolume.h"
#include "volumeaccess.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <string>
#include <vector>

namespace py = pybind11;

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace KelvanePython {

namespace {

std::vector<std::string> fieldNames(const TotalVolume &volume)
{
    std::vector<std::string> names;
    for (const QString &name : volume.propertyNames())
        if (volume.particleField(name))
            names.push_back(name.toStdString());
    return names;
}

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

// A particle-count field as a writable int32 array over the volume's own counts, shape
// (nx, ny, nz, slots); the array keeps the volume alive.
py::array fieldView(const TotalVolumePtr &volume, const std::string &name)
{
    int32_t *counts = volume->particleField(QString::fromStdString(name));
    if (!counts) {
        std::string known;
        for (const std::string &field : fieldNames(*volume))
            known += (known.empty() ? "\"" : ", \"") + field + "\"";
        throw py::value_error("the volume has no particle-count field \"" + name + "\"; " +
                              (known.empty() ? std::string("it has none") : "its fields are " + known));
    }
    const py::ssize_t slotCount = TotalVolume::particleFieldSlots;
    const py::ssize_t nz = volume->getSizeZ();
    const py::ssize_t ny = volume->getSizeY();
    const auto item = static_cast<py::ssize_t>(sizeof(int32_t));
    py::capsule owner(new TotalVolumePtr(volume), [](void *p) { delete static_cast<TotalVolumePtr *>(p); });
    return py::array(py::dtype::of<int32_t>(), {static_cast<py::ssize_t>(volume->getSizeX()), ny, nz, slotCount},
                     {ny * nz * slotCount * item, nz * slotCount * item, slotCount * item, item}, counts, owner);
}

// A mask as a bool array of shape (width, height), bit (i, j) over the column x = i, y = j.
py::object maskArray(const std::vector<bool> &bits, int width, int height)
{
    if (width <= 0 || height <= 0)
        return py::none();
    py::array_t<bool> array({width, height});
    auto out = array.mutable_unchecked<2>();
    for (int i = 0; i < width; ++i)
        for (int j = 0; j < height; ++j)
            out(i, j) = bits[static_cast<size_t>(i) * static_cast<size_t>(height) + static_cast<size_t>(j)];
    return std::move(array);
}

void setMask(TotalVolume &volume, const py::object &value, bool top)
{
    if (value.is_none()) {
        top ? volume.setTopMask({}, 0, 0) : volume.setBottomMask({}, 0, 0);
        return;
    }
    int width = 0;
    int height = 0;
    const std::vector<bool> bits = maskBits(value, &width, &height);
    top ? volume.setTopMask(bits, width, height) : volume.setBottomMask(bits, width, height);
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
                                   return py::make_tuple(v.getSizeX(), v.getSizeY(), v.getSizeZ());
                               })
        .def_property_readonly("cell",
                               [](const TotalVolume &v) {
                                   return py::make_tuple(v.getCellSizeX(), v.getCellSizeY(), v.getCellSizeZ());
                               })
        .def_property_readonly("origin",
                               [](const TotalVolume &v) {
                                   const Util::Vector3D p = v.getPosition();
                                   return py::make_tuple(p.x, p.y, p.z);
                               })
        .def("__repr__",
             [](const TotalVolume &v) {
                 const Util::Vector3D p = v.getPosition();
                 return py::str("kelvane.Volume(size=({}, {}, {}), cell=({}, {}, {}), origin=({}, {}, {}))")
                     .format(v.getSizeX(), v.getSizeY(), v.getSizeZ(), v.getCellSizeX(), v.getCellSizeY(),
                             v.getCellSizeZ(), p.x, p.y, p.z);
             })
        .def_property_readonly("materials", &materialView,
                               "The material id of every cell, indexed [x, y, z] (z, the height, varies "
                               "fastest), as a writable view of the cells: no copy is made. Ids written into it "
                               "are checked before the next process runs: each must be 0 (empty) or a material "
                               "of the catalogue.")
        .def_property_readonly(
            "fields", [](const TotalVolume &v) { return fieldNames(v); },
            "The names of the volume's particle-count fields (random-walk doping keeps one per dopant).")
        .def("field", &fieldView, py::arg("name"),
             "The particle counts of the field `name`, as a writable int32 view (no copy) of shape "
             "(nx, ny, nz, slots), indexed [x, y, z, slot].")
        .def_property(
            "top_mask",
            [](const TotalVolume &v) {
                int w = 0, h = 0;
                v.getTopMaskSize(&w, &h);
                return maskArray(v.getTopMask(), w, h);
            },
            [](TotalVolume &v, const py::object &value) { setMask(v, value, true); },
            "The mask over the top face as a bool array of shape (width, height), indexed [x, y] over the "
            "columns (True: opaque); None when there is none. Assign an array to set it, None to clear it; "
            "photolithography uses it when given no top_mask.")
        .def_property(
            "bottom_mask",
            [](const TotalVolume &v) {
                int w = 0, h = 0;
                v.getBottomMaskSize(&w, &h);
                return maskArray(v.getBottomMask(), w, h);
            },
            [](TotalVolume &v, const py::object &value) { setMask(v, value, false); },
            "The mask under the bottom face, as top_mask.");
}

} // namespace KelvanePython
