#pragma once

#include "Core/BatchRun/processdata.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QDialog;
class QWidget;

namespace Ui {

// The options dialog of one process type as the process-list editor uses it: the same
// dialog class the interactive operation shows, preset from a step's parameters and
// read back into a step's parameters.
class StepEditor
{
public:
    virtual ~StepEditor() = default;

    // The editor of a process type (0..20), or nullptr for any other number.
    // `volumeHeight` bounds the heights a step may ask for (Pour Material) and is where
    // a Planarization's maximum starts; 0 when no volume is known yet, and then the
    // dialog sets no bound of its own.
    static std::unique_ptr<StepEditor> create(int32_t processType, QWidget *parent,
                                              uint32_t volumeHeight = 0);

    // The dialog to run modally.
    virtual QDialog *dialog() const = 0;
    // Sets the controls from a step's parameters; absent keys leave them as they are.
    virtual void preset(const QMap<QString, QVariant> &parameters) = 0;
    // Writes the controls into `step` under the process-list names, with the visibility
    // a new step gets: what the run reads is shown except material ids; next to every
    // material id the material's name (shown) and colour (hidden) from the catalogue.
    virtual void write(Core::BatchRun::ProcessData &step) const = 0;
};

// The process-type list of the editor: the entry text and the type number, in the
// order the list shows them.
const std::vector<std::pair<QString, int32_t>> &processTypeEntries();

} // namespace Ui
