#pragma once

#include "Core/Operations/operation.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Operations/volumesnapshot.h"
#include "Model/Automaton/totalvolume.h"

#include <atomic>
#include <memory>
#include <string>

namespace Core {
namespace Operations {

// The life cycle shared by every operation that works on one cell volume: choose the
// volume (selection, lone scene object, or wait for a selection and Enter/Return), ask
// the options observer for the parameters, run, regenerate, report. A concrete process
// states only its parameters (parametersComplete) and its work (process).
template <class Base>
class VolumeProcessOperation : public Base
{
public:
    VolumeProcessOperation(OperationContext &context, std::string name, int32_t typeId)
        : Base(std::move(name), typeId), context(context)
    {
    }

    void execute() override
    {
        if (volumeChosen)
            return;
        for (const Model::ObjectPtr &o : context.selectedObjects()) {
            if (auto v = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(o)) {
                volume = v;
                break;
            }
        }
        if (volume) {
            context.clearSelection();
            context.setSelectionMode(false);
            context.notifyUpdate();
            chooseVolume(": Cell volume selected.");
            end();
            return;
        }
        const std::vector<Model::ObjectPtr> objects = context.scene.objects();
        if (objects.size() == 1) {
            volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.front());
            if (volume) {
                context.setSelectionMode(false);
                chooseVolume(loneVolumeMessage());
            }
            end();
            return;
        }
        context.showMessage(this->getName() + ": Select a cell volume and press Enter/Return.");
        context.interpreter.waitForEnter(this);
        context.setSelectionMode(true);
    }

    void end() override
    {
        if (!volumeChosen || !volume || !parametersComplete()) {
            cancel();
            return;
        }
        {
            BusyStep busy(context, this->getName());
            applyProcess();
            volume->getPainter()->regenerate();
        }
        context.lastProcessByVolume[volume->getId()] = this->getTypeId();
        if (marksLatticeStale())
            context.latticeStale[volume->getId()] = true;
        context.notifyUpdate();
        context.showMessage(this->getName() + (changedNothing() ? ": no cell changed." : ": Operation finished."));
        context.interpreter.reset();
        finishStep();
    }

    void cancel() override
    {
        context.showMessage(this->getName() + ": Operation canceled.");
        context.interpreter.reset();
        context.abandonOperation();
    }

    Model::Automaton::TotalVolumePtr getVolume() const { return volume; }
    bool isVolumeChosen() const { return volumeChosen; }

protected:
    // True when every required parameter was set (by the options dialog or a preset).
    virtual bool parametersComplete() const = 0;
    // The process itself; it locks the cells of `volume` while it works on them.
    virtual void process() = 0;
    // Whether finishing invalidates the volume's silicon lattice.
    virtual bool marksLatticeStale() const { return false; }
    virtual void applyProcess() { process(); }
    // Called once the volume is chosen, before the options dialog opens.
    virtual void volumeTaken() {}
    // Ends a committed step.
    virtual void finishStep() { context.finishOperation(); }
    // True when the step is known to have left every cell, count and mask as it was.
    virtual bool changedNothing() const { return false; }
    // Reported when the scene's only object, a volume, is taken without a selection.
    virtual std::string loneVolumeMessage() const { return ": Cell volume selected."; }

    OperationContext &context;
    Model::Automaton::TotalVolumePtr volume;
    bool volumeChosen = false;

private:
    void chooseVolume(const std::string &message)
    {
        context.showMessage(this->getName() + message);
        volumeChosen = true;
        volumeTaken();
        this->notifyOptionsObserver();
    }
};

using ProcessOperation = VolumeProcessOperation<Operation>;

// A process that enters the history. Its state before the step (cells, particle counts,
// masks) is taken in memory; after the step the snapshot files get the records of what
// it changed, so undo and redo restore exactly that. A step that changed nothing says
// so and leaves the history as it was. A step whose records cannot be written clears
// the history: no older record may ever be restored over its work.
class UndoableProcessOperation : public VolumeProcessOperation<ObjectOperation>
{
public:
    UndoableProcessOperation(OperationContext &context, std::string name, int32_t typeId,
                             const QString &snapshotKey, std::atomic<int32_t> &snapshotCounter)
        : VolumeProcessOperation<ObjectOperation>(context, std::move(name), typeId),
          snapshot(snapshotKey, snapshotCounter, context.snapshotFiles)
    {
    }

    UndoResult undo() override
    {
        if (volume && !snapshot.restoreFromUndoFile(*volume))
            return lostRecord(": cannot be undone: its record in the undo file cannot be read.");
        markRestored();
        return UndoResult::Undone;
    }

    void redo() override
    {
        if (volume && !snapshot.restoreFromRedoFile(*volume)) {
            lostRecord(": cannot be redone: its record in the redo file cannot be read.");
            return;
        }
        markRestored();
    }

    // The class's records are kept under `snapshotKey`, counted per key.
    UndoableProcessOperation(OperationContext &context, std::string name, int32_t typeId, const QString &snapshotKey)
        : UndoableProcessOperation(context, std::move(name), typeId, snapshotKey,
                                   VolumeSnapshot::counterFor(snapshotKey))
    {
    }

    const VolumeSnapshot &getSnapshot() const { return snapshot; }

protected:
    void volumeTaken() override
    {
        if (volume)
            snapshot.takeMasks(*volume);
    }

    void applyProcess() override
    {
        recordStep([this] { process(); });
    }

    // Runs `step` between taking the volume's state and writing the records. A step that
    // throws leaves the volume as it was.
    template <class Step>
    void recordStep(const Step &step)
    {
        snapshot.takeState(*volume);
        try {
            step();
        } catch (...) {
            snapshot.putBack(*volume);
            throw;
        }
        // Records that cannot be written leave it open whether anything changed.
        bool any = true;
        recorded = snapshot.writeRecords(*volume, &any);
        unchanged = recorded && !any;
    }

    bool changedNothing() const override { return unchanged; }

    void finishStep() override
    {
        if (changedNothing()) {
            context.abandonOperation();
            return;
        }
        if (recorded) {
            context.finishOperation();
            return;
        }
        forgetHistory(": the undo files cannot be written; this step and the ones before it can no longer be undone.");
        context.abandonOperation();
    }

private:
    // The history is cleared, so nothing older can restore over what is there now.
    void forgetHistory(const std::string &reason) { context.forgetHistory(getName() + reason); }

    UndoResult lostRecord(const std::string &reason)
    {
        forgetHistory(reason);
        if (volume)
            markRestored();
        return UndoResult::RecordLost;
    }

    // Restored cells may hold other silicon than the lattice was built from.
    void markRestored()
    {
        if (!volume)
            return;
        context.latticeStale[volume->getId()] = true;
        context.notifyUpdate();
    }

    VolumeSnapshot snapshot;
    bool recorded = false;
    bool unchanged = false;
};

} // namespace Operations
} // namespace Core
