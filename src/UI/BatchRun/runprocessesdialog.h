#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/batchruncontroller.h"

#include <QDialog>
#include <QList>
#include <QString>

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
// volume through its BatchRunController, which runs the list on a worker thread while the
// dialog stays usable and reports the progress, shown here. Closing during a run asks
// whether to cancel it.
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
    Model::Automaton::TotalVolumePtr getVolume() const { return controller.getVolume(); }
    bool isRunning() const { return controller.isRunning(); }
    // The runner the dialog's runs use (its step table may be extended).
    Core::BatchRun::ProcessListRunner &getRunner() { return controller.getRunner(); }

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

    // What the buttons do.
    void addProcess();
    void modifySelectedStep();
    void removeSelectedStep();
    void moveSelectedStepUp();
    void moveSelectedStepDown();
    void moveSelectedStepTo();
    void newList();
    void chooseAndLoadList();
    void saveListToItsFile();
    void saveListAs();
    void run();
    // Stops the run after the step in progress.
    void cancel();

    // During a run asks whether to cancel it: yes cancels and closes once the step in
    // progress ends, no goes on. Clears the mask overlays of every volume.
    void done(int result) override;

signals:
    // A step of the run ended with result 0 (passed on from the controller's worker, and
    // sent on the GUI thread): its 0-based index in the list and its time.
    void stepFinished(int index, double seconds);

private:
    // A button that does `action` (a member function) when clicked.
    template <class Action>
    QPushButton *addButton(const char *objectName, const QString &text, Action action);
    void refreshTree();
    void selectionChanged();
    void selectStepKeepingView(int index);
    void stepDoubleClicked(QTreeWidgetItem *item);
    void stepExpanded(QTreeWidgetItem *item, bool expanded);
    bool loadList(const QString &name);
    bool saveList(const QString &name);
    void setFileName(const QString &name);
    void modifyStep(int index);
    void moveStep(int from, int to);
    uint32_t knownVolumeHeight() const;
    void chooseDocumentPath();
    // The controller's run has ended and been reported.
    void runFinished();

    Core::Operations::OperationContext &context;
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

    BatchRunController controller;
    // Set when a close during the run was answered with yes: the dialog closes when the
    // run stops.
    bool closeWhenStopped = false;
};

} // namespace Ui
