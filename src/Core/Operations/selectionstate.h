#pragma once

#include "Model/object.h"
#include "Util/iobserver.h"

#include <vector>

namespace Core {
namespace Operations {

// The selected objects, the selection-mode flag and the observers of that flag.
struct SelectionState
{
    std::vector<Model::ObjectPtr> objects;
    bool selectionMode = false;
    Util::ObserverList modeObservers;
};

} // namespace Operations
} // namespace Core
