#pragma once

#include "Core/Processes/parameterset.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

namespace Ui {
namespace Operations {

// An options dialog of a described process: it fills the process's ParameterSet, and
// takes its values from a list step's parameters when it edits one.
class ProcessDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;

    // The values the dialog holds, by field key.
    virtual void writeValues(Core::Processes::ParameterSet &values) const = 0;
    // Sets the fields from process-list parameters; absent keys leave them as they are.
    virtual void preset(const QMap<QString, QVariant> &parameters) = 0;
};

} // namespace Operations
} // namespace Ui
