#include "UI/Observers/processoptionsobserver.h"

#include "Core/Processes/describedprocessoperation.h"
#include "UI/Operations/processdialogs.h"

namespace Ui {
namespace Observers {

void ProcessOptionsObserver::update()
{
    const auto operation = current<Core::Processes::DescribedProcessOperation>();
    if (!operation)
        return;
    const std::unique_ptr<Operations::ProcessDialog> dialog =
        Operations::makeProcessDialog(operation->getProcess(), mainWindow, operation->getVolumeFacts());
    if (dialog->exec() != QDialog::Accepted)
        return;
    Core::Processes::ParameterSet values;
    dialog->writeValues(values);
    operation->setParameters(values);
}

} // namespace Observers
} // namespace Ui
