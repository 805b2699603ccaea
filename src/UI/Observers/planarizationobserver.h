#pragma once

#include "Core/Operations/Planarization/planarizationoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/planarizationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the planarization options dialog for the operation in progress.
using PlanarizationObserver = OptionsObserver<Core::Operations::PlanarizationOperation, Operations::PlanarizationOptionsDialog>;

} // namespace Observers
} // namespace Ui
