#pragma once

#include "Core/Operations/Electrodeposition/electrodepositionoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/electrodepositiondialog.h"

namespace Ui {
namespace Observers {

// Runs the electroplating dialog for the operation in progress.
using ElectrodepositionObserver = OptionsObserver<Core::Operations::ElectrodepositionOperation, Operations::ElectrodepositionDialog>;

} // namespace Observers
} // namespace Ui
