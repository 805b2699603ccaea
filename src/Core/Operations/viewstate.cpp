#include "Core/Operations/viewstate.h"

#include <QMutexLocker>

namespace Core {
namespace Operations {

std::vector<Model::ObjectPtr> ViewState::selectedObjects() const
{
    QMutexLocker lock(&mutex);
    return selection;
}

void ViewState::publishSelection(const std::vector<Model::ObjectPtr> &objects)
{
    QMutexLocker lock(&mutex);
    selection = objects;
}

} // namespace Operations
} // namespace Core
