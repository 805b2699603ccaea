#pragma once

#include "Util/iobserver.h"

#include <QPointer>

namespace Ui {
namespace Operations {
class ExtractModelDialog;
}

namespace Observers {

// Closes the extraction dialog when the operation is cancelled (if it is still open).
class DestroyModelExtractionDialogObserver : public Util::IObserver
{
public:
    explicit DestroyModelExtractionDialogObserver(Operations::ExtractModelDialog *dialog);
    void update() override;

private:
    QPointer<Operations::ExtractModelDialog> dialog;
};

} // namespace Observers
} // namespace Ui
