#pragma once

#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

// Runs the wet etching dialog for the atomistic silicon wet etch in progress.
using AtomicSiBCAEtchObserver =
    OptionsObserver<Core::Operations::AtomisticSiWetEtchingOperation, Operations::BCAEtchingDialog>;

} // namespace Observers
} // namespace Ui
