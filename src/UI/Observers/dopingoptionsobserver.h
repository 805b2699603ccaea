#pragma once

#include "Core/Operations/DopingOperation/dopingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/dopingoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the simple doping dialog for the operation in progress.
using DopingOptionsObserver = OptionsObserver<Core::Operations::DopingOperation, Operations::DopingOptionsDialog>;

} // namespace Observers
} // namespace Ui
