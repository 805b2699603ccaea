#include "UI/Observers/updateobserver.h"

namespace Ui {
namespace Observers {

UpdateObserver::UpdateObserver(QObject *parent) : QObject(parent) {}

void UpdateObserver::update()
{
    emit updateGL();
}

} // namespace Observers
} // namespace Ui
