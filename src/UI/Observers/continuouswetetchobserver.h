#pragma once

#include "Core/Operations/ContinuousWetEtching/continuouswetetchoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/wetetchdialog.h"

namespace Ui {
namespace Observers {

// Runs the wet etching dialog for the continuous silicon wet etch in progress.
using ContinuousWetEtchObserver =
    OptionsObserver<Core::Operations::ContinuousWetEtchOperation, Operations::WetEtchDialog>;

} // namespace Observers
} // namespace Ui
