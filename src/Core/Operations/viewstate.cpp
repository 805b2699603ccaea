#include "Core/Operations/viewstate.h"

#include "Core/Operations/operation.h"
#include "Util/threadcheck.h"


namespace Core {
namespace Operations {

std::vector<Model::ObjectPtr> ViewState::selectedObjects() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return selection;
}

void ViewState::publishSelection(const std::vector<Model::ObjectPtr> &objects)
{
    Util::CheckedMutexLocker lock(&mutex);
    selection = objects;
}

std::vector<ViewState::Ghost> ViewState::ghosts() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return ghostList;
}

void ViewState::publishGhosts(const std::vector<Ghost> &list)
{
    Util::CheckedMutexLocker lock(&mutex);
    ghostList = list;
}

void ViewState::publishClickRequest(const ClickRequest &request)
{
    Util::CheckedMutexLocker lock(&mutex);
    clickRequest = request;
}

void ViewState::dropClickRequest()
{
    Util::CheckedMutexLocker lock(&mutex);
    clickRequest = ClickRequest();
}

bool ViewState::hasClickRequest() const
{
    Util::CheckedMutexLocker lock(&mutex);
    return clickRequest.operation != nullptr;
}

bool ViewState::deliverClick(const Util::Vector3D &point)
{
    ClickRequest request;
    {
        Util::CheckedMutexLocker lock(&mutex);
        request = clickRequest;
        // One click per request: the operation publishes it again when it wants more.
        clickRequest = ClickRequest();
    }
    if (!request.operation)
        return false;
    request.clickPoint->assignXYZ(point);
    if (*request.clickCounter > 0)
        --*request.clickCounter;
    request.operation->execute();
    return true;
}

bool ViewState::hoverPoint(const Util::Vector3D &point)
{
    Util::CheckedMutexLocker lock(&mutex);
    if (!clickRequest.operation || !clickRequest.reference)
        return false;
    const Util::Vector3D &from = *clickRequest.reference;
    const Util::Vector3D offset(point.x - from.x, point.y - from.y, point.z - from.z);
    for (const Ghost &ghost : ghostList)
        ghost.second->setTemporaryOffset(offset);
    return true;
}

} // namespace Operations
} // namespace Core
