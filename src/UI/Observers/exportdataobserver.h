#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Offers the chosen volume's data fields; an accepted dialog hands the file name and the
// field's name to the export.
class ExportDataObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
