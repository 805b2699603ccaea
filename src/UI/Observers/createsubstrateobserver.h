#pragma once

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/createsubstratedialog.h"

namespace Ui {
namespace Observers {

// Runs the Create Substrate dialog for the operation in progress.
using CreateSubstrateObserver = OptionsObserver<Core::Operations::CreateSubstrateOperation, Operations::CreateSubstrateDialog>;

} // namespace Observers
} // namespace Ui
