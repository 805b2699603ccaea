#include "Core/BatchRun/processlistrunner.h"

#include "Core/BatchRun/createsubstratestep.h"
#include "Core/BatchRun/photolithographystep.h"
#include "Core/BatchRun/registeredstep.h"
#include "Core/BatchRun/randomwalkdopingstep.h"
#include "Core/BatchRun/saveimagestep.h"
#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/processregistry.h"

#include <QElapsedTimer>
#include <QtDebug>
#include <exception>
#include <mutex>
#include <new>

namespace Core {
namespace BatchRun {

const QString ProcessListRunner::missingVolumeTitle = QStringLiteral("Missing Cell Volume");
const QString ProcessListRunner::missingVolumeText = QStringLiteral(
    "No cell volume was selected and a cell volume was not created. The cell volume must be "
    "created before any other process.");

ProcessListRunner::ProcessListRunner(Model::Scene &scene,
                                     std::map<int32_t, int32_t> &lastProcessByVolume,
                                     std::map<int32_t, bool> &latticeStale)
    : environment(scene, lastProcessByVolume, latticeStale)
{
    registerBuiltInSteps();
}

ProcessListRunner::ProcessListRunner(Core::Operations::OperationContext &context)
    : ProcessListRunner(context.scene, context.lastProcessByVolume, context.latticeStale)
{
}

void ProcessListRunner::registerBuiltInSteps()
{
    // Every described process runs through its descriptor; the steps that are not a
    // process on a volume (or read their values their own way) have their own handler.
    for (const Processes::ProcessDescriptor &process : Processes::ProcessRegistry::instance().all()) {
        if (process.batchType < 0 || !process.generic || !process.run)
            continue;
        const Processes::ProcessDescriptor *described = &process;
        registerStep(
            process.batchType,
            [described](StepEnvironment &environment, const ProcessData &step) {
                return runDescribedStep(*described, environment, step);
            },
            process.batchRecordedNumber);
    }
    registerStep(10, &runSaveImageStep);
    registerStep(11, &runCreateSubstrateStep);
    registerStep(0, &runPhotolithographyStep, 20);
    registerStep(19, &runRandomWalkDopingStep, 36);
}

void ProcessListRunner::registerStep(int32_t processType, StepHandler handler, int32_t recordedNumber)
{
    if (handler)
        handlers[processType] = Entry{std::move(handler), recordedNumber};
    else
        handlers.erase(processType);
}

bool ProcessListRunner::hasHandler(int32_t processType) const
{
    return handlers.count(processType) != 0;
}

void ProcessListRunner::setVolume(const Model::Automaton::TotalVolumePtr &volume)
{
    std::lock_guard<std::mutex> lock(volumeMutex);
    environment.volume = volume;
}

Model::Automaton::TotalVolumePtr ProcessListRunner::getVolume() const
{
    std::lock_guard<std::mutex> lock(volumeMutex);
    return environment.volume;
}

void ProcessListRunner::setImageSaver(StepEnvironment::ImageSaver saver)
{
    environment.saveImage = std::move(saver);
}

void ProcessListRunner::setStepObserver(StepObserver observer)
{
    stepObserver = std::move(observer);
}

QString ProcessListRunner::resultMessage(int32_t result)
{
    switch (result) {
    case Success:
        return QStringLiteral("No error, process was run successfully.");
    case MissingParameter:
        return QStringLiteral("A required parameter was not found. Check input list.");
    case InvalidParameter:
        return QStringLiteral("Value for a required parameter is invalid. Check input list.");
    case NotImplemented:
        return QStringLiteral("Process is not implemented. Remove process from the list.");
    case OutputFailed:
        return QStringLiteral("The step's output could not be written.");
    default:
        return QStringLiteral("Unknown process. Remove process from the list.");
    }
}

int32_t ProcessListRunner::runStep(const ProcessData &step, QString *reason)
{
    const int32_t type = step.getProcessType();
    const auto it = handlers.find(type);
    if (it == handlers.end())
        return ProcessData::isKnownType(type) ? NotImplemented : UnknownProcess;

    // The handler may replace the known volume; it runs under no lock of ours, so take
    // a private copy of the environment's pointer and publish the result afterwards.
    StepEnvironment env(environment.scene, environment.lastProcessByVolume, environment.latticeStale);
    env.volume = getVolume();
    env.saveImage = environment.saveImage;
    env.listFolder = environment.listFolder;
    int32_t result = Success;
    QString caught;
    takeStepRejection();
    try {
        result = it->second.handler(env, step);
    } catch (const std::bad_alloc &) {
        caught = QStringLiteral("not enough memory");
        qWarning().noquote() << step.getProcessName() << ": not enough memory";
        result = InvalidParameter;
    } catch (const std::exception &e) {
        caught = QString::fromLocal8Bit(e.what());
        qWarning().noquote() << step.getProcessName() << ":" << e.what();
        result = InvalidParameter;
    }
    const QString rejection = caught.isEmpty() ? takeStepRejection() : caught;
    if (reason)
        *reason = result == Success ? QString() : rejection;
    setVolume(env.volume);
    if (result == Success && it->second.recordedNumber >= 0 && env.volume)
        environment.lastProcessByVolume[env.volume->getId()] = it->second.recordedNumber;
    return result;
}

ProcessListRunner::StepCheckResult ProcessListRunner::checkStep(const ProcessData &step) const
{
    StepCheckResult checked;
    const int32_t type = step.getProcessType();
    const auto it = handlers.find(type);
    if (it == handlers.end()) {
        checked.result = ProcessData::isKnownType(type) ? NotImplemented : UnknownProcess;
        return checked;
    }
    // The handlers return before they change anything; one that does not know about
    // checks would still only meet an empty one-cell volume of a scene of its own.
    Model::Scene scratchScene;
    std::map<int32_t, int32_t> scratchRecords;
    std::map<int32_t, bool> scratchStale;
    StepEnvironment env(scratchScene, scratchRecords, scratchStale);
    env.volume = std::make_shared<Model::Automaton::TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    env.listFolder = environment.listFolder;
    StepCheck check;
    try {
        checked.result = it->second.handler(env, step);
    } catch (const std::bad_alloc &) {
        checked.result = InvalidParameter;
        check.rejection = QStringLiteral("not enough memory");
    } catch (const std::exception &e) {
        checked.result = InvalidParameter;
        check.rejection = QString::fromLocal8Bit(e.what());
    }
    checked.rejection = check.rejection;
    checked.parametersRead = check.parametersRead;
    return checked;
}

ProcessListRunner::Summary ProcessListRunner::run(const ProcessList &list)
{
    running.store(true);
    progressCounter.store(0);
    Summary summary;
    const int total = static_cast<int>(list.size());
    for (int i = 0; i < total; ++i) {
        const ProcessData &step = list[static_cast<size_t>(i)];
        if (cancelRequested.load()) {
            summary.outcome = Outcome::Cancelled;
            summary.stoppedAt = i;
            break;
        }
        if (!getVolume() && step.getProcessType() != 11) {
            summary.outcome = Outcome::MissingVolume;
            summary.stoppedAt = i;
            break;
        }
        QElapsedTimer clock;
        clock.start();
        QString reason;
        const int32_t result = runStep(step, &reason);
        if (stepObserver)
            stepObserver(StepReport{i, total, step.getProcessName(), result,
                                    static_cast<double>(clock.nsecsElapsed()) * 1e-9});
        if (result != Success) {
            qInfo().noquote() << QStringLiteral("Could not run process ") + step.getProcessName() +
                                     QStringLiteral(" : ") + resultMessage(result);
            summary.outcome = Outcome::StepFailed;
            summary.stoppedAt = i;
            summary.result = result;
            summary.reason = reason;
            break;
        }
        ++progressCounter;
        ++summary.stepsRun;
    }
    cancelRequested.store(false);
    running.store(false);
    return summary;
}

} // namespace BatchRun
} // namespace Core
