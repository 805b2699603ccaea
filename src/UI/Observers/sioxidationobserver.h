#pragma once

#include "Core/Operations/SiOxidation/simplesioxidationoperation.h"
#include "UI/Observers/optionsobserver.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Runs the silicon oxidation dialog for the operation in progress.
using SiOxidationObserver =
    OptionsObserver<Core::Operations::SimpleSiOxidationOperation, Operations::SimpleOxidationOptionsDialog>;

} // namespace Observers
} // namespace Ui
