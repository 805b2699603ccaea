#pragma once

#include "UI/Operations/filmoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Operations {

// The options dialog of a described process: the dialog of its own layout where the
// process has one, else the form built from its fields.
std::unique_ptr<ProcessDialog> makeProcessDialog(const Core::Processes::ProcessDescriptor &process,
                                                     QWidget *parent);

} // namespace Operations
} // namespace Ui
