#include "UI/mainwindow.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Catalogue/editcompatiblematerialsdialog.h"
#include "UI/Console/commandconsole.h"
#include "UI/Catalogue/managematerialsdialog.h"
#include "UI/Observers/selectionmodeobserver.h"
#include "UI/aboutdialog.h"
#include "UI/colorsdialog.h"
#include "UI/crosssectionsaver.h"
#include "UI/export3dcommand.h"
#include "UI/glwidget.h"
#include "UI/operationmapper.h"
#include "UI/savefilechooser.h"
#include "UI/windowstack.h"
#include "Util/colorsettings.h"
#include "Util/imagefile.h"
#include "Util/startupnotices.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <iterator>

namespace Ui {

const QString MainWindow::startUpNoticeTitle = QStringLiteral("Catalogue replaced");

namespace {
constexpr int statusTimeout = 5000;

QString number(double v) { return QString::number(v, 'g', 6); }
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), presenter(this), lastImagePath(QDir::homePath())
{
    operationMapper = new OperationMapper(this);
    viewMapper = new OperationMapper(this);
    enterShortcut = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    returnShortcut = new QShortcut(QKeySequence(Qt::Key_Return), this);
    escapeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);

    form.setupUi(this);

    auto &context = presenter.getContext();
    glView = new GLWidget(context, this, this);
    setCentralWidget(glView);
    form.centralwidget = glView;
    glView->setRotation(-60, 0, 30);

    // The view registers its own update observer with the context.

    for (const MainWindowForm::Entry &e : MainWindowForm::entries()) {
        QAction *a = form.action(QString::fromLatin1(e.name));
        if (e.operation >= 0)
            operationMapper->registerAction(a, QString::number(e.operation));
        if (e.view)
            viewMapper->registerAction(a, QString::fromLatin1(e.view));
    }
    connect(operationMapper, &OperationMapper::activated, &presenter, &MainWindowPresenter::operationActivated);
    connect(viewMapper, &OperationMapper::activated, this, &MainWindow::setView);

    connect(enterShortcut, &QShortcut::activated, &presenter, &MainWindowPresenter::enterPressed);
    connect(returnShortcut, &QShortcut::activated, &presenter, &MainWindowPresenter::enterPressed);
    connect(escapeShortcut, &QShortcut::activated, &presenter, &MainWindowPresenter::cancelPressed);

    selectionModeObserver = std::make_shared<Observers::SelectionModeObserver>(form.action("actionSelect"), context);
    context.addSelectionModeObserver(selectionModeObserver);

    setAttribute(Qt::WA_DeleteOnClose);

    connect(glView, &GLWidget::axisPositionChanged, this, &MainWindow::changeAxisPositionValue_staturBar);
    connect(glView, &GLWidget::viewPositionChanged, this, &MainWindow::changeViewPostionValue_statusBar);
    connect(glView, &GLWidget::rotationChanged, this, &MainWindow::changeRotationValue_statusBar);
    connect(glView, &GLWidget::zoomChanged, this, &MainWindow::changeZoomValue_statusBar);
    connect(glView, &GLWidget::lampPositionChanged, this, &MainWindow::changeLampPosition_statusBar);

    connect(&presenter, &MainWindowPresenter::undoLabelChanged, this, [this](const QString &text, bool enabled) {
        form.action("actionUndo")->setText(text);
        form.action("actionUndo")->setEnabled(enabled);
    });
    connect(&presenter, &MainWindowPresenter::redoLabelChanged, this, [this](const QString &text, bool enabled) {
        form.action("actionRedo")->setText(text);
        form.action("actionRedo")->setEnabled(enabled);
    });

    connectActions();
    connect(form.action("actionFit_View"), &QAction::triggered, glView, &GLWidget::fitView);
    // Windows > Console follows the console window, also when its own title bar closes it.
    if (auto *console = presenter.getConsole())
        connect(console, &Console::CommandConsole::shownChanged, form.action("actionConsole"), &QAction::setChecked);
    showStepActivity();

    // What went wrong before any window existed is told once the window is up.
    QTimer::singleShot(0, this, &MainWindow::showStartUpNotices);
}

MainWindow::~MainWindow() = default;

