#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"

#include "Core/Operations/Visualization/changetotalvolumevisualizationoptions.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/changevolumevisualizationdialog.h"

#include <algorithm>

namespace Ui {
namespace Observers {

void ChangeTotalVolumeViewOptionsObserver::update()
{
    const auto operation = current<Core::Operations::ChangeTotalVolumeVisualizationOptions>();
    if (!operation)
        return;
    Operations::ChangeVolumeVisualizationDialog dialog(mainWindow, operation->getOptions());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto materials = Model::Materials::MaterialFactory::instance();
    for (const auto &entry : dialog.colours()) {
        Model::Materials::Material m = materials->getMaterial(entry.first);
        if (m.id != entry.first || std::equal(entry.second.begin(), entry.second.end(), m.color))
            continue;
        std::copy(entry.second.begin(), entry.second.end(), m.color);
        materials->setMaterial(m);
    }
    operation->setOptions(dialog.options());
}

} // namespace Observers
} // namespace Ui
