#pragma once

#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetchingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/isotropicetchingdialog.h"

namespace Ui {
namespace Observers {

// Runs the isotropic etching dialog for the operation in progress.
using IsotropicFilmEtchingObserver = OptionsObserver<Core::Operations::IsotropicFilmEtchingOperation, Operations::IsotropicEtchingDialog>;

} // namespace Observers
} // namespace Ui
