#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"

#include <QDialog>
#include <QElapsedTimer>
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

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

class GLWidget;

// The batch-run dialog: writes, loads and saves process lists, and runs one on a cell
// volume. The run goes on a worker thread while the dialog stays usable; every 500 ms
// the dialog shows how many steps have run, the step running, its time so far and an
// estimate of the time left. Cancel stops the run after the step in progress, keeping
// the steps done; closing during a run asks whether to cancel it. Steps that save an
// image are done here, on the GUI thread, while the worker waits.
class RunProcessesDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString baseTitle; // "Batch Run"
    static const QString fileCaption;
    static const QString fileFilter;

    // `volume` is the volume the steps work on until a Create Substrate step makes one
    // (empty: none yet). With a file name the dialog loads that list. `view` is
    // redrawn after runs and saves the images of Save Image steps; it may be null.
    RunProcessesDialog(Core::Operations::OperationContext &context, GLWidget *view,
                       const Model::Automaton::TotalVolumePtr &volume, const QString &fileName = QString(),
                       QWidget *parent = nullptr);
    ~RunProcessesDialog() override;

    const Core::BatchRun::ProcessList &getList() const { return list; }
    QString getFileName() const { return fileName; }
    Model::Automaton::TotalVolumePtr getVolume() const { return runner.getVolume(); }
    bool isRunning() const { return runLock.available() == 0; }
    // The runner the dialog's runs use (its step table may be extended).
    Core::BatchRun::ProcessListRunner &getRunner() { return runner; }

    QTreeWidget *tree() const { return treeWidget; }
    QComboBox *processTypes() const { return processTypeList; }
    QProgressBar *progress() const { return progressBar; }
    QLineEdit *documentPathEdit() const { return documentPath; }
    // During a run the progress line ("Step 2 of 5 (CVD) running for 1.2 s; about 6.0 s
    // left."), afterwards what the run did.
    QLabel *statusLabel() const { return status; }
    // Selects the tree item of the step at `index` (0-based).
    void selectStep(int index);
    // The step of the current item, or -1.
    int selectedStep() const;

public slots:
    void on_btnClose_clicked();
    void on_btnNewList_clicked();
    void on_btnLoadList_clicked();
    void on_btnSaveList_clicked();
    void on_btnSaveListAs_clicked();
    void on_btnAddProcess_clicked();
    void on_btnRemoveProcess_clicked();
    void on_btnModify_clicked();
    void on_btnMoveUp_clicked();
    void on_btnMoveDown_clicked();
    void on_btnMoveTo_clicked();
    void on_btnRun_clicked();
    // Stops the run after the step in progress.
    void on_btnCancel_clicked();
    void on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int column);
    void on_treeWidget_itemExpanded(QTreeWidgetItem *item);
    void on_treeWidget_itemCollapsed(QTreeWidgetItem *item);
    void selectionChanged();
    void updateProgress();
    // Regenerates the surfaces of the known volume and of every volume the run made,
    // redraws, and saves the view under `filename` when it is not empty. False when the
    // image could not be written.
    bool updateGeometry(QString filename);

    // During a run asks whether to cancel it: yes cancels and closes once the step in
    // progress ends, no goes on. Clears the mask overlays of every volume.
    void done(int result) override;

signals:
    // A step of the run ended with result 0 (sent from the worker thread): its 0-based
    // index in the list and its time.
    void stepFinished(int index, double seconds);

private slots:
    // GUI thread: serves the image the worker asked for in saveImageFromWorker().
    void serveImageRequest();

private:
    QPushButton *addButton(const char *objectName, const QString &text);
    void refreshTree();
    void selectStepKeepingView(int index);
    bool loadList(const QString &name);
    bool saveList(const QString &name);
    void setFileName(const QString &name);
    void modifyStep(int index);
    void moveStep(int from, int to);
    uint32_t knownVolumeHeight() const;
    void chooseDocumentPath();
    // Worker thread.
    void runProcessList(Core::BatchRun::ProcessList steps, QString documentFile);
    bool saveImageFromWorker(const QString &fileName);
    // The new surfaces of the volumes updateGeometry() shows, made on the calling thread
    // (the worker, so that the window goes on drawing meanwhile).
    using PreparedSurfaces =
        std::vector<std::pair<Model::Automaton::TotalVolumePtr, std::unique_ptr<Model::Automaton::TotalVolumePainter::Surfaces>>>;
    PreparedSurfaces prepareSurfaces() const;
    // Puts them in place, redraws, and saves the view under `filename` when it is not empty;
    // false with the reason in `error` when the image was not written.
    bool showSurfaces(PreparedSurfaces &prepared, const QString &filename, QString *error = nullptr);
    void joinWorker();
    void cancelRun();
    // The progress line of the run going on, from the times of the steps done.
    QString progressLine() const;

    Core::Operations::OperationContext &context;
    GLWidget *view;
    Core::BatchRun::ProcessList list;
    QString fileName;

    QTreeWidget *treeWidget;
    QComboBox *processTypeList;
    QProgressBar *progressBar;
    QLineEdit *documentPath;
    QLabel *status;
    QPushButton *runButton;
    QPushButton *cancelButton;
    QList<QPushButton *> stepButtons;

    Core::BatchRun::ProcessListRunner runner;
    // Held from the start of a run until the worker ends it; the GUI thread only ever
    // tries it, so a semaphore (which another thread may release) serves as the lock.
    QSemaphore runLock{1};
    QTimer progressTimer;
    // GUI thread: the steps of the run going on (the list may be edited meanwhile),
    // whether one goes on, was cancelled, and whether the dialog closes when it stops.
    Core::BatchRun::ProcessList runSteps;
    bool runGoing = false;
    bool cancelling = false;
    bool closeWhenStopped = false;
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
