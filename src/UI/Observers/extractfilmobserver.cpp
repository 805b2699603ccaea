#include "UI/Observers/extractfilmobserver.h"

#include "Core/Operations/ObjectBuilding/extractfilm.h"
#include "UI/Operations/extractfilmdialog.h"

namespace Ui {
namespace Observers {

void ExtractFilmObserver::update()
{
    const auto operation = current<Core::Operations::ExtractFilm>();
    if (!operation)
        return;
    Operations::ExtractFilmDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterialId(dialog.getMaterialId());
    operation->setFlip(dialog.getFlip());
}

} // namespace Observers
} // namespace Ui
