#pragma once

#include "Model/Process/process.h"

#include <QMap>
#include <QString>
#include <memory>
#include <mutex>
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
    // Writes through a temporary file, so a failed save leaves the previous file as it
    // was; on failure `error` (when given) receives the reason, for the user.
    bool saveProcesses(QString *error = nullptr) const;
    void resetToDefaults();
    void mergeDefaults();

    // The start-up sequence that instance() runs once: the catalogue is emptied, then
    // loadProcesses(); on success mergeDefaults(), otherwise resetToDefaults(); then
    // saveProcesses() in both cases. Public so that tests can run it against a chosen home.
    void startUp();

    static std::vector<Process> builtInProcesses();
    static QString filePath();
    // "CompatibleMaterials" text: split at ';', empty and non-numeric parts skipped.
    static std::vector<uint32_t> parseCompatibleMaterials(const QString &text);
    // The ids in list order, decimal, joined by ';' (empty list: empty text).
    static QString compatibleMaterialsText(const std::vector<uint32_t> &ids);

    ProcessFactory(const ProcessFactory &) = delete;
    ProcessFactory &operator=(const ProcessFactory &) = delete;

private:
    ProcessFactory() = default;
    // For callers that already hold the mutex (it is not recursive).
    bool setProcessUnlocked(const Process &process);

    mutable std::mutex mutex;
    QMap<int32_t, Process> processes;
};

} // namespace Process
} // namespace Model
