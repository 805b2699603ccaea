#pragma once

#include "Core/Processes/processdescriptor.h"

#include <vector>

namespace Core {
namespace Processes {

// Every process of the program, each described once. Menus, options dialogs, the
// operation factory, the batch runner, the list editor and command-line overrides all
// look their process up here.
class ProcessRegistry
{
public:
    static const ProcessRegistry &instance();

    const std::vector<ProcessDescriptor> &all() const { return processes; }
    // nullptr when no process has that number.
    const ProcessDescriptor *byOperation(int32_t operationNumber) const;
    const ProcessDescriptor *byBatchType(int32_t batchType) const;

private:
    ProcessRegistry();
    std::vector<ProcessDescriptor> processes;
};

// The descriptors of each family, in their own files.
void addFilmProcesses(std::vector<ProcessDescriptor> &processes);
void addWetEtchProcesses(std::vector<ProcessDescriptor> &processes);
void addStructureProcesses(std::vector<ProcessDescriptor> &processes);
void addColumnProcesses(std::vector<ProcessDescriptor> &processes);
void addDopingProcesses(std::vector<ProcessDescriptor> &processes);

// PVD's side in the words lists store beside its number ("On Top", ...); empty for
// another number.
QString pvdSideText(int side);

} // namespace Processes
} // namespace Core
