#include "UI/BatchRun/batchruncontroller.h"

#include "Core/Operations/operationcontext.h"
#include "Model/Persistence/documentfile.h"
#include "UI/glwidget.h"
#include "Util/imagefile.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <map>

namespace Ui {

using namespace Core::BatchRun;

namespace {

// "0.4 s", "12.5 s", "3 min 7 s".
QString durationText(double seconds)
{
    if (seconds < 59.95)
        return QString::number(seconds, 'f', 1) + QStringLiteral(" s");
    const auto whole = static_cast<qint64>(seconds + 0.5);
    return QStringLiteral("%1 min %2 s").arg(whole / 60).arg(whole % 60);
}

std::set<const Model::Object *> volumesIn(const Model::Scene &scene)
{
    std::set<const Model::Object *> result;
    for (const Model::ObjectPtr &object : scene.objects())
        if (dynamic_cast<const Model::Automaton::TotalVolume *>(object.get()))
            result.insert(object.get());
    return result;
}

} // namespace

BatchRunController::BatchRunController(Core::Operations::OperationContext &context, GLWidget *view,
                                       const Model::Automaton::TotalVolumePtr &volume, QWidget *parent)
    : QObject(parent), context(context), view(view), messageParent(parent), runner(context)
{
    runner.setVolume(volume);
    runner.setImageSaver([this](const QString &file) { return saveImageFromWorker(file); });
    runner.setStepObserver([this](const ProcessListRunner::StepReport &report) {
        if (report.result != ProcessListRunner::Success)
            return;
        {
            std::lock_guard<std::mutex> lock(timingMutex);
            finishedSeconds.push_back(report.seconds);
            lastStepEnd = runClock.elapsed();
        }
        emit stepFinished(report.index, report.seconds);
    });

    progressTimer.setInterval(500);
    connect(&progressTimer, &QTimer::timeout, this, &BatchRunController::poll);
    // Queued from the worker: the line moves on to the next step at once.
    connect(this, &BatchRunController::stepFinished, this, [this] {
        if (runGoing)
            emit statusChanged(progressLine());
    });
}

BatchRunController::~BatchRunController()
{
    closing.store(true);
    runner.requestCancel();
    joinWorker();
}

bool BatchRunController::start(const ProcessList &steps, const QString &listFolder, const QString &documentFile)
{
    if (!runLock.tryAcquire())
        return false;
    joinWorker();
    runGoing = true;
    cancelling = false;
    runSteps = steps;
    {
        std::lock_guard<std::mutex> lock(timingMutex);
        finishedSeconds.clear();
        lastStepEnd = 0;
    }
    // A cancel that came after the last run had ended is not meant for this one.
    runner.clearCancel();
    runClock.start();
    emit cancelAvailable(true);
    emit statusChanged(progressLine());
    volumesBeforeRun = volumesIn(context.scene);
    runner.setListFolder(listFolder);
    progressTimer.start();
    worker = std::thread(&BatchRunController::runProcessList, this, steps, documentFile);
    return true;
}

void BatchRunController::cancel()
{
    if (!runGoing)
        return;
    runner.requestCancel();
    cancelling = true;
    emit cancelAvailable(false);
    emit statusChanged(progressLine());
}

// ---- the worker ----

QString BatchRunController::outcomeText(const ProcessListRunner::Summary &summary, const ProcessList &steps,
                                        const QString &imageFailure)
{
    const int total = static_cast<int>(steps.size());
    switch (summary.outcome) {
    case ProcessListRunner::Outcome::Completed:
        return total == 0   ? QStringLiteral("The list has no steps.")
               : total == 1 ? QStringLiteral("1 step ran.")
                            : QStringLiteral("All %1 steps ran.").arg(total);
    case ProcessListRunner::Outcome::StepFailed: {
        QString report = QStringLiteral("Stopped at step %1 (%2): %3")
                             .arg(summary.stoppedAt + 1)
                             .arg(steps[static_cast<size_t>(summary.stoppedAt)].getProcessName(),
                                  ProcessListRunner::resultMessage(summary.result));
        if (summary.result == ProcessListRunner::OutputFailed && !imageFailure.isEmpty())
            report += QLatin1Char(' ') + imageFailure;
        else if (!summary.reason.isEmpty())
            report += QStringLiteral(" The step says: %1.").arg(summary.reason);
        return report;
    }
    case ProcessListRunner::Outcome::MissingVolume:
        return QStringLiteral("Stopped at step %1: there is no cell volume.").arg(summary.stoppedAt + 1);
    case ProcessListRunner::Outcome::Cancelled: {
        const int ran = summary.stepsRun; // the steps before stoppedAt
        if (ran == 0)
            return QStringLiteral("Cancelled before step 1: no step ran.");
        QString report = QStringLiteral("Cancelled after step %1 (%2): %3 of %4 steps ran and stay applied;")
                             .arg(ran)
                             .arg(steps[static_cast<size_t>(ran - 1)].getProcessName())
                             .arg(ran)
                             .arg(total);
        const int left = total - ran;
        if (left == 1)
            report += QStringLiteral(" step %1 did not run.").arg(total);
        else
            report += (left == 2 ? QStringLiteral(" steps %1 and %2 did not run.")
                                 : QStringLiteral(" steps %1 to %2 did not run."))
                          .arg(ran + 1)
                          .arg(total);
        return report;
    }
    }
    return QString();
}

void BatchRunController::runProcessList(ProcessList steps, QString documentFile)
{
    imageFailure.clear();
    const ProcessListRunner::Summary summary = runner.run(steps);
    QString report = outcomeText(summary, steps, imageFailure);
    if (!documentFile.isEmpty() && summary.stepsRun > 0 && !closing.load()) {
        const auto saved = Model::Persistence::DocumentFile::save(context.scene, documentFile, context.archivers);
        report += QLatin1Char(' ') + (saved.ok() ? QStringLiteral("The document was saved to %1.").arg(documentFile)
                                                 : QStringLiteral("The document could not be saved to %1: %2")
                                                       .arg(documentFile, saved.detail));
    }
    runReport = report;
    if (!closing.load())
        finalSurfaces = prepareSurfaces();
    runLock.release();
}

// ---- the picture hand-shake ----

bool BatchRunController::saveImageFromWorker(const QString &file)
{
    if (closing.load())
        return false;
    // The request and its answer pass through imageRequestMutex, so that nothing the
    // two threads share relies on the event queue's ordering alone.
    PreparedSurfaces prepared = prepareSurfaces();
    std::unique_lock<std::mutex> lock(imageRequestMutex);
    imageRequestFile = file;
    imageRequestSurfaces = std::move(prepared);
    imageRequestOk = false;
    imageRequestError.clear();
    imageRequestPending = true;
    QMetaObject::invokeMethod(this, &BatchRunController::serveImageRequest, Qt::QueuedConnection);
    // The controller may be going away meanwhile (the call is then dropped with it).
    while (imageRequestPending) {
        if (closing.load()) {
            imageRequestPending = false;
            return false;
        }
        imageRequestAnswered.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (!imageRequestOk)
        imageFailure = QStringLiteral("The image %1 was not written: %2.").arg(file, imageRequestError);
    return imageRequestOk;
}

void BatchRunController::serveImageRequest()
{
    QString file;
    PreparedSurfaces prepared;
    {
        std::lock_guard<std::mutex> lock(imageRequestMutex);
        if (!imageRequestPending)
            return;
        file = imageRequestFile;
        std::swap(prepared, imageRequestSurfaces);
    }
    QString error;
    const bool ok = showSurfaces(prepared, file, &error);
    std::lock_guard<std::mutex> lock(imageRequestMutex);
    if (!imageRequestPending)
        return;
    imageRequestOk = ok;
    imageRequestError = error;
    imageRequestPending = false;
    imageRequestAnswered.notify_all();
}

BatchRunController::PreparedSurfaces BatchRunController::prepareSurfaces() const
{
    // The known volume, and every volume a Create Substrate step of the run made.
    PreparedSurfaces prepared;
    const Model::Automaton::TotalVolumePtr known = runner.getVolume();
    for (const Model::ObjectPtr &object : context.scene.objects()) {
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (volume && (volume == known || volumesBeforeRun.count(volume.get()) == 0))
            prepared.emplace_back(volume, volume->getPainter()->makeSurfaces());
    }
    return prepared;
}

bool BatchRunController::showSurfaces(PreparedSurfaces &prepared, const QString &filename, QString *error)
{
    for (auto &entry : prepared)
        entry.first->getPainter()->install(std::move(entry.second));
    prepared.clear();
    context.notifyUpdate();
    if (filename.isEmpty())
        return true;
    if (!view) {
        if (error)
            *error = QStringLiteral("there is no view to draw");
        return false;
    }
    return Util::saveImageFile(view->grabOpaqueImage(), filename, error);
}

// ---- progress and the end of a run ----

QString BatchRunController::progressLine() const
{
    std::vector<double> times;
    qint64 stepStart = 0;
    {
        std::lock_guard<std::mutex> lock(timingMutex);
        times = finishedSeconds;
        stepStart = lastStepEnd;
    }
    const size_t total = runSteps.size();
    if (times.size() >= total)
        return QStringLiteral("The last step has ended; finishing the run ...");
    const size_t current = times.size();
    const double elapsed = static_cast<double>(runClock.elapsed() - stepStart) / 1000.0;
    QString line = QStringLiteral("Step %1 of %2 (%3) running for %4")
                       .arg(current + 1)
                       .arg(total)
                       .arg(runSteps[current].getProcessName(), durationText(elapsed));
    if (cancelling)
        return line + QStringLiteral("; the run stops when this step ends.");
    if (times.empty())
        return line + QStringLiteral("; time left not known until the first step ends.");
    // A step takes what the steps of its type took so far, or the mean of all steps done.
    double sum = 0.0;
    std::map<int32_t, std::pair<double, int>> byType;
    for (size_t i = 0; i < times.size(); ++i) {
        sum += times[i];
        auto &entry = byType[runSteps[i].getProcessType()];
        entry.first += times[i];
        ++entry.second;
    }
    const auto estimate = [&](size_t i) {
        const auto it = byType.find(runSteps[i].getProcessType());
        return it != byType.end() ? it->second.first / it->second.second : sum / static_cast<double>(times.size());
    };
    double left = std::max(0.0, estimate(current) - elapsed);
    for (size_t i = current + 1; i < total; ++i)
        left += estimate(i);
    return line + QStringLiteral("; about %1 left.").arg(durationText(left));
}

void BatchRunController::poll()
{
    emit progressChanged(runner.progress());
    if (!runLock.tryAcquire()) {
        emit statusChanged(progressLine());
        return;
    }
    progressTimer.stop();
    runGoing = false;
    emit cancelAvailable(false);
    joinWorker();
    if (runner.getVolume()) {
        showSurfaces(finalSurfaces, QString());
    } else {
        QMessageBox::critical(messageParent, ProcessListRunner::missingVolumeTitle,
                              ProcessListRunner::missingVolumeText);
        runner.resetProgress();
    }
    emit progressChanged(runner.progress());
    emit statusChanged(runReport);
    runLock.release();
    emit finished();
}

void BatchRunController::joinWorker()
{
    if (worker.joinable())
        worker.join();
}

} // namespace Ui
