#include "UI/BatchRun/runprocessesdialog.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/operationcontext.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/savefilechooser.h"

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
#include <algorithm>

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

} // namespace

template <class Action>
QPushButton *RunProcessesDialog::addButton(const char *objectName, const QString &text, Action action)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

RunProcessesDialog::RunProcessesDialog(Core::Operations::OperationContext &context, GLWidget *view,
                                       const Model::Automaton::TotalVolumePtr &volume, const QString &name,
                                       QWidget *parent)
    : QDialog(parent), context(context), controller(context, view, volume, this)
{
    setMinimumSize(767, 474);

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
    top->addWidget(addButton("btnAddProcess", QStringLiteral("Add Process"), &RunProcessesDialog::addProcess));

    auto *side = new QVBoxLayout;
    stepButtons = {addButton("btnModify", QStringLiteral("Modify"), &RunProcessesDialog::modifySelectedStep),
                   addButton("btnRemoveProcess", QStringLiteral("Remove Process"),
                             &RunProcessesDialog::removeSelectedStep),
                   addButton("btnMoveUp", QStringLiteral("Move Up"), &RunProcessesDialog::moveSelectedStepUp),
                   addButton("btnMoveDown", QStringLiteral("Move Down"), &RunProcessesDialog::moveSelectedStepDown),
                   addButton("btnMoveTo", QStringLiteral("Move To"), &RunProcessesDialog::moveSelectedStepTo)};
    for (QPushButton *button : stepButtons)
        side->addWidget(button);
    side->addStretch();
    side->addWidget(addButton("btnNewList", QStringLiteral("New List"), &RunProcessesDialog::newList));
    side->addWidget(addButton("btnLoadList", QStringLiteral("Load List"), &RunProcessesDialog::chooseAndLoadList));
    side->addWidget(addButton("btnSaveList", QStringLiteral("Save List"), &RunProcessesDialog::saveListToItsFile));
    side->addWidget(addButton("btnSaveListAs", QStringLiteral("Save List As ..."), &RunProcessesDialog::saveListAs));

    auto *middle = new QHBoxLayout;
    middle->addWidget(treeWidget, 1);
    middle->addLayout(side);

    auto *document = new QHBoxLayout;
    document->addWidget(new QLabel(QStringLiteral("After the run save the document to"), this));
    document->addWidget(documentPath, 1);
    document->addWidget(browse);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(progressBar, 1);
    runButton = addButton("btnRun", QStringLiteral("Run"), &RunProcessesDialog::run);
    bottom->addWidget(runButton);
    cancelButton = addButton("btnCancel", QStringLiteral("Cancel"), &RunProcessesDialog::cancel);
    cancelButton->setEnabled(false);
    cancelButton->setToolTip(QStringLiteral("Stops the run after the step in progress; the steps done stay."));
    bottom->addWidget(cancelButton);
    bottom->addWidget(addButton("btnClose", QStringLiteral("Close"), &RunProcessesDialog::close));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(document);
    layout->addWidget(status);
    layout->addLayout(bottom);

    // Never smaller than what the rows need, so that they cannot overlap.
    setMinimumSize(minimumSize().expandedTo(layout->minimumSize()));
    resize(920, 640);

    connect(treeWidget, &QTreeWidget::itemSelectionChanged, this, &RunProcessesDialog::selectionChanged);
    connect(treeWidget, &QTreeWidget::itemDoubleClicked, this, &RunProcessesDialog::stepDoubleClicked);
    connect(treeWidget, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { stepExpanded(item, true); });
    connect(treeWidget, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *item) { stepExpanded(item, false); });

    connect(&controller, &BatchRunController::stepFinished, this, &RunProcessesDialog::stepFinished);
    connect(&controller, &BatchRunController::progressChanged, progressBar, &QProgressBar::setValue);
    connect(&controller, &BatchRunController::statusChanged, status, &QLabel::setText);
    connect(&controller, &BatchRunController::cancelAvailable, cancelButton, &QPushButton::setEnabled);
    connect(&controller, &BatchRunController::finished, this, &RunProcessesDialog::runFinished);

    setFileName(QString());
    refreshTree();
    if (!name.isEmpty())
        loadList(name);
}

// During a run the controller, going first, stops after the current step and gives up any
// image its worker still waits for.
RunProcessesDialog::~RunProcessesDialog() = default;

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

void RunProcessesDialog::stepExpanded(QTreeWidgetItem *item, bool expanded)
{
    const int index = treeWidget->indexOfTopLevelItem(item);
    if (index >= 0)
        list[static_cast<size_t>(index)].setExpanded(expanded);
    if (!expanded)
        return;
    // The parameter rows just became visible: fit their columns.
    treeWidget->resizeColumnToContents(2);
    treeWidget->resizeColumnToContents(3);
}

// ---- editing ----

uint32_t RunProcessesDialog::knownVolumeHeight() const
{
    // A list that makes its own volume is not bound by the one known now.
    for (const ProcessData &step : list)
        if (step.getProcessType() == 11)
            return 0;
    const Model::Automaton::TotalVolumePtr volume = controller.getVolume();
    return volume ? volume->getSizeZ() : 0;
}

void RunProcessesDialog::addProcess()
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

void RunProcessesDialog::modifySelectedStep() { modifyStep(selectedStep()); }

void RunProcessesDialog::stepDoubleClicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    while (item->parent())
        item = item->parent();
    modifyStep(treeWidget->indexOfTopLevelItem(item));
}

void RunProcessesDialog::removeSelectedStep()
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

void RunProcessesDialog::moveSelectedStepUp()
{
    const int index = selectedStep();
    if (index > 0)
        moveStep(index, index - 1);
}

void RunProcessesDialog::moveSelectedStepDown()
{
    const int index = selectedStep();
    if (index >= 0 && index + 1 < static_cast<int>(list.size()))
        moveStep(index, index + 1);
}

void RunProcessesDialog::moveSelectedStepTo()
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

void RunProcessesDialog::newList()
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
        saveListToItsFile();
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

void RunProcessesDialog::chooseAndLoadList()
{
    const QString name = QFileDialog::getOpenFileName(this, fileCaption, QDir::homePath(), fileFilter);
    if (!name.isEmpty())
        loadList(name);
}

void RunProcessesDialog::saveListAs()
{
    const QString start = fileName.isEmpty() ? QDir::homePath() : fileName;
    const QString name = chooseSaveFile(this, fileCaption, start, fileFilter, QStringLiteral("plst"));
    if (!name.isEmpty() && saveList(name))
        setFileName(name);
}

void RunProcessesDialog::saveListToItsFile()
{
    if (fileName.isEmpty())
        saveListAs();
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
            controller.cancel();
            return;
        }
    }
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

void RunProcessesDialog::run()
{
    progressBar->setValue(0);
    progressBar->setEnabled(true);
    progressBar->setRange(0, std::max<int>(1, static_cast<int>(list.size())));
    // Layouts named without a folder are the list file's neighbours.
    const QString folder = fileName.isEmpty() ? QString() : QFileInfo(fileName).absolutePath();
    if (!controller.start(list, folder, documentPath->text().trimmed()))
        return;
    runButton->setEnabled(false);
    closeWhenStopped = false;
}

void RunProcessesDialog::cancel() { controller.cancel(); }

void RunProcessesDialog::runFinished()
{
    runButton->setEnabled(true);
    if (closeWhenStopped) {
        closeWhenStopped = false;
        done(QDialog::Rejected);
    }
}

} // namespace Ui
