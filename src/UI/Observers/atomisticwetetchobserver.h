#pragma once

#include "Core/Operations/AtomisticWetEtching/atomisticwetetchoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/wetetchdialog.h"

namespace Ui {
namespace Observers {

// Runs the wet etching dialog for the atomistic silicon wet etch in progress.
using AtomisticWetEtchObserver =
    OptionsObserver<Core::Operations::AtomisticWetEtchOperation, Operations::WetEtchDialog>;

} // namespace Observers
} // namespace Ui
