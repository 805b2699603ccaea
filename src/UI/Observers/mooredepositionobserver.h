#pragma once

#include "Core/Operations/MooreNeighborhood/mooreneighborhooddepositionoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the Moore options dialog in its deposition form for the operation in progress.
class MooreDepositionObserver : public OptionsObserver<Core::Operations::MooreNeighborhoodDepositionOperation, Operations::MooreOptionsDialog>
{
public:
    MooreDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
        : OptionsObserver(context, mainWindow, Operations::MooreOptionsDialog::Mode::Deposition)
    {
    }
};

} // namespace Observers
} // namespace Ui
