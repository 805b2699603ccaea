#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QAction;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Keeps the Select action checked exactly while the selection mode is on.
class SelectionModeObserver : public Util::IObserver
{
public:
    SelectionModeObserver(QAction *action, Core::Operations::OperationContext &context);
    void update() override;

private:
    QPointer<QAction> action;
    Core::Operations::OperationContext &context;
};

} // namespace Observers
} // namespace Ui
