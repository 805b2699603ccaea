#include "Core/Operations/ObjectOperations/selectvolumesoperation.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

SelectVolumesOperation::SelectVolumesOperation(OperationContext &context)
    : Operation("Select volumes", 24), context(context)
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
    // The observer runs the batch-run dialog modally; the operation is done when it
    // closes.
    notifyOptionsObserver();
    context.interpreter.reset();
    context.finishOperation();
}

void SelectVolumesOperation::cancel()
{
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
