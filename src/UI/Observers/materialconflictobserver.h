#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Ui {
namespace Observers {

// Shows the material conflict dialog for the pending conflict and settles it with the
// user's choice; a cancelled dialog leaves it unsettled (the material is then added
// under a new id).
class MaterialConflictObserver : public Util::IObserver
{
public:
    explicit MaterialConflictObserver(QWidget *mainWindow);
    void update() override;

private:
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
