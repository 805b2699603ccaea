#pragma once

#include "Core/Operations/ContinuousWetEtching/continouswetetchoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

// Runs the wet etching dialog for the continuous silicon wet etch in progress.
using CCAWetEtchingObserver =
    OptionsObserver<Core::Operations::ContinousWetEtchOperation, Operations::BCAEtchingDialog>;

} // namespace Observers
} // namespace Ui
