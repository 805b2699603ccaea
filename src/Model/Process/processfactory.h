#pragma once

#include "Model/Process/process.h"

#include <QMap>
#include <QMutex>
#include <QString>
#include <memory>
#include <vector>

namespace Model {
namespace Process {

// The process-wide process catalogue, ordered by id, persisted in
// ~/Kelvane/processes.xml. Every public call holds the catalogue mutex.
class ProcessFactory
{
public:
    // Created on first use: loads and merges the built-ins, or resets; then always saves.
    static std::shared_ptr<ProcessFactory> instance();

    Process getProcess(int32_t id) const;
    std::vector<Process> getProcesses() const;
    bool setProcess(const Process &process);
    bool loadProcesses();
    bool saveProcesses() const;
    void resetToDefaults();
    void mergeDefaults();

    static std::vector<Process> builtInProcesses();
    static QString filePath();

    ProcessFactory(const ProcessFactory &) = delete;
    ProcessFactory &operator=(const ProcessFactory &) = delete;

private:
    ProcessFactory() = default;

    mutable QMutex mutex;
    QMap<int32_t, Process> processes;
};

} // namespace Process
} // namespace Model
