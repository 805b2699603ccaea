#include "UI/BatchRun/runprocessesdialog.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Persistence/documentfile.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/glwidget.h"
#include "UI/savefilechooser.h"
#include "Util/imagefile.h"

#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtDebug>
#include <chrono>
#include <map>
#include <set>

namespace Ui {

using namespace Core::BatchRun;

const QString RunProcessesDialog::baseTitle = QStringLiteral("Batch Run");
const QString RunProcessesDialog::fileCaption = QStringLiteral("Process List File");
const QString RunProcessesDialog::fileFilter = QStringLiteral("Process List (*.plst)");

namespace {

// A square of the colour, as the tree shows a material next to its name.
QIcon colourIcon(const QColor &colour)
{
    QPixmap swatch(25, 25);
    swatch.fill(colour);
    return QIcon(swatch);
}

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

RunProcessesDialog::RunProcessesDialog(Core::Operations::OperationContext &context, GLWidget *view,
                                       const Model::Automaton::TotalVolumePtr &volume, const QString &name,
                                       QWidget *parent)
    : QDialog(parent), context(context), view(view), runner(context)
{
    setMinimumSize(767, 474);
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

    processTypeList = new QComboBox(this);
    processTypeList->setObjectName(QStringLiteral("processTypeList"));
    for (const auto &entry : processTypeEntries())
        processTypeList->addItem(entry.first, entry.second);

    treeWidget = new QTreeWidget(this);
    treeWidget->setObjectName(QStringLiteral("treeWidget"));
    treeWidget->setColumnCount(4);
    treeWidget->setHeaderLabels({QStringLiteral("Step"), QStringLiteral("Process"), QStringLiteral("Parameter"),
                                 QStringLiteral("Value")});
    treeWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    treeWidget->setMinimumSize(600, 400);
    treeWidget->setIconSize(QSize(25, 25));

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setEnabled(false);
    progressBar->setValue(0);

    documentPath = new QLineEdit(this);
    documentPath->setObjectName(QStringLiteral("documentPath"));
    documentPath->setPlaceholderText(QStringLiteral("not written"));
    documentPath->setToolTip(QStringLiteral("When set, the document is written to this file after every run."));
    auto *browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &RunProcessesDialog::chooseDocumentPath);
    status = new QLabel(this);
    status->setWordWrap(true);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Process"), this));
    top->addWidget(processTypeList, 1);
    top->addWidget(addButton("btnAddProcess", QStringLiteral("Add Process")));

    auto *side = new QVBoxLayout;
    stepButtons = {addButton("btnModify", QStringLiteral("Modify")),
                   addButton("btnRemoveProcess", QStringLiteral("Remove Process")),
                   addButton("btnMoveUp", QStringLiteral("Move Up")),
                   addButton("btnMoveDown", QStringLiteral("Move Down")),
                   addButton("btnMoveTo", QStringLiteral("Move To"))};
    for (QPushButton *button : stepButtons)
        side->addWidget(button);
    side->addStretch();
    side->addWidget(addButton("btnNewList", QStringLiteral("New List")));
    side->addWidget(addButton("btnLoadList", QStringLiteral("Load List")));
    side->addWidget(addButton("btnSaveList", QStringLiteral("Save List")));
    side->addWidget(addButton("btnSaveListAs", QStringLiteral("Save List As ...")));

    auto *middle = new QHBoxLayout;
    middle->addWidget(treeWidget, 1);
    middle->addLayout(side);

    auto *document = new QHBoxLayout;
    document->addWidget(new QLabel(QStringLiteral("After the run save the document to"), this));
    document->addWidget(documentPath, 1);
    document->addWidget(browse);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(progressBar, 1);
    runButton = addButton("btnRun", QStringLiteral("Run"));
    bottom->addWidget(runButton);
    cancelButton = addButton("btnCancel", QStringLiteral("Cancel"));
    cancelButton->setEnabled(false);
    cancelButton->setToolTip(QStringLiteral("Stops the run after the step in progress; the steps done stay."));
    bottom->addWidget(cancelButton);
    bottom->addWidget(addButton("btnClose", QStringLiteral("Close")));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(document);
    layout->addWidget(status);
    layout->addLayout(bottom);

