#pragma once

#include "Model/object.h"

#include <QMutex>
#include <vector>

namespace Core {
namespace Operations {

// Data the view reads while it draws, published by the GUI thread under a mutex.
class ViewState
{
public:
    std::vector<Model::ObjectPtr> selectedObjects() const;
    void publishSelection(const std::vector<Model::ObjectPtr> &objects);

private:
    mutable QMutex mutex;
    std::vector<Model::ObjectPtr> selection;
};

} // namespace Operations
} // namespace Core
