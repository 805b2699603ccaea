#pragma once

#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"

#include <string>

namespace Core {
namespace Operations {

class OperationContext;

// Chooses the cell volume a batch run works on ("Select volumes", 24; the menu's
// "Batch Run"): the first selected volume, or none when the user answers N. Its
// options observer then opens the batch-run dialog with that volume. Nothing enters
// the history.
class SelectVolumesOperation : public Operation
{
public:
    explicit SelectVolumesOperation(OperationContext &context);

    void execute() override;
    void end() override;
    void cancel() override;

    // Empty when the user chose to start without a volume.
    Model::Automaton::TotalVolumePtr getVolume() const { return volume; }
    bool isVolumeChosen() const { return volumeChosen; }

private:
    OperationContext &context;
    bool volumeChosen = false;
    Model::Automaton::TotalVolumePtr volume;
    std::string answer;
};

} // namespace Operations
} // namespace Core
