#pragma once

#include "Core/Operations/operation.h"
#include "Core/Operations/volumesnapshot.h"
#include "Model/Automaton/totalvolume.h"

#include <memory>
#include <string>
#include <vector>

namespace Core {
namespace Operations {

class OperationContext;

// Chooses the cell volume a batch run works on ("Select volumes", 24; the menu's
// "Batch Run"): the first selected volume, or none when the user answers N. Its
// options observer then opens the batch-run dialog with that volume. What the runs in
// the dialog changed enters the history as one step: the cells, counts and masks of
// every volume that was in the scene, and the objects they added or removed.
class SelectVolumesOperation : public ObjectOperation
{
public:
    explicit SelectVolumesOperation(OperationContext &context);

    void execute() override;
    void end() override;
    void cancel() override;
    UndoResult undo() override;
    void redo() override;

    // Empty when the user chose to start without a volume.
    Model::Automaton::TotalVolumePtr getVolume() const { return volume; }
    bool isVolumeChosen() const { return volumeChosen; }

private:
    struct VolumeRecord
    {
        Model::Automaton::TotalVolumePtr volume;
        std::unique_ptr<VolumeSnapshot> snapshot;
    };

    // Puts the objects and cells of one side of the step in place.
    bool restore(bool undoing);

    OperationContext &context;
    std::vector<VolumeRecord> records;
    std::vector<Model::ObjectPtr> added;
    std::vector<Model::ObjectPtr> removed;
    bool volumeChosen = false;
    Model::Automaton::TotalVolumePtr volume;
    std::string answer;
};

} // namespace Operations
} // namespace Core
