#pragma once

#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"
#include "Core/Operations/selectionstate.h"
#include "Core/Operations/snapshotfiles.h"
#include "Core/Operations/undoredohistory.h"
#include "Core/Operations/viewstate.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/scene.h"
#include "Util/iobserver.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Everything the operations of one main window share: the scene, the selection, the
// operation in progress, the history and the console interpreter.
class OperationContext
{
public:
    OperationContext();
    ~OperationContext();

    OperationContext(const OperationContext &) = delete;
    OperationContext &operator=(const OperationContext &) = delete;

    // Cancels the operation in progress, creates the one numbered typeId and starts it.
    void activate(int32_t typeId);
    // Pushes an object operation onto the history, then idles, clears the selection
    // and redraws.
    void finishOperation();
    // Idles, clears the selection and redraws; nothing enters the history.
    void abandonOperation();
    // Calls cancel() of the operation in progress, if any.
    void cancelCurrentOperation();
    OperationPtr getCurrentOperation() const { return currentOperation; }

    // Clears the history and its records, saying why: used when a step's records cannot
    // be written or read, so that no older record can be restored over later work.
    void forgetHistory(const std::string &message);

    void notifyUpdate();
    void addUpdateObserver(const Util::ObserverPtr &o) { updateObservers.push_back(o); }

    void clearSelection();
    // Selects or deselects one object and publishes the selection to the view state.
    void setObjectSelected(const Model::ObjectPtr &object, bool selected);
    // Takes an object out of the scene; it does not stay selected, so no later step can
    // choose an object that is no longer there.
    void removeFromScene(const Model::ObjectPtr &object);
    void setSelectionMode(bool on);
    bool isSelectionMode() const { return selection.selectionMode; }
    void addSelectionModeObserver(const Util::ObserverPtr &o) { selection.modeObservers.push_back(o); }
    std::vector<Model::ObjectPtr> selectedObjects() const { return viewState.selectedObjects(); }
    // The first selected cell volume, else the scene's first one; none in a scene without.
    std::shared_ptr<Model::Automaton::TotalVolume> selectedOrFirstVolume() const;

    // Shorthand for interpreter.showMessage.
    void showMessage(const std::string &text) { interpreter.showMessage(text); }

    void setFactory(std::shared_ptr<IOperationFactory> f) { factory = std::move(f); }
    std::shared_ptr<IOperationFactory> getFactory() const { return factory; }

    CommandInterpreter interpreter;
    ViewState viewState;
    Model::Scene scene;
    UndoRedoHistory history;
    SnapshotFiles snapshotFiles;
    // Object type code -> archiver, used by the document operations.
    Model::Persistence::ArchiverRegistry archivers;
    // Cell-volume object id -> typeId of the last process that finished on it.
    std::map<int32_t, int32_t> lastProcessByVolume;
    // Cell-volume object id -> its silicon lattice must be rebuilt.
    std::map<int32_t, bool> latticeStale;
    // Told around the work of a step, so that the window can show it is busy: started
    // before the work, finished with the seconds it took (also when it throws).
    std::function<void(const std::string &name)> stepStarted;
    std::function<void(const std::string &name, double seconds)> stepFinished;

private:
    void publishSelection();
    // Keeps an idle operation alive until its own call has returned.
    void retire();

    OperationPtr currentOperation;
    OperationPtr retiredOperation;
    // The operation that turned selection mode on, none when the user did.
    const Operation *selectionModeOwner = nullptr;
    Util::ObserverList updateObservers;
    SelectionState selection;
    std::shared_ptr<IOperationFactory> factory;
};

// Brackets a step's work with the context's stepStarted and stepFinished.
class BusyStep
{
public:
    BusyStep(OperationContext &context, std::string name)
        : context(context), name(std::move(name)), start(std::chrono::steady_clock::now())
    {
        if (context.stepStarted)
            context.stepStarted(this->name);
    }
    ~BusyStep()
    {
        if (context.stepFinished)
            context.stepFinished(name, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    BusyStep(const BusyStep &) = delete;
    BusyStep &operator=(const BusyStep &) = delete;

private:
    OperationContext &context;
    std::string name;
    std::chrono::steady_clock::time_point start;
};

} // namespace Operations
} // namespace Core
