#pragma once

#include "Util/iobserver.h"

#include <QString>

class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {
namespace Observers {

// The save operations' observer: asks for the document location ("Choose location",
// "Kelvane file (*.mem)", from the home folder) and, after saving, sets the window
// title to "Kelvane  " followed by the path, or shows the error box.
class DocumentSavedObserver : public Util::IObserver
{
public:
    DocumentSavedObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

    static const QString fileFilter;
    static const QString titlePrefix; // "Kelvane  "

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
