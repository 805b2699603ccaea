#include "Core/Processes/processregistry.h"

namespace Core {
namespace Processes {

const ProcessRegistry &ProcessRegistry::instance()
{
    static const ProcessRegistry registry;
    return registry;
}

ProcessRegistry::ProcessRegistry()
{
    addFilmProcesses(processes);
    addWetEtchProcesses(processes);
    addStructureProcesses(processes);
    addColumnProcesses(processes);
    addDopingProcesses(processes);
}

const ProcessDescriptor *ProcessRegistry::byOperation(int32_t operationNumber) const
{
    for (const ProcessDescriptor &d : processes)
        if (d.operationNumber == operationNumber && operationNumber >= 0)
            return &d;
    return nullptr;
}

const ProcessDescriptor *ProcessRegistry::byBatchType(int32_t batchType) const
{
    for (const ProcessDescriptor &d : processes)
        if (d.batchType == batchType && batchType >= 0)
            return &d;
    return nullptr;
}

} // namespace Processes
} // namespace Core
