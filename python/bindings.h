#pragma once

// Each part of the module binds its classes and functions in its own file; the module's
// entry point calls them in this order.
#include <pybind11/pybind11.h>

namespace KelvanePython {

void bindVolume(pybind11::module_ &module);
void bindProcesses(pybind11::module_ &module);
void bindDocuments(pybind11::module_ &module);
void bindProcessLists(pybind11::module_ &module);
void bindExports(pybind11::module_ &module);
void bindMeasurements(pybind11::module_ &module);

} // namespace KelvanePython
