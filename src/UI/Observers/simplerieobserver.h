#pragma once

#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetchingoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/simpleriedialog.h"

namespace Ui {
namespace Observers {

// Runs the Simple RIE options dialog for the operation in progress.
using SimpleRIEObserver = OptionsObserver<Core::Operations::SimpleReactiveIonEtchingOperation, Operations::SimpleRIEDialog>;

} // namespace Observers
} // namespace Ui
