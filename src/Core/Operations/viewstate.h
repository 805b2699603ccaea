#pragma once

#include "Model/object.h"
#include "Util/vector3d.h"

#include <cstdint>
#include <utility>

#include <QMutex>
#include <vector>

namespace Core {
namespace Operations {

class Operation;

// An operation waiting for points picked in the view: the clicked point goes into
// `clickPoint`, the count of clicks it still expects is decreased, and the operation's
// execute() runs. The pointers are the operation's own; it drops the request before
// they go away.
struct ClickRequest
{
    Operation *operation = nullptr;
    Util::Vector3D *clickPoint = nullptr;
    int32_t *clickCounter = nullptr;
    // Once set, the point the ghosts are displaced from while the pointer moves.
    const Util::Vector3D *reference = nullptr;
};

// Data the view reads while it draws, published by the GUI thread under a mutex.
class ViewState
{
public:
    std::vector<Model::ObjectPtr> selectedObjects() const;
    void publishSelection(const std::vector<Model::ObjectPtr> &objects);

    // Objects being placed by Move or Copy: the object to draw and the stand-in whose
    // temporary offset says where its ghost goes.
    using Ghost = std::pair<Model::ObjectPtr, Model::ObjectPtr>;
    std::vector<Ghost> ghosts() const;
    void publishGhosts(const std::vector<Ghost> &list);

    void publishClickRequest(const ClickRequest &request);
    void dropClickRequest();
    bool hasClickRequest() const;
    // Hands a point picked in the view to the waiting operation (GUI thread). False when
    // no operation waits for one.
    bool deliverClick(const Util::Vector3D &point);
    // The pointer is over `point`: ghosts follow it from the request's reference point.
    // False when nothing follows the pointer.
    bool hoverPoint(const Util::Vector3D &point);

private:
    mutable QMutex mutex;
    std::vector<Model::ObjectPtr> selection;
    ClickRequest clickRequest;
    std::vector<Ghost> ghostList;
};

} // namespace Operations
} // namespace Core
