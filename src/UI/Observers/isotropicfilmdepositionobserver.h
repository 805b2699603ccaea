#pragma once

#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdepositionoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/isotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

// Runs the isotropic deposition dialog for the operation in progress; its third constructor
// argument is the catalogue process whose materials it lists (18 for "Isotropic
// Deposition", 3 for "CVD").
using IsotropicFilmDepositionObserver = OptionsObserver<Core::Operations::IsotropicFilmDepositionOperation, Operations::IsotropicDepositionDialog>;

} // namespace Observers
} // namespace Ui
