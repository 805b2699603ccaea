#pragma once

#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdepositionoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/anisotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

// Runs the anisotropic deposition dialog for the operation in progress.
using AnisotropicDepositionObserver = OptionsObserver<Core::Operations::AnisotropicFilmDepositionOperation, Operations::AnisotropicDepositionDialog>;

} // namespace Observers
} // namespace Ui
