#pragma once

#include "Core/Operations/operation.h"
#include "Model/object.h"
#include "Util/vector3d.h"

#include <string>
#include <vector>

namespace Core {
namespace Operations {

class OperationContext;

// What Move and Copy share: the selected objects (or their clones) are drawn as ghosts
// at a displacement until the user types "x, y, z" into the console or clicks twice in
// the view (the reference point, then the destination); then they are placed for good.
class PlaceObjectsOperation : public ObjectOperation
{
public:
    ~PlaceObjectsOperation() override;

    void execute() override;

    Util::Vector3D getDisplacement() const { return displacement; }
    const std::vector<Model::ObjectPtr> &getObjects() const { return objects; }

protected:
    // `verb` starts every message ("Move", "Copy").
    PlaceObjectsOperation(OperationContext &context, std::string name, int32_t typeId, std::string verb);

    // The object that stands for a selected one while placing it: itself or a clone.
    virtual Model::ObjectPtr placed(const Model::ObjectPtr &selected) = 0;
    virtual std::string selectPrompt() const = 0;

    void showGhosts(bool on);
    void dropRequests();
    std::string message(const std::string &text) const { return verb + ": " + text; }

    OperationContext &context;
    std::vector<Model::ObjectPtr> objects;
    // The selected object each entry of `objects` stands for (drawn as its ghost).
    std::vector<Model::ObjectPtr> ghostSources;
    int32_t step = 0;
    bool done = false;
    Util::Vector3D lastPoint;
    Util::Vector3D clickPoint;
    Util::Vector3D displacement;
    Util::Vector3D anchor;
    int32_t clickCounter = 0;

private:
    void requestClicks(int32_t clicks);

    std::string verb;
};

} // namespace Operations
} // namespace Core
