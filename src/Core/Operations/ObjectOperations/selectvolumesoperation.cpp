#include "Core/Operations/ObjectOperations/selectvolumesoperation.h"

#include "Core/Operations/operationcontext.h"

#include <algorithm>

namespace Core {
namespace Operations {

SelectVolumesOperation::SelectVolumesOperation(OperationContext &context)
    : ObjectOperation("Select volumes", 24), context(context)
{
}

void SelectVolumesOperation::execute()
{
    if (volumeChosen)
        return;
    for (const Model::ObjectPtr &object : context.selectedObjects()) {
        if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)))
            break;
    }
    if (volume) {
        context.clearSelection();
        context.setSelectionMode(false);
        context.notifyUpdate();
        context.showMessage(getName() + ": Cell volume selected.");
        volumeChosen = true;
        end();
        return;
    }
    if (!answer.empty() && (answer[0] == 'n' || answer[0] == 'N')) {
        volumeChosen = true;
        end();
        return;
    }
    context.showMessage(getName() + ": Select a cell volume and press Enter/Return. To start without a cell "
                                    "volume type N and press Enter/Return.");
    context.interpreter.requestText(this, &answer);
    context.interpreter.waitForEnter(this);
    context.setSelectionMode(true);
}

void SelectVolumesOperation::end()
{
    if (!volumeChosen)
        return;
    const std::vector<Model::ObjectPtr> before = context.scene.objects();
    for (const Model::ObjectPtr &object : before) {
        if (auto v = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            auto snapshot = std::make_unique<VolumeSnapshot>(
                QStringLiteral("BatchRun"), VolumeSnapshot::counterFor(QStringLiteral("BatchRun")), context.snapshotFiles);
            snapshot->takeState(*v);
            records.push_back({v, std::move(snapshot)});
        }
    }
    // The observer runs the batch-run dialog modally; the operation is done when it
    // closes.
    notifyOptionsObserver();
    context.interpreter.reset();

    const std::vector<Model::ObjectPtr> after = context.scene.objects();
    const auto in = [](const std::vector<Model::ObjectPtr> &list, const Model::ObjectPtr &o) {
        return std::find(list.begin(), list.end(), o) != list.end();
    };
    for (const Model::ObjectPtr &o : after)
        if (!in(before, o))
            added.push_back(o);
    for (const Model::ObjectPtr &o : before)
        if (!in(after, o))
            removed.push_back(o);
    bool changed = !added.empty() || !removed.empty();
    bool written = true;
    for (VolumeRecord &r : records) {
        bool volumeChanged = false;
        written = r.snapshot->writeRecords(*r.volume, &volumeChanged) && written;
        changed = changed || volumeChanged;
    }
    if (!written) {
        context.forgetHistory(getName() + ": the undo files cannot be written; this run and the steps before it can "
                                          "no longer be undone.");
        context.abandonOperation();
    } else if (changed) {
        context.finishOperation();
    } else {
        context.abandonOperation();
    }
}

bool SelectVolumesOperation::restore(bool undoing)
{
    for (const Model::ObjectPtr &o : undoing ? added : removed)
        context.removeFromScene(o);
    for (const Model::ObjectPtr &o : undoing ? removed : added)
        context.scene.add(o);
    bool ok = true;
    for (VolumeRecord &r : records) {
        ok = (undoing ? r.snapshot->restoreFromUndoFile(*r.volume) : r.snapshot->restoreFromRedoFile(*r.volume)) && ok;
        context.latticeStale[r.volume->getId()] = true;
    }
    context.notifyUpdate();
    if (!ok)
        context.forgetHistory(getName() + (undoing ? ": cannot be undone: its record in the undo file cannot be read."
                                                   : ": cannot be redone: its record in the redo file cannot be read."));
    return ok;
}

UndoResult SelectVolumesOperation::undo() { return restore(true) ? UndoResult::Undone : UndoResult::RecordLost; }

void SelectVolumesOperation::redo() { restore(false); }

void SelectVolumesOperation::cancel()
{
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
