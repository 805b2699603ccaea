#pragma once

#include "Core/Operations/operationcontext.h"
#include "UI/Console/commandconsole.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Ui {

namespace Console {
class CommandConsole;
}
namespace Observers {
class UndoRedoObserver;
}

// Owns one window's operation context and console, and turns menu picks, Enter/Return,
// Escape, Undo and Redo into calls on the context.
class MainWindowPresenter : public QObject
{
    Q_OBJECT
public:
    explicit MainWindowPresenter(QWidget *mainWindow);
    ~MainWindowPresenter() override;

    Core::Operations::OperationContext &getContext() { return context; }
    QWidget *getMainWindow() const { return mainWindow; }
    Console::CommandConsole *getConsole() const { return console; }

    void undo();
    void redo();
    void setSelectionMode(bool on);
    // Shows the console above the other windows (with `activate` it takes the keyboard
    // too), or hides it.
    void showConsole(bool show, bool activate = false);
    // Empties the document: no operation, no selection, no history, one empty layer.
    void newDocument();
    // After an edit of the material catalogue: with `recolour`, every cell volume of the
    // document makes its surfaces afresh in the catalogue's colours (a changed alpha
    // moves faces between the opaque and the translucent lists); then the selection is
    // cleared and the views redraw.
    void materialsChanged(bool recolour);

public slots:
    void undoStackChanged();
    void redoStackChanged();
    void operationActivated(const QString &operationId);
    void enterPressed();
    void cancelPressed();

signals:
    // Text and enabled state for the Undo and Redo entries.
    void undoLabelChanged(const QString &text, bool enabled);
    void redoLabelChanged(const QString &text, bool enabled);

private:
    // Runs a step of the user's operation; an exception escaping it is reported in the
    // console and the operation is cancelled, so the window stays usable.
    void guarded(const std::function<void()> &step);

    QWidget *mainWindow;
    Core::Operations::OperationContext context;
    QPointer<Console::CommandConsole> console;
    std::shared_ptr<Observers::UndoRedoObserver> undoObserver;
    std::shared_ptr<Observers::UndoRedoObserver> redoObserver;
};

} // namespace Ui
