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
        context.showMessage(this->getName() + ": Operation finished.");
        context.interpreter.reset();
        context.finishOperation();
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
        this->notifyOptionsObserver();
    }
};

using ProcessOperation = VolumeProcessOperation<Operation>;

// A process that enters the history: its cells before and after are recorded in the
// snapshot files, so undo and redo restore them exactly.
class UndoableProcessOperation : public VolumeProcessOperation<ObjectOperation>
{
public:
    UndoableProcessOperation(OperationContext &context, std::string name, int32_t typeId,
                             const QString &snapshotKey, std::atomic<int32_t> &snapshotCounter)
        : VolumeProcessOperation<ObjectOperation>(context, std::move(name), typeId),
          snapshot(snapshotKey, snapshotCounter, context.snapshotFiles)
    {
    }

    // A step whose cells before could not be recorded (no writable snapshot file, a full
    // disk) leaves the history when undo is asked for, saying so, instead of claiming an
    // undo that restores nothing.
    int32_t undo() override
    {
        if (!undoRecorded) {
            context.showMessage(getName() + ": cannot be undone: the cells before it could not be recorded.");
            return 2;
        }
        if (volume) {
            snapshot.restoreFromUndoFile(*volume);
            markRestored();
        }
        return 1;
    }

    void redo() override
    {
        if (!redoRecorded) {
            context.showMessage(getName() + ": cannot be redone: the cells after it could not be recorded.");
            return;
        }
        if (volume) {
            snapshot.restoreFromRedoFile(*volume);
            markRestored();
        }
    }

    const VolumeSnapshot &getSnapshot() const { return snapshot; }

protected:
    void applyProcess() override
    {
        undoRecorded = snapshot.writeUndoRecord(*volume);
        process();
        redoRecorded = snapshot.writeRedoRecord(*volume);
        if (!undoRecorded)
            context.showMessage(getName() + ": the undo files cannot be written; this step cannot be undone.");
        else if (!redoRecorded)
            context.showMessage(getName() + ": the undo files cannot be written; this step cannot be redone once undone.");
    }

private:
    // Restored cells may hold other silicon than the lattice was built from.
    void markRestored()
    {
        context.latticeStale[volume->getId()] = true;
        context.notifyUpdate();
    }

    VolumeSnapshot snapshot;
    bool undoRecorded = false;
    bool redoRecorded = false;
};

} // namespace Operations
} // namespace Core
