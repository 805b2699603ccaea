#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Asks which material's film to extract; an accepted dialog hands the material and the
// flip to the operation, a rejected one nothing, so nothing is extracted.
class ExtractFilmObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
