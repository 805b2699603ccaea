#pragma once

#include <QString>
#include <pybind11/pybind11.h>

namespace KelvanePython {

// A file name given as a str or an os.PathLike, as the program's own text. Raises
// TypeError for anything else.
inline QString pathText(const pybind11::object &path)
{
    namespace py = pybind11;
    if (!py::isinstance<py::str>(path) && !py::hasattr(path, "__fspath__"))
        throw py::type_error("a file name must be a str or a path, not " +
                             std::string(py::str(path.get_type().attr("__name__"))));
    const py::object name = py::module_::import("os").attr("fspath")(path);
    if (!py::isinstance<py::str>(name))
        throw py::type_error("a file name must be text, not bytes");
    return QString::fromStdString(name.cast<std::string>());
}

// Raises OSError with the text.
[[noreturn]] inline void raiseOSError(const QString &text)
{
    PyErr_SetString(PyExc_OSError, text.toStdString().c_str());
    throw pybind11::error_already_set();
}

} // namespace KelvanePython