void MainWindow::showStartUpNotices()
{
    const QStringList notices = Util::takeStartUpNotices();
    if (!notices.isEmpty())
        QMessageBox::warning(this, startUpNoticeTitle, notices.join(QStringLiteral("\n\n")));
}

void MainWindow::connectActions()
{
    auto on = [this](const char *name, auto slot) { connect(form.action(name), &QAction::triggered, this, slot); };
    auto toggled = [this](const char *name, auto slot) { connect(form.action(name), &QAction::toggled, this, slot); };

    on("actionNew", &MainWindow::on_actionNew_triggered);
    on("actionNew_Process_List", &MainWindow::on_actionNew_Process_List_triggered);
    on("actionOpen_Process_List", &MainWindow::on_actionOpen_Process_List_triggered);
    on("actionSave_Image", [this] { saveImage(); });
    on("actionSave_Cross_Section", &MainWindow::saveCrossSection);
    on("actionExport_3D", &MainWindow::export3D);
    on("actionExit", &MainWindow::close);
    on("actionUndo", &MainWindow::undoOperation);
    on("actionRedo", &MainWindow::redoOperation);
    toggled("actionSelect", &MainWindow::selectionToggled);
    toggled("actionGrid", &MainWindow::renderGridToggled);
    toggled("actionSnap_to_Grid", &MainWindow::snapToGridToggled);
    on("actionGrid_Spacing", &MainWindow::changeGridSpacing);
    toggled("actionRender_Objects", &MainWindow::renderObjectsToggled);
    toggled("actionLighting", &MainWindow::lightingToggled);
    toggled("actionRender_Object_Edges", &MainWindow::renderObjectEdgesToggled);
    on("actionConfigure_Window_Colors", &MainWindow::changeWindowColors);
    toggled("actionShow_Axis", &MainWindow::on_actionShow_Axis_toggled);
    toggled("actionShow_Lights", &MainWindow::on_actionShow_Lights_toggled);
    on("actionSet_View", &MainWindow::on_actionSet_View_triggered);
    on("actionSet_Lighting", &MainWindow::on_actionSet_Lighting_triggered);
    on("actionConsole", &MainWindow::chooseConsole);
    on("actionAbout_Kelvane", &MainWindow::showAboutInfo);
    on("actionManage_Materials", &MainWindow::on_actionManage_Materials_triggered);
    on("actionManage_Compatible_Materials", &MainWindow::on_actionManage_Compatible_Materials_triggered);
}

void MainWindow::chooseConsole()
{
    // The entry acts on what the user sees: a console that is hidden, or covered by
    // another window, comes to the front with one click; one in full sight is hidden.
    const Console::CommandConsole *console = presenter.getConsole();
    const bool show = console && (!console->isVisible() ||
                                  WindowStack::isCovered(console) == WindowStack::Answer::Yes);
    presenter.showConsole(show, true);
    form.action("actionConsole")->setChecked(show);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (consoleStarted || event->spontaneous())
        return;
    consoleStarted = true;
    // The console is shown once this window is on screen (after the show event, which
    // comes first), so that it opens above it; as this window's tool window, a window
    // manager keeps it there.
    QTimer::singleShot(0, this, [this] {
        if (form.action("actionConsole")->isChecked())
            presenter.showConsole(true);
    });
}

void MainWindow::undoOperation()
{
    presenter.undo();
    glView->updateGL();
}

void MainWindow::redoOperation()
{
    presenter.redo();
    glView->updateGL();
}

void MainWindow::selectionToggled(bool checked) { presenter.setSelectionMode(checked); }
void MainWindow::lightingToggled(bool on) { glView->setLighting(on); }
void MainWindow::renderObjectsToggled(bool on) { glView->setRenderObjects(on); }
void MainWindow::renderObjectEdgesToggled(bool on) { glView->setRenderObjectEdges(on); }
void MainWindow::renderGridToggled(bool on) { glView->setRenderGrid(on); }
void MainWindow::snapToGridToggled(bool on) { glView->setSnapToGrid(on); }
void MainWindow::on_actionShow_Lights_toggled(bool on) { glView->setShowLights(on); }
void MainWindow::on_actionShow_Axis_toggled(bool on) { glView->setShowAxis(on); }
void MainWindow::on_actionSet_View_triggered() { glView->showViewProperties(0); }
void MainWindow::on_actionSet_Lighting_triggered() { glView->showViewProperties(1); }
void MainWindow::repaintCentralWidget() { glView->repaint(); }

