#include "UI/Operations/processdialogs.h"

#include "UI/Operations/pvdoptionsdialog.h"

namespace Ui {
namespace Operations {

std::unique_ptr<FilmOptionsDialog> makeProcessDialog(const Core::Processes::ProcessDescriptor &process,
                                                     QWidget *parent)
{
    // PVD's side is a group of radio buttons.
    if (process.batchType == 12)
        return std::make_unique<PVDOptionsDialog>(parent);
    return std::make_unique<FilmOptionsDialog>(process, parent);
}

} // namespace Operations
} // namespace Ui
