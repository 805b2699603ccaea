#pragma once

#include "UI/Operations/filmoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Operations {

// The options dialog of a described process: the dialog of its own layout where the
// process has one, else the form built from its fields. `volumeFacts` tells it of the
// volume it works on (Core::Processes::VolumeFacts); what it does not say the dialog
// does without.
std::unique_ptr<ProcessDialog> makeProcessDialog(const Core::Processes::ProcessDescriptor &process,
                                                     QWidget *parent,
                                                     const Core::Processes::ParameterSet &volumeFacts = {});

} // namespace Operations
} // namespace Ui
