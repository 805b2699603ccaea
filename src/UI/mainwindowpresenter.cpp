#include "UI/mainwindowpresenter.h"

#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/Observers/undoredoobserver.h"
#include "UI/operationfactory.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QScreen>
#include <QWidget>
#include <exception>
#include <new>

namespace Ui {

MainWindowPresenter::MainWindowPresenter(QWidget *mainWindow) : mainWindow(mainWindow)
{
    console = new Console::CommandConsole(mainWindow, Qt::Tool, context.interpreter);
    QScreen *screen = mainWindow && mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        console->move(available.x() + int(0.9 * (available.width() - console->width())),
                      available.y() + int(0.9 * (available.height() - console->height())));
    }
    // Shown by the main window once the main window is on screen, so that it opens
    // above it.

    undoObserver = std::make_shared<Observers::UndoRedoObserver>();
    context.history.addUndoObserver(undoObserver);
    connect(undoObserver.get(), &Observers::UndoRedoObserver::stackChanged, this,
            &MainWindowPresenter::undoStackChanged);
    redoObserver = std::make_shared<Observers::UndoRedoObserver>();
    context.history.addRedoObserver(redoObserver);
    connect(redoObserver.get(), &Observers::UndoRedoObserver::stackChanged, this,
            &MainWindowPresenter::redoStackChanged);

    context.setFactory(std::make_shared<OperationFactory>(context, mainWindow));
}

MainWindowPresenter::~MainWindowPresenter()
{
    // The console refers to the context's interpreter: it goes first.
    delete console.data();
    context.interpreter.reset();
}

void MainWindowPresenter::undoStackChanged()
{
    const QString name = QString::fromStdString(context.history.undoName());
    emit undoLabelChanged(tr("Undo ") + name, !name.isEmpty());
}

void MainWindowPresenter::redoStackChanged()
{
    const QString name = QString::fromStdString(context.history.redoName());
    emit redoLabelChanged(tr("Redo ") + name, !name.isEmpty());
}

void MainWindowPresenter::guarded(const std::function<void()> &step)
{
    QString reason;
    try {
        step();
        return;
    } catch (const std::bad_alloc &) {
        reason = tr("not enough memory for this operation.");
    } catch (const std::exception &e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        reason = tr("unexpected error.");
    }
    Core::Operations::OperationPtr running = context.getCurrentOperation();
    const std::string name = running ? running->getName() : std::string("Operation");
    qWarning() << "Operation failed:" << QString::fromStdString(name) << reason;
    context.showMessage(name + ": " + reason.toStdString());
    try {
        if (running)
            running->cancel();
        else
            context.interpreter.reset();
    } catch (...) {
        context.interpreter.reset();
        context.abandonOperation();
    }
    if (context.getCurrentOperation() == running && running)
        context.abandonOperation();
}

void MainWindowPresenter::operationActivated(const QString &operationId)
{
    bool ok = false;
    const uint typeId = operationId.toUInt(&ok);
    if (!ok)
        return;
    guarded([this, typeId] { context.activate(static_cast<int32_t>(typeId)); });
}

void MainWindowPresenter::enterPressed()
{
    if (console)
        guarded([this] { console->enterPressed(); });
}

void MainWindowPresenter::cancelPressed()
{
    guarded([this] { context.cancelCurrentOperation(); });
    context.clearSelection();
    context.notifyUpdate();
}

void MainWindowPresenter::undo()
{
    guarded([this] { context.history.undo(); });
}

void MainWindowPresenter::redo()
{
    guarded([this] { context.history.redo(); });
}

void MainWindowPresenter::setSelectionMode(bool on)
{
    if (context.isSelectionMode() != on)
        context.setSelectionMode(on);
}

void MainWindowPresenter::showConsole(bool show, bool activate)
{
    if (!console)
        return;
    if (!show) {
        console->hide();
        return;
    }
    console->show();
    console->raise();
    if (activate)
        console->activateWindow();
}

void MainWindowPresenter::newDocument()
{
    context.cancelCurrentOperation();
    context.clearSelection();
    context.history.clear();
    context.interpreter.reset();
    context.scene.reset();
    context.lastProcessByVolume.clear();
    context.latticeStale.clear();
    context.notifyUpdate();
}

void MainWindowPresenter::materialsChanged(bool recolour)
{
    if (recolour)
        for (const Model::ObjectPtr &object : context.scene.objects())
            if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
                volume->getPainter()->regenerate();
    context.clearSelection();
    context.notifyUpdate();
}

} // namespace Ui
