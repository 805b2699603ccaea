#pragma once

#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/randomwalkdopingdialog.h"

namespace Ui {
namespace Observers {

// Runs the random-walk doping dialog for the operation in progress.
using RandomWalkDopingObserver = OptionsObserver<Core::Operations::RandomWalkDopingOperation, Operations::RandomWalkDopingDialog>;

} // namespace Observers
} // namespace Ui
