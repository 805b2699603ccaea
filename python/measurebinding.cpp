#include "bindings.h"
#include "volumeaccess.h"

#include "Core/Metrology/measurements.h"

#include <pybind11/stl.h>

#include <optional>

namespace py = pybind11;

using Core::Metrology::Measurement;
using Core::Metrology::MeasurementRegistry;
using Model::Automaton::TotalVolumePtr;

namespace KelvanePython {

namespace {

// A keyword's value as the measurement readers take it (text, whole number or number).
QVariant variantOf(const py::handle &value)
{
    if (py::isinstance<py::bool_>(value))
        throw py::type_error("a measurement parameter is a number, a name or a word, not a bool");
    if (py::isinstance<py::str>(value))
        return QString::fromStdString(value.cast<std::string>());
    if (py::isinstance<py::int_>(value))
        return value.cast<qlonglong>();
    if (py::isinstance<py::float_>(value))
        return value.cast<double>();
    throw py::type_error("a measurement parameter is a number, a name or a word, not a " +
                         std::string(py::str(value.get_type().attr("__name__"))));
}

std::optional<double> measure(const TotalVolumePtr &volume, const std::string &type, double micrometresPerUnit,
                              const py::kwargs &parameters)
{
    const Measurement *m = MeasurementRegistry::instance().find(QString::fromStdString(type));
    if (!m) {
        std::string known;
        for (const Measurement &each : MeasurementRegistry::instance().all())
            known += (known.empty() ? "" : ", ") + each.name.toStdString();
        throw py::value_error("unknown measurement '" + type + "' (known: " + known + ")");
    }
    if (!(micrometresPerUnit >= 0.0))
        throw py::value_error("micrometres_per_unit must be a positive number (or 0 for model units)");
    QVariantMap given;
    for (const auto &item : parameters)
        given.insert(QString::fromStdString(item.first.cast<std::string>()), variantOf(item.second));
    Core::Processes::ParameterSet values;
    QString error;
    if (!Core::Metrology::readParameters(*m, given, &values, &error))
        throw py::value_error(error.toStdString());
    Core::Metrology::Reading reading;
    {
        VolumeInUse held(volume);
        checkMaterialIds(volume);
        py::gil_scoped_release unlocked;
        reading = Core::Metrology::take(*m, *volume, values);
    }
    if (!reading.value) {
        PyErr_WarnEx(PyExc_UserWarning, ("measurement " + type + " not taken: " + reading.why.toStdString()).c_str(), 1);
        return std::nullopt;
    }
    return micrometresPerUnit > 0.0 ? Core::Metrology::inMicrometres(m->quantity, *reading.value, micrometresPerUnit)
                                    : *reading.value;
}

} // namespace

void bindMeasurements(py::module_ &module)
{
    std::string doc = "measure(volume, type, micrometres_per_unit=0, **parameters)\n\n"
                      "Takes a measurement on the volume: its value in model units (in micrometres for a "
                      "length or volume when micrometres_per_unit is given), or None with a UserWarning "
                      "saying why when it cannot be taken there. Positions and heights are cell indices; "
                      "materials are catalogue names or ids, \"empty\" for empty space.\n\n";
    for (const Measurement &m : MeasurementRegistry::instance().all())
        doc += Core::Metrology::describe(m).toStdString() + "\n";
    module.def("measure", &measure, py::arg("volume"), py::arg("type"), py::arg("micrometres_per_unit") = 0.0,
               doc.c_str());
    module.def(
        "measurement_types",
        [] {
            std::vector<std::string> names;
            for (const Measurement &m : MeasurementRegistry::instance().all())
                names.push_back(m.name.toStdString());
            return names;
        },
        "The names of the measurements measure() takes.");
}

} // namespace KelvanePython
