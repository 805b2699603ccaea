#include "bindings.h"

PYBIND11_MODULE(kelvane, module)
{
    module.doc() = "Kelvane: cell-based simulation of micro-fabrication process steps.";
    KelvanePython::bindVolume(module);
    KelvanePython::bindProcesses(module);
    KelvanePython::bindDocuments(module);
    KelvanePython::bindProcessLists(module);
    KelvanePython::bindExports(module);
    KelvanePython::bindMeasurements(module);
}