    // Never smaller than what the rows need, so that they cannot overlap.
    setMinimumSize(minimumSize().expandedTo(layout->minimumSize()));
    resize(920, 640);

    progressTimer.setInterval(500);
    connect(&progressTimer, &QTimer::timeout, this, &RunProcessesDialog::updateProgress);
    // Queued from the worker: the line moves on to the next step at once.
    connect(this, &RunProcessesDialog::stepFinished, this, [this] {
        if (runGoing)
            status->setText(progressLine());
    });
    connect(treeWidget, &QTreeWidget::itemSelectionChanged, this, &RunProcessesDialog::selectionChanged);
    QMetaObject::connectSlotsByName(this);

    setFileName(QString());
    refreshTree();
    if (!name.isEmpty())
        loadList(name);
}

RunProcessesDialog::~RunProcessesDialog()
{
    // Only reached during a run when the program itself goes away: stop after the
    // current step and give up any image the worker still waits for.
    closing.store(true);
    runner.requestCancel();
    joinWorker();
}

QPushButton *RunProcessesDialog::addButton(const char *objectName, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

void RunProcessesDialog::setFileName(const QString &name)
{
    fileName = name;
    setWindowTitle(name.isEmpty() ? baseTitle : baseTitle + QLatin1Char(' ') + name);
}

// ---- the tree ----

void RunProcessesDialog::refreshTree()
{
    const QSignalBlocker blocker(treeWidget);
    treeWidget->clear();
    for (size_t i = 0; i < list.size(); ++i) {
        const ProcessData &step = list[i];
        auto *item = new QTreeWidgetItem(treeWidget);
        item->setText(0, QString::number(i + 1));
        item->setText(1, step.getProcessName());
        const QMap<QString, QVariant> &parameters = step.getParameters();
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
            if (!step.getVisibility().value(it.key(), false))
                continue;
            auto *child = new QTreeWidgetItem(item);
            child->setText(2, it.key());
            child->setText(3, ProcessListFile::dataText(it.value()));
            const QVariant colour = parameters.value(it.key() + QStringLiteral("_Color"));
            if (colour.canConvert<QColor>() && colour.value<QColor>().isValid())
                child->setIcon(3, colourIcon(colour.value<QColor>()));
        }
    }
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].isExpanded())
            treeWidget->topLevelItem(static_cast<int>(i))->setExpanded(true);
    for (int c = 0; c < treeWidget->columnCount(); ++c)
        treeWidget->resizeColumnToContents(c);
    selectionChanged();
}

void RunProcessesDialog::selectStep(int index)
{
    if (index >= 0 && index < treeWidget->topLevelItemCount())
        treeWidget->setCurrentItem(treeWidget->topLevelItem(index));
}

void RunProcessesDialog::selectStepKeepingView(int index)
{
    selectStep(index);
    if (QTreeWidgetItem *item = treeWidget->currentItem())
        treeWidget->scrollToItem(item);
}

int RunProcessesDialog::selectedStep() const
{
    QTreeWidgetItem *item = treeWidget->currentItem();
    if (!item || !item->isSelected())
        return -1;
    while (item->parent())
        item = item->parent();
    return treeWidget->indexOfTopLevelItem(item);
}

void RunProcessesDialog::selectionChanged()
{
    const bool haveStep = selectedStep() >= 0;
    for (QPushButton *button : stepButtons)
        button->setEnabled(haveStep);
}

void RunProcessesDialog::on_treeWidget_itemExpanded(QTreeWidgetItem *item)
{
    const int index = treeWidget->indexOfTopLevelItem(item);
    if (index >= 0)
        list[static_cast<size_t>(index)].setExpanded(true);
    // The parameter rows just became visible: fit their columns.
    treeWidget->resizeColumnToContents(2);
    treeWidget->resizeColumnToContents(3);
}

void RunProcessesDialog::on_treeWidget_itemCollapsed(QTreeWidgetItem *item)
{
    const int index = treeWidget->indexOfTopLevelItem(item);
    if (index >= 0)
        list[static_cast<size_t>(index)].setExpanded(false);
}

// ---- editing ----

