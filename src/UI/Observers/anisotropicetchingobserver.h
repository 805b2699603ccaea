#pragma once

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/anisotropicetchingdialog.h"

namespace Ui {
namespace Observers {

// Runs the anisotropic etching dialog for the operation in progress.
using AnisotropicEtchingObserver = OptionsObserver<Core::Operations::AnisotropicFilmEtchingOperation, Operations::AnisotropicEtchingDialog>;

} // namespace Observers
} // namespace Ui
