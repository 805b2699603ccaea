#pragma once

#include "Core/Operations/DopingOperation/ionimplantationoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the ion implantation dialog for the operation in progress.
using IonImplantationOptionsObserver =
    OptionsObserver<Core::Operations::IonImplantationOperation, Operations::IonImplantationOptionsDialog>;

} // namespace Observers
} // namespace Ui