uint32_t RunProcessesDialog::knownVolumeHeight() const
{
    // A list that makes its own volume is not bound by the one known now.
    for (const ProcessData &step : list)
        if (step.getProcessType() == 11)
            return 0;
    const Model::Automaton::TotalVolumePtr volume = runner.getVolume();
    return volume ? volume->getSizeZ() : 0;
}

void RunProcessesDialog::on_btnAddProcess_clicked()
{
    const int32_t type = processTypeList->currentData().toInt();
    const std::unique_ptr<StepEditor> editor = StepEditor::create(type, this, knownVolumeHeight());
    if (!editor || editor->dialog()->exec() != QDialog::Accepted)
        return;
    ProcessData step(type);
    editor->write(step);
    list.push_back(step);
    refreshTree();
    selectStepKeepingView(static_cast<int>(list.size()) - 1);
}

void RunProcessesDialog::modifyStep(int index)
{
    if (index < 0 || index >= static_cast<int>(list.size()))
        return;
    ProcessData &step = list[static_cast<size_t>(index)];
    const std::unique_ptr<StepEditor> editor = StepEditor::create(step.getProcessType(), this, knownVolumeHeight());
    if (!editor)
        return;
    editor->preset(step.getParameters());
    if (editor->dialog()->exec() != QDialog::Accepted)
        return;
    ProcessData edited(step.getProcessType());
    editor->write(edited);
    // The dialog's values replace the step's (a value of another choice, such as the
    // block sizes of a substrate now made a ball, goes); each keeps whether it is shown.
    QMap<QString, bool> visibility = edited.getVisibility();
    for (auto it = visibility.begin(); it != visibility.end(); ++it)
        if (step.hasParameter(it.key()))
            it.value() = step.getVisibility().value(it.key());
    step.setParameters(edited.getParameters(), visibility);
    refreshTree();
    selectStep(index);
}

void RunProcessesDialog::on_btnModify_clicked() { modifyStep(selectedStep()); }

void RunProcessesDialog::on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int)
{
    if (!item)
        return;
    while (item->parent())
        item = item->parent();
    modifyStep(treeWidget->indexOfTopLevelItem(item));
}

void RunProcessesDialog::on_btnRemoveProcess_clicked()
{
    const int index = selectedStep();
    if (index < 0)
        return;
    list.erase(list.begin() + index);
    refreshTree();
    selectStep(std::min(index, static_cast<int>(list.size()) - 1));
}

void RunProcessesDialog::moveStep(int from, int to)
{
    ProcessData step = list[static_cast<size_t>(from)];
    list.erase(list.begin() + from);
    list.insert(list.begin() + to, step);
    refreshTree();
    selectStepKeepingView(to);
}

void RunProcessesDialog::on_btnMoveUp_clicked()
{
    const int index = selectedStep();
    if (index > 0)
        moveStep(index, index - 1);
}

void RunProcessesDialog::on_btnMoveDown_clicked()
{
    const int index = selectedStep();
    if (index >= 0 && index + 1 < static_cast<int>(list.size()))
        moveStep(index, index + 1);
}

void RunProcessesDialog::on_btnMoveTo_clicked()
{
    const int index = selectedStep();
    if (index < 0)
        return;
    UtilDialog::MoveTo dialog(this);
    for (size_t i = 0; i < list.size(); ++i)
        if (static_cast<int>(i) != index)
            dialog.addTarget(QString::number(i + 1) + QLatin1Char(' ') + list[i].getProcessName(), list[i].getId());
    if (dialog.exec() != QDialog::Accepted || !dialog.target().isValid())
        return;
    const int32_t targetId = dialog.target().toInt();
    const ProcessData moved = list[static_cast<size_t>(index)];
    list.erase(list.begin() + index);
    auto target = std::find_if(list.begin(), list.end(), [&](const ProcessData &s) { return s.getId() == targetId; });
    if (target == list.end()) {
        list.insert(list.begin() + index, moved);
        return;
    }
    if (dialog.after())
        ++target;
    const int position = static_cast<int>(target - list.begin());
    list.insert(target, moved);
    refreshTree();
    selectStepKeepingView(position);
}

// ---- files ----

