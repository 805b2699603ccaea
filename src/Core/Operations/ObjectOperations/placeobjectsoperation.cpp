#include "Core/Operations/ObjectOperations/placeobjectsoperation.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

PlaceObjectsOperation::PlaceObjectsOperation(OperationContext &context, std::string name, int32_t typeId,
                                             std::string verb)
    : ObjectOperation(std::move(name), typeId), context(context), verb(std::move(verb))
{
}

PlaceObjectsOperation::~PlaceObjectsOperation()
{
    // The view must not hand a click to an operation that is gone, nor draw its ghosts.
    if (step != 3) {
        dropRequests();
        if (!objects.empty() && objects.front()->isTemporary())
            context.viewState.publishGhosts({});
    }
}

void PlaceObjectsOperation::execute()
{
    switch (step) {
    case 0: {
        const std::vector<Model::ObjectPtr> selected = context.selectedObjects();
        if (selected.empty()) {
            context.showMessage(selectPrompt());
            context.interpreter.waitForEnter(this);
            context.setSelectionMode(true);
            return;
        }
        for (const Model::ObjectPtr &object : selected) {
            Model::ObjectPtr standIn = placed(object);
            if (!standIn)
                continue;
            ghostSources.push_back(object);
            objects.push_back(std::move(standIn));
        }
        showGhosts(true);
        context.showMessage(message("Left click or enter the distance into the console (x, y, z):"));
        requestClicks(2);
        done = false;
        context.interpreter.requestPoint(this, &displacement, &done);
        step = 1;
        context.setSelectionMode(false);
        context.notifyUpdate();
        return;
    }
    case 1:
        if (done) {
            step = 3;
            end();
            return;
        }
        {
            // A click in the view (it has counted itself) or an empty line instead of a
            // typed distance. A click is the reference point.
            const bool clicked = clickCounter < 2;
            context.interpreter.reset();
            context.showMessage(message("Left click on destination."));
            step = 2;
            if (clicked)
                lastPoint = clickPoint;
            requestClicks(clicked ? 1 : 2);
        }
        return;
    case 2:
        // The first click fixes the reference point, the second the destination.
        if (clickCounter == 1) {
            lastPoint = clickPoint;
            requestClicks(1);
            return;
        }
        displacement = Util::Vector3D(clickPoint.x - lastPoint.x, clickPoint.y - lastPoint.y,
                                      clickPoint.z - lastPoint.z);
        for (const Model::ObjectPtr &object : objects)
            object->setTemporaryOffset(displacement);
        lastPoint = clickPoint;
        context.notifyUpdate();
        if (clickCounter != 0) {
            requestClicks(clickCounter);
            return;
        }
        step = 3;
        end();
        return;
    default:
        return;
    }
}

void PlaceObjectsOperation::requestClicks(int32_t clicks)
{
    clickCounter = clicks;
    // After the reference click the ghosts follow the pointer.
    context.viewState.publishClickRequest(ClickRequest{this, &clickPoint, &clickCounter, clicks == 1 ? &lastPoint : nullptr});
}

void PlaceObjectsOperation::dropRequests()
{
    context.viewState.dropClickRequest();
}

void PlaceObjectsOperation::showGhosts(bool on)
{
    std::vector<ViewState::Ghost> ghosts;
    for (size_t i = 0; i < objects.size(); ++i) {
        objects[i]->setTemporary(on);
        objects[i]->setTemporaryOffset(on ? displacement : Util::Vector3D());
        if (on)
            ghosts.emplace_back(ghostSources[i], objects[i]);
    }
    context.viewState.publishGhosts(ghosts);
}

} // namespace Operations
} // namespace Core