void MainWindow::setView(const QString &viewAngle)
{
    if (viewAngle == QLatin1String("front"))
        glView->setRotation(-90, 0, 0);
    else if (viewAngle == QLatin1String("back"))
        glView->setRotation(-90, 0, 180);
    else if (viewAngle == QLatin1String("left"))
        glView->setRotation(-90, 0, 90);
    else if (viewAngle == QLatin1String("right"))
        glView->setRotation(-90, 0, -90);
    else if (viewAngle == QLatin1String("top"))
        glView->setRotation(0, 0, 0);
    else if (viewAngle == QLatin1String("bottom"))
        glView->setRotation(180, 0, 0);
}

void MainWindow::changeGridSpacing()
{
    bool ok = false;
    const double spacing = QInputDialog::getDouble(this, tr("Set Grid Spacing"), tr("Spacing"),
                                                   glView->getGridSpacing(), 0.001, 1e9, 3, &ok);
    if (ok)
        glView->setGridSpacing(float(spacing));
}

void MainWindow::changeWindowColors()
{
    ColorsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Util::ColorSettings::setActiveVariant(dialog.variant());
    using Util::ColorSetting;
    const ColorSetting settings[4] = {ColorSetting::BackgroundColor, ColorSetting::GridColor, ColorSetting::ObjectColor,
                                      ColorSetting::OutlineColor};
    for (int i = 0; i < 4; ++i)
        Util::ColorSettings::set(settings[i], Util::ColorVariant::Custom, dialog.color(i));
    glView->updateGL();
}

void MainWindow::saveImage(const QString &filename)
{
    QString target = filename;
    if (target.isEmpty()) {
        target = chooseSaveFile(this, tr("Save Screen Image"), QFileInfo(lastImagePath).absoluteFilePath(),
                                tr("Images (*.png *.xpm *.jpg)"), QStringLiteral("png"));
        if (target.isEmpty())
            return;
    }
    // A name given without a suffix is saved as PNG.
    target = withSuffix(target, QStringLiteral("png"));
    QString reason;
    if (!Util::saveImageFile(glView->grabOpaqueImage(), target, &reason)) {
        // The next dialog still offers the last image that was saved.
        statusBar()->showMessage(tr("Could not save the image to %1").arg(target) + QStringLiteral(": ") + reason,
                                 statusTimeout);
        return;
    }
    lastImagePath = target;
}

void MainWindow::saveCrossSection()
{
    const QString saved = CrossSectionSaver::run(presenter.getContext(), this);
    if (!saved.isEmpty())
        showStatus(saved);
}

void MainWindow::export3D()
{
    if (!export3DCommand)
        export3DCommand = std::make_unique<Export3DCommand>(this, statusBar(), presenter.getContext());
    export3DCommand->run();
}

void MainWindow::showAboutInfo()
{
    AboutDialog dialog(this);
    dialog.exec();
}

namespace {

bool sameColor(const Model::Materials::Material &a, const Model::Materials::Material &b)
{
    return std::equal(std::begin(a.color), std::end(a.color), std::begin(b.color));
}

void reportSaveFailure(QWidget *parent, const QString &title, const QString &what, const QString &path,
                       const QString &reason)
{
    QMessageBox::warning(parent, title,
                         QObject::tr("The %1 could not be saved to \"%2\": %3\n\n"
                                     "Your changes apply until Kelvane is closed; the file keeps "
                                     "its previous contents.")
                             .arg(what, QDir::toNativeSeparators(path), reason));
}

} // namespace

void MainWindow::on_actionManage_Materials_triggered()
{
    ManageMaterialsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    bool recolour = false;
    for (const Model::Materials::Material &m : dialog.materials()) {
        recolour = recolour || !sameColor(catalogue->getMaterial(m.id), m);
        catalogue->setMaterial(m);
    }
    QString reason;
    if (!catalogue->saveMaterials(&reason))
        reportSaveFailure(this, tr("Manage Materials"), tr("material catalogue"),
                          Model::Materials::MaterialFactory::filePath(), reason);
    // Every open document shows the catalogue's colours.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<MainWindow *>(w))
            window->presenter.materialsChanged(recolour);
}