void RunProcessesDialog::on_btnNewList_clicked()
{
    if (list.empty())
        return;
    QMessageBox box(this);
    box.setText(QStringLiteral("Creating a new process list."));
    box.setInformativeText(QStringLiteral("You will lose any unsaved changes, do you wish to continue?"));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        on_btnSaveList_clicked();
        // A list that did not reach a file is kept.
        if (fileName.isEmpty())
            return;
        break;
    case QMessageBox::Discard:
        break;
    case QMessageBox::Cancel:
        return;
    default:
        qDebug() << "Run process create new list message box returned unexpected value.";
        return;
    }
    list.clear();
    refreshTree();
    setFileName(QString());
}

bool RunProcessesDialog::loadList(const QString &name)
{
    ProcessList loaded;
    QString error;
    const auto conflicts = std::make_shared<Observers::MaterialConflictObserver>(this);
    if (!ProcessListFile::load(name, loaded, conflicts, &error)) {
        QMessageBox::warning(this, fileCaption,
                             QStringLiteral("The process list %1 could not be read: %2").arg(name, error));
        return false;
    }
    list = std::move(loaded);
    refreshTree();
    setFileName(name);
    return true;
}

bool RunProcessesDialog::saveList(const QString &name)
{
    QString error;
    if (!ProcessListFile::save(name, list, &error)) {
        QMessageBox::warning(this, fileCaption,
                             QStringLiteral("The process list could not be saved to %1: %2").arg(name, error));
        return false;
    }
    return true;
}

void RunProcessesDialog::on_btnLoadList_clicked()
{
    const QString name = QFileDialog::getOpenFileName(this, fileCaption, QDir::homePath(), fileFilter);
    if (!name.isEmpty())
        loadList(name);
}

void RunProcessesDialog::on_btnSaveListAs_clicked()
{
    const QString start = fileName.isEmpty() ? QDir::homePath() : fileName;
    const QString name = chooseSaveFile(this, fileCaption, start, fileFilter, QStringLiteral("plst"));
    if (!name.isEmpty() && saveList(name))
        setFileName(name);
}

void RunProcessesDialog::on_btnSaveList_clicked()
{
    if (fileName.isEmpty())
        on_btnSaveListAs_clicked();
    else
        saveList(fileName);
}

void RunProcessesDialog::chooseDocumentPath()
{
    const QString start = documentPath->text().isEmpty() ? QDir::homePath() : documentPath->text();
    const QString name = chooseSaveFile(this, QStringLiteral("Document after the run"), start,
                                        QStringLiteral("Kelvane document (*.mem)"), QStringLiteral("mem"));
    if (!name.isEmpty())
        documentPath->setText(name);
}

// ---- closing ----

void RunProcessesDialog::on_btnClose_clicked() { close(); }

