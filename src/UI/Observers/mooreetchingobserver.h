#pragma once

#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetchingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the Moore options dialog in its etching form for the operation in progress.
class MooreEtchingObserver : public OptionsObserver<Core::Operations::MooreNeighborhoodEtchingOperation, Operations::MooreOptionsDialog>
{
public:
    MooreEtchingObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
        : OptionsObserver(context, mainWindow, Operations::MooreOptionsDialog::Mode::Etching)
    {
    }
};

} // namespace Observers
} // namespace Ui
