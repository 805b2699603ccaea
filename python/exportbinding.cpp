#include "bindings.h"
#include "guiapplication.h"
#include "pathtext.h"

#include "Core/Operations/CrossSection/crosssectionimage.h"
#include "Core/Operations/ExportData/volumeexport3d.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/celllengths.h"
#include "cli/volumeexports.h"

#include <QImage>
#include <cstring>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

namespace py = pybind11;

using Core::Operations::CrossSectionImage;
using Core::Operations::SectionPlane;
using Core::Operations::VolumeExport3D;
using Model::Automaton::TotalVolume;

namespace KelvanePython {

namespace {

// Adds a method to the Volume class bound elsewhere, as its own def() would.
template <typename Function, typename... Extra>
void addVolumeMethod(py::module_ &module, const char *name, Function &&function, const Extra &...extra)
{
    py::object volumeClass = module.attr("Volume");
    volumeClass.attr(name) =
        py::cpp_function(std::forward<Function>(function), py::name(name), py::is_method(volumeClass),
                         py::sibling(py::getattr(volumeClass, name, py::none())), extra...);
}

std::vector<std::string> texts(const QStringList &list)
{
    std::vector<std::string> out;
    for (const QString &s : list)
        out.push_back(s.toStdString());
    return out;
}

std::vector<std::string> export3D(TotalVolume &volume, const QString &path, VolumeExport3D::Format format,
                                  bool perMaterial)
{
    if (VolumeExport3D::formatOf(path) != format)
        throw py::value_error(
            QStringLiteral("%1: give the file name the suffix %2")
                .arg(path, format == VolumeExport3D::Format::Stl ? QStringLiteral(".stl") : QStringLiteral(".vti"))
                .toStdString());
    QStringList written;
    QString error;
    bool ok;
    {
        py::gil_scoped_release unlocked;
        ok = VolumeExport3D::write(volume, path, perMaterial, &written, &error);
    }
    if (!ok)
        raiseOSError(QStringLiteral("cannot write the 3-D export %1: %2").arg(path, error));
    return texts(written);
}

// The plane from an axis ("x", "y", "z" or 0, 1, 2) and a cell index, checked against
// the volume.
SectionPlane sectionPlane(TotalVolume &volume, const py::object &axis, int64_t position)
{
    SectionPlane plane;
    if (py::isinstance<py::str>(axis)) {
        const std::string name = axis.cast<std::string>();
        if (name != "x" && name != "y" && name != "z" && name != "X" && name != "Y" && name != "Z")
            throw py::value_error("the axis of a cut is \"x\", \"y\" or \"z\" (or 0, 1, 2), not \"" + name + "\"");
        plane.axis = (name[0] | 0x20) - 'x';
    } else if (py::isinstance<py::int_>(axis) && !py::isinstance<py::bool_>(axis)) {
        const int64_t number = axis.cast<int64_t>();
        if (number < 0 || number > 2)
            throw py::value_error("the axis of a cut is \"x\", \"y\" or \"z\" (or 0, 1, 2), not " +
                                  std::to_string(number));
        plane.axis = static_cast<int>(number);
    } else {
        throw py::type_error("the axis of a cut is \"x\", \"y\" or \"z\" (or 0, 1, 2), not a " +
                             std::string(py::str(axis.get_type().attr("__name__"))));
    }
    const uint32_t cells = CrossSectionImage::cellsAlong(volume, plane.axis);
    if (position < 0 || position >= static_cast<int64_t>(cells))
        throw py::value_error(QStringLiteral("%1 = %2 lies outside the volume, whose cells along %1 are 0 to %3")
                                  .arg(plane.axisName())
                                  .arg(position)
                                  .arg(cells - 1)
                                  .toStdString());
    plane.index = static_cast<uint32_t>(position);
    QString error;
    if (!CrossSectionImage::fits(volume, plane, &error))
        throw py::value_error(error.toStdString());
    return plane;
}

py::array_t<uint8_t> crossSection(TotalVolume &volume, const py::object &axis, int64_t position)
{
    const SectionPlane plane = sectionPlane(volume, axis, position);
    ensureGuiApplication();
    QImage image;
    {
        py::gil_scoped_release unlocked;
        image = CrossSectionImage(volume, plane).render().convertToFormat(QImage::Format_RGB888);
    }
    const py::ssize_t height = image.height();
    const py::ssize_t width = image.width();
    py::array_t<uint8_t> pixels({height, width, py::ssize_t(3)});
    auto out = pixels.mutable_unchecked<3>();
    for (py::ssize_t row = 0; row < height; ++row)
        std::memcpy(out.mutable_data(row, 0, 0), image.constScanLine(static_cast<int>(row)),
                    static_cast<size_t>(width) * 3);
    return pixels;
}

void exportCrossSection(TotalVolume &volume, const py::object &pathObject, const py::object &axis,
                        int64_t position)
{
    const QString path = pathText(pathObject);
    QString error;
    if (!CrossSectionImage::writableFormat(path, &error))
        throw py::value_error(QStringLiteral("cannot write the section image %1: %2").arg(path, error).toStdString());
    const SectionPlane plane = sectionPlane(volume, axis, position);
    ensureGuiApplication();
    bool ok;
    {
        py::gil_scoped_release unlocked;
        ok = CrossSectionImage(volume, plane).save(path, &error);
    }
    if (!ok)
        raiseOSError(QStringLiteral("cannot write the section image %1: %2").arg(path, error));
}

void exportNetlist(TotalVolume &volume, const py::object &pathObject, double micrometresPerUnit)
{
    const QString path = pathText(pathObject);
    if (!Model::ModelExtraction::CellLengths::validMicrometresPerUnit(micrometresPerUnit))
        throw py::value_error("micrometres_per_unit needs a positive number of micrometres per model unit");
    QString error;
    bool ok;
    {
        py::gil_scoped_release unlocked;
        ok = Cli::writeNetlist(volume, path, micrometresPerUnit, &error);
    }
    if (!ok)
        throw std::runtime_error(QStringLiteral("cannot write the netlist %1: %2").arg(path, error).toStdString());
}

void exportCsv(TotalVolume &volume, const py::object &pathObject, const std::optional<std::string> &field)
{
    const QString path = pathText(pathObject);
    QString error;
    bool ok;
    {
        py::gil_scoped_release unlocked;
        ok = Cli::writeParticleCounts(volume, path, field ? QString::fromStdString(*field) : QString(), &error);
    }
    if (!ok)
        throw std::runtime_error(QStringLiteral("cannot write the CSV file %1: %2").arg(path, error).toStdString());
}

} // namespace

void bindExports(py::module_ &module)
{
    addVolumeMethod(
        module, "export_vti",
        [](TotalVolume &volume, const py::object &path) {
            return export3D(volume, pathText(path), VolumeExport3D::Format::ImageData, false);
        },
        py::arg("path"),
        "Writes the volume as VTK image data (.vti): the material id of every cell. Returns the files "
        "written. Raises ValueError for a name without the suffix .vti and OSError when the file cannot be "
        "written (an existing file then keeps its contents).");
    addVolumeMethod(
        module, "export_stl",
        [](TotalVolume &volume, const py::object &path, bool perMaterial) {
            return export3D(volume, pathText(path), VolumeExport3D::Format::Stl, perMaterial);
        },
        py::arg("path"), py::arg("per_material") = false,
        "Writes the surface of the volume's material as binary STL (.stl), as the view shows it (direct "
        "cubic or marching cubes, inside the cut box). With per_material=True, one closed surface per "
        "material goes to PATH-<material name>.stl. Returns the files written. Raises ValueError for a "
        "name without the suffix .stl and OSError when a file cannot be written (existing files then keep "
        "their contents).");
    module.def("cross_section", &crossSection, py::arg("volume"), py::arg("axis"), py::arg("position"),
               "A picture of one layer of cells: the cells whose index along axis (\"x\", \"y\", \"z\" or "
               "0, 1, 2) is position, as a numpy uint8 array of shape (height, width, 3) in RGB. One block "
               "of pixels per cell in the material colours, with a title, the axes, a scale bar and a "
               "legend, as Volume.export_cross_section writes it. Raises ValueError for a plane outside "
               "the volume or a picture too large to make.");
    addVolumeMethod(module, "export_cross_section", &exportCrossSection, py::arg("path"), py::arg("axis"),
                    py::arg("position"),
                    "Writes the picture kelvane.cross_section(volume, axis, position) returns to a file; the "
                    "format follows the suffix (PNG without one). Raises ValueError for a format that cannot "
                    "be written or a plane outside the volume, and OSError when the file cannot be written "
                    "(an existing file then keeps its contents).");
    addVolumeMethod(module, "export_netlist", &exportNetlist, py::arg("path"),
                    py::arg("micrometres_per_unit") = 1.0,
                    "Extracts the volume's cantilever beams and writes their netlist, with "
                    "micrometres_per_unit micrometres to one model unit (the unit of the cell size). Raises "
                    "RuntimeError when no free-standing beam is found, a beam cannot be modelled or the file "
                    "cannot be written (an existing file then keeps its contents).");
    addVolumeMethod(module, "export_csv", &exportCsv, py::arg("path"), py::arg("field") = py::none(),
                    "Writes a particle-count field of the volume (made by random-walk doping) as CSV: "
                    "field is \"Random Walk Particle Count Type N\" or \"... Type P\", by default the "
                    "first the volume holds. Raises RuntimeError when the volume holds no such field or the "
                    "file cannot be written.");
}

} // namespace KelvanePython