void RunProcessesDialog::done(int result)
{
    if (isRunning()) {
        // Asked once; after a yes the dialog closes by itself when the run stops.
        if (closeWhenStopped)
            return;
        const auto answer = QMessageBox::question(
            this, baseTitle,
            QStringLiteral("A process list is running. Cancel the run when the step in progress ends, and close?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        // The run may have ended while the question was open.
        if (isRunning()) {
            closeWhenStopped = true;
            cancelRun();
            return;
        }
    }
    joinWorker();
    for (const Model::ObjectPtr &object : context.scene.objects()) {
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume || (volume->getTopMask().empty() && volume->getBottomMask().empty()))
            continue;
        volume->setTopMask({}, 0, 0);
        volume->setBottomMask({}, 0, 0);
        volume->getPainter()->regenerate();
    }
    context.notifyUpdate();
    QDialog::done(result);
}

// ---- the run ----

void RunProcessesDialog::on_btnRun_clicked()
{
    progressBar->setValue(0);
    progressBar->setEnabled(true);
    progressBar->setRange(0, std::max<int>(1, static_cast<int>(list.size())));
    if (!runLock.tryAcquire())
        return;
    joinWorker();
    runButton->setEnabled(false);
    cancelButton->setEnabled(true);
    runGoing = true;
    cancelling = false;
    closeWhenStopped = false;
    runSteps = list;
    {
        std::lock_guard<std::mutex> lock(timingMutex);
        finishedSeconds.clear();
        lastStepEnd = 0;
    }
    // A cancel that came after the last run had ended is not meant for this one.
    runner.clearCancel();
    runClock.start();
    status->setText(progressLine());
    volumesBeforeRun = volumesIn(context.scene);
    // Layouts named without a folder are the list file's neighbours.
    runner.setListFolder(fileName.isEmpty() ? QString() : QFileInfo(fileName).absolutePath());
    progressTimer.start();
    worker = std::thread(&RunProcessesDialog::runProcessList, this, list, documentPath->text().trimmed());
}

void RunProcessesDialog::runProcessList(ProcessList steps, QString documentFile)
{
    imageFailure.clear();
    const ProcessListRunner::Summary summary = runner.run(steps);
    const int total = static_cast<int>(steps.size());
    QString report;
    switch (summary.outcome) {
    case ProcessListRunner::Outcome::Completed:
        report = total == 0   ? QStringLiteral("The list has no steps.")
                 : total == 1 ? QStringLiteral("1 step ran.")
                              : QStringLiteral("All %1 steps ran.").arg(total);
        break;
    case ProcessListRunner::Outcome::StepFailed:
        report = QStringLiteral("Stopped at step %1 (%2): %3")
                     .arg(summary.stoppedAt + 1)
                     .arg(steps[static_cast<size_t>(summary.stoppedAt)].getProcessName(),
                          ProcessListRunner::resultMessage(summary.result));
        if (summary.result == ProcessListRunner::OutputFailed && !imageFailure.isEmpty())
            report += QLatin1Char(' ') + imageFailure;
        else if (!summary.reason.isEmpty())
            report += QStringLiteral(" The step says: %1.").arg(summary.reason);
        break;
    case ProcessListRunner::Outcome::MissingVolume:
        report = QStringLiteral("Stopped at step %1: there is no cell volume.").arg(summary.stoppedAt + 1);
        break;
    case ProcessListRunner::Outcome::Cancelled: {
        const int ran = summary.stepsRun; // the steps before stoppedAt
        if (ran == 0) {
            report = QStringLiteral("Cancelled before step 1: no step ran.");
            break;
        }
        report = QStringLiteral("Cancelled after step %1 (%2): %3 of %4 steps ran and stay applied;")
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
        break;
    }
    }
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

bool RunProcessesDialog::saveImageFromWorker(const QString &file)
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
    QMetaObject::invokeMethod(this, "serveImageRequest", Qt::QueuedConnection);
    // The dialog may be closing meanwhile (the call is then dropped with it).
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

void RunProcessesDialog::serveImageRequest()
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

bool RunProcessesDialog::updateGeometry(QString filename)
{
    PreparedSurfaces prepared = prepareSurfaces();
    return showSurfaces(prepared, filename);
}

RunProcessesDialog::PreparedSurfaces RunProcessesDialog::prepareSurfaces() const
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

bool RunProcessesDialog::showSurfaces(PreparedSurfaces &prepared, const QString &filename, QString *error)
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

void RunProcessesDialog::on_btnCancel_clicked()
{
    if (runGoing)
        cancelRun();
}

void RunProcessesDialog::cancelRun()
{
    runner.requestCancel();
    cancelling = true;
    cancelButton->setEnabled(false);
    status->setText(progressLine());
}

QString RunProcessesDialog::progressLine() const
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

void RunProcessesDialog::updateProgress()
{
    progressBar->setValue(runner.progress());
    if (!runLock.tryAcquire()) {
        status->setText(progressLine());
        return;
    }
    progressTimer.stop();
    runGoing = false;
    cancelButton->setEnabled(false);
    joinWorker();
    if (runner.getVolume()) {
        showSurfaces(finalSurfaces, QString());
    } else {
        QMessageBox::critical(this, ProcessListRunner::missingVolumeTitle, ProcessListRunner::missingVolumeText);
        runner.resetProgress();
    }
    progressBar->setValue(runner.progress());
    status->setText(runReport);
    runButton->setEnabled(true);
    runLock.release();
    if (closeWhenStopped) {
        closeWhenStopped = false;
        done(QDialog::Rejected);
    }
}

void RunProcessesDialog::joinWorker()
{
    if (worker.joinable())
        worker.join();
}

} // namespace Ui
