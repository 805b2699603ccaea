#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Core {
namespace BatchRun {

// Runs a process list step by step on one cell volume, without the interactive
// operation protocol. Each process type has a small handler in a table; a type with no
// handler yet gives result 4, a type outside the table 3.
//
// run() executes on whatever thread calls it (the batch dialog uses a worker task, the
// command-line runner its main thread). progress(), requestCancel() and getVolume() may
// be called from another thread meanwhile.
class ProcessListRunner
{
public:
    using StepHandler = std::function<int32_t(StepEnvironment &, const ProcessData &)>;

    // Step results.
    enum Result : int32_t {
        Success = 0,
        MissingParameter = 1,
        InvalidParameter = 2,
        UnknownProcess = 3,
        NotImplemented = 4,
        OutputFailed = 5, // the step's file (a Save Image picture) could not be written
    };

    enum class Outcome {
        Completed,     // every step ran
        StepFailed,    // a step returned a result other than 0
        MissingVolume, // a step other than Create Substrate came with no volume known
        Cancelled,     // requestCancel() stopped the run between two steps
    };

    struct Summary
    {
        Outcome outcome = Outcome::Completed;
        int stepsRun = 0;     // steps that finished with result 0
        int stoppedAt = -1;   // index of the step that failed or found no volume
        int32_t result = Success;
        QString reason; // why the failed step refused its values, when it said
    };

    // What the step observer hears after every step that ran.
    struct StepReport
    {
        int index = 0;
        int total = 0;
        QString processName;
        int32_t result = Success;
        double seconds = 0.0;
    };
    using StepObserver = std::function<void(const StepReport &)>;

    ProcessListRunner(Model::Scene &scene, std::map<int32_t, int32_t> &lastProcessByVolume,
                      std::map<int32_t, bool> &latticeStale);
    // Works on a main window's scene and its per-volume records.
    explicit ProcessListRunner(Core::Operations::OperationContext &context);

    // The volume the steps work on until a Create Substrate step makes a new one.
    void setVolume(const Model::Automaton::TotalVolumePtr &volume);
    Model::Automaton::TotalVolumePtr getVolume() const;

    void setImageSaver(StepEnvironment::ImageSaver saver);
    // The folder of the list being run, where steps find files named without a folder
    // (mask layouts). Set it before run() or checkStep(), not during a run.
    void setListFolder(const QString &folder) { environment.listFolder = folder; }
    QString getListFolder() const { return environment.listFolder; }
    void setStepObserver(StepObserver observer);

    // Installs the handler of one process type. `recordedNumber` is the operation number
    // recorded in lastProcessByVolume after the step succeeds; -1 records nothing.
    void registerStep(int32_t processType, StepHandler handler, int32_t recordedNumber = -1);
    bool hasHandler(int32_t processType) const;

    // runProcessList: the steps in order until one fails or needs a volume that is not
    // there. The progress counter counts the steps that succeeded.
    Summary run(const ProcessList &list);
    // One step on the known volume. `reason` receives why the step refused its values,
    // when it says (empty otherwise).
    int32_t runStep(const ProcessData &step, QString *reason = nullptr);

    // What checking a step without running it found: its result as a run would begin
    // it (0: the values are taken), the reason a value is refused, and the parameters
    // the step reads with the values it holds now.
    struct StepCheckResult
    {
        int32_t result = Success;
        QString rejection;
        QStringList parametersRead;
    };
    // Reads and checks the step's values as its handler does before it runs, changing
    // nothing: no volume, file or record is touched.
    StepCheckResult checkStep(const ProcessData &step) const;

    int progress() const { return progressCounter.load(); }
    // Resets the counter (the dialog does so when it reports a missing volume).
    void resetProgress() { progressCounter.store(0); }
    // Stops the run going on after the step in progress, or the next run before its
    // first step when none is going yet (a worker that has not reached run() misses no
    // cancel). run() drops the request when it returns; clearCancel() drops one that
    // came too late for the run it was meant for.
    void requestCancel() { cancelRequested.store(true); }
    void clearCancel() { cancelRequested.store(false); }
    bool isRunning() const { return running.load(); }

    static QString resultMessage(int32_t result);
    static const QString missingVolumeTitle; // "Missing Cell Volume"
    static const QString missingVolumeText;

private:
    struct Entry
    {
        StepHandler handler;
        int32_t recordedNumber = -1;
    };

    void registerBuiltInSteps();

    StepEnvironment environment;
    std::map<int32_t, Entry> handlers;
    StepObserver stepObserver;
    mutable std::mutex volumeMutex;
    std::atomic<int> progressCounter{0};
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> running{false};
};

} // namespace BatchRun
} // namespace Core
