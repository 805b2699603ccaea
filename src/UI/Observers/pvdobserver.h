#pragma once

#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/pvdoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the PVD options dialog for the operation in progress.
using PVDObserver = OptionsObserver<Core::Operations::SimplePhysicalVaporDepositionOperation, Operations::PVDOptionsDialog>;

} // namespace Observers
} // namespace Ui