void MainWindow::on_actionManage_Compatible_Materials_triggered()
{
    EditCompatibleMaterialsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto catalogue = Model::Process::ProcessFactory::instance();
    for (const Model::Process::Process &p : dialog.processes())
        catalogue->setProcess(p);
    QString reason;
    if (!catalogue->saveProcesses(&reason))
        reportSaveFailure(this, tr("Manage Compatible Materials"), tr("process catalogue"),
                          Model::Process::ProcessFactory::filePath(), reason);
}

void MainWindow::on_actionNew_triggered()
{
    const auto answer = QMessageBox::information(this, tr("Create new document"),
                                                 tr("This will erase all data. Continue?"),
                                                 QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    presenter.newDocument();
    // The document has no file any more.
    setWindowTitle(tr("Kelvane"));
}

void MainWindow::on_actionNew_Process_List_triggered() { runProcessListDialog(QString()); }

void MainWindow::on_actionOpen_Process_List_triggered()
{
    const QString name = QFileDialog::getOpenFileName(this, RunProcessesDialog::fileCaption, QDir::homePath(),
                                                      RunProcessesDialog::fileFilter);
    if (!name.isEmpty())
        runProcessListDialog(name);
}

void MainWindow::runProcessListDialog(const QString &fileName)
{
    RunProcessesDialog dialog(presenter.getContext(), glView, nullptr, fileName, this);
    dialog.exec();
}

QString MainWindow::durationText(double seconds)
{
    if (seconds < 60)
        return QString::number(seconds, 'f', seconds < 10 ? 2 : 1) + QStringLiteral(" s");
    const auto whole = static_cast<qint64>(seconds + 0.5);
    return QStringLiteral("%1 min %2 s").arg(whole / 60).arg(whole % 60);
}

void MainWindow::showStepActivity()
{
    stepDuration = new QLabel(this);
    stepDuration->setObjectName(QStringLiteral("stepDurationLabel"));
    statusBar()->addPermanentWidget(stepDuration);
    auto &context = presenter.getContext();
    // The step runs on this thread: the message is painted and the cursor changed before
    // its work starts, without running the event loop in between.
    context.stepStarted = [this](const std::string &name) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        statusBar()->showMessage(QString::fromStdString(name) + tr(": running ..."));
        statusBar()->repaint();
    };
    context.stepFinished = [this](const std::string &name, double seconds) {
        QApplication::restoreOverrideCursor();
        const QString took = tr("%1 took %2").arg(QString::fromStdString(name), durationText(seconds));
        // The running text goes; the duration stays at the side until the next step.
        statusBar()->showMessage(took, statusTimeout);
        stepDuration->setText(took);
    };
}

void MainWindow::showStatus(const QString &message)
{
    statusBar()->showMessage(message, statusTimeout);
}

void MainWindow::changeRotationValue_statusBar(std::vector<float> a)
{
    if (a.size() >= 3)
        showStatus(tr("Rotation angles: X Axis = ") + number(a[0]) + tr(" Y Axis = ") + number(a[1]) +
                   tr(" Z axis = ") + number(a[2]));
}

void MainWindow::changeAxisPositionValue_staturBar(std::vector<float> p)
{
    if (p.size() >= 3)
        showStatus(tr("Volume position in relation to the axes: X = ") + number(p[0]) + tr(" Y = ") +
                   number(p[1]) + tr(" Z = ") + number(p[2]));
}

void MainWindow::changeViewPostionValue_statusBar(std::vector<float> p)
{
    if (p.size() >= 2)
        showStatus(tr("Volume position in relation to the screen: X = ") + number(p[0]) + tr(" Y = ") +
                   number(p[1]));
}

void MainWindow::changeZoomValue_statusBar(float zoom)
{
    showStatus(tr("Zoom = ") + number(zoom) + QStringLiteral("%"));
}

void MainWindow::changeLampPosition_statusBar(std::vector<float> l)
{
    if (l.size() >= 4)
        showStatus(tr("Lamp ") + QString::number(int(l[0])) + tr(" Position : Radius = ") + number(l[1]) +
                   QString::fromUtf8(" Angle θ = ") + number(l[2]) + QString::fromUtf8(" Angle φ = ") +
                   number(l[3]));
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        form.retranslateUi(this);
    QMainWindow::changeEvent(event);
}

} // namespace Ui
