#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSemaphore>
#include <QString>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

class GLWidget;

// Runs process lists on a worker thread for the batch-run dialog. Every 500 ms, and as
// soon as a step ends, it reports how many steps have run, the step running, its time so
// far and an estimate of the time left; at the end it reports what the run did. Cancel
// stops the run after the step in progress, keeping the steps done. Steps that save an
// image have it drawn here, on the GUI thread, while the worker waits for the answer.
//
// Everything but run() of the runner happens on the GUI thread, and so do the signals but
// stepFinished().
class BatchRunController : public QObject
{
    Q_OBJECT
public:
    // `volume` is the volume the steps work on until a Create Substrate step makes one
    // (empty: none yet). `view` is redrawn after runs and saves the images of Save Image
    // steps; it may be null. `parent` also parents the message boxes of the runs.
    BatchRunController(Core::Operations::OperationContext &context, GLWidget *view,
                       const Model::Automaton::TotalVolumePtr &volume, QWidget *parent = nullptr);
    // During a run: stops after the step in progress, gives up any image the worker still
    // waits for, and waits for the worker.
    ~BatchRunController() override;

    // Starts a run of `steps`. Layouts named without a folder are looked for in
    // `listFolder`; when `documentFile` is not empty the document is written there after
    // a run in which a step ran. False, doing nothing, while a run still holds the runner.
    bool start(const Core::BatchRun::ProcessList &steps, const QString &listFolder, const QString &documentFile);
    // Stops the run going on after the step in progress.
    void cancel();
    // From start() until the end of the run has been reported.
    bool isRunning() const { return runLock.available() == 0; }
    // From start() until the worker is seen to have ended (false during the end's report).
    bool isGoing() const { return runGoing; }

    Model::Automaton::TotalVolumePtr getVolume() const { return runner.getVolume(); }
    // The runner the runs use (its step table may be extended).
    Core::BatchRun::ProcessListRunner &getRunner() { return runner; }

signals:
    // A step of the run ended with result 0 (sent from the worker thread): its 0-based
    // index in the list and its time.
    void stepFinished(int index, double seconds);
    // The number of steps done so far.
    void progressChanged(int steps);
    // During a run the progress line ("Step 2 of 5 (CVD) running for 1.2 s; about 6.0 s
    // left."), afterwards what the run did.
    void statusChanged(const QString &text);
    // Whether Cancel can still stop the run: true from its start until it is cancelled
    // or ends.
    void cancelAvailable(bool available);
    // The run has ended and its end has been reported; start() may be called again.
    void finished();

private:
    // Worker thread.
    void runProcessList(Core::BatchRun::ProcessList steps, QString documentFile);
    bool saveImageFromWorker(const QString &fileName);
    // GUI thread: serves the image the worker asked for in saveImageFromWorker().
    void serveImageRequest();
    // GUI thread, on the progress timer: reports progress, and the end once the worker
    // has released the run.
    void poll();
    // The new surfaces of the known volume and of every volume the run made, made on the
    // calling thread (the worker, so that the window goes on drawing meanwhile).
    using PreparedSurfaces =
        std::vector<std::pair<Model::Automaton::TotalVolumePtr, std::unique_ptr<Model::Automaton::TotalVolumePainter::Surfaces>>>;
    PreparedSurfaces prepareSurfaces() const;
    // Puts them in place, redraws, and saves the view under `filename` when it is not empty;
    // false with the reason in `error` when the image was not written.
    bool showSurfaces(PreparedSurfaces &prepared, const QString &filename, QString *error = nullptr);
    void joinWorker();
    // The progress line of the run going on, from the times of the steps done.
    QString progressLine() const;
    // What the run that ended did, in a sentence or two.
    static QString outcomeText(const Core::BatchRun::ProcessListRunner::Summary &summary,
                               const Core::BatchRun::ProcessList &steps, const QString &imageFailure);

    Core::Operations::OperationContext &context;
    GLWidget *view;
    QWidget *messageParent;
    Core::BatchRun::ProcessListRunner runner;
    // Held from the start of a run until the worker ends it; the GUI thread only ever
    // tries it, so a semaphore (which another thread may release) serves as the lock.
    QSemaphore runLock{1};
    QTimer progressTimer;
    // GUI thread: the steps of the run going on (the dialog's list may be edited
    // meanwhile), whether one goes on, and whether it was cancelled.
    Core::BatchRun::ProcessList runSteps;
    bool runGoing = false;
    bool cancelling = false;
    // Started before the worker; the worker reads it when a step ends.
    QElapsedTimer runClock;
    // Written by the worker when a step ends, read by the progress line.
    mutable std::mutex timingMutex;
    std::vector<double> finishedSeconds;
    qint64 lastStepEnd = 0; // ms on runClock
    std::thread worker;
    std::atomic<bool> closing{false};
    std::set<const Model::Object *> volumesBeforeRun;
    // Written by the worker before it releases runLock, read after taking it.
    QString runReport;
    PreparedSurfaces finalSurfaces;
    // The worker's request for an image, handed to the GUI thread and answered there.
    std::mutex imageRequestMutex;
    std::condition_variable imageRequestAnswered;
    QString imageRequestFile;
    PreparedSurfaces imageRequestSurfaces;
    bool imageRequestPending = false;
    bool imageRequestOk = false;
    QString imageRequestError;
    // Worker thread: why the last image of the run was not written.
    QString imageFailure;
};

} // namespace Ui
