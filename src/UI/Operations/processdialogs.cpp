#include "UI/Operations/processdialogs.h"

#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/Operations/wetetchdialog.h"

namespace Ui {
namespace Operations {

std::unique_ptr<ProcessDialog> makeProcessDialog(const Core::Processes::ProcessDescriptor &process,
                                                     QWidget *parent)
{
    // PVD's side is a group of radio buttons.
    if (process.batchType == 12)
        return std::make_unique<PVDOptionsDialog>(parent);
    // Both silicon wet etches: one depth in a row of its own, with a monolayer's step.
    if (process.batchType == 1 || process.batchType == 20)
        return std::make_unique<WetEtchDialog>(parent);
    return std::make_unique<FilmOptionsDialog>(process, parent);
}

} // namespace Operations
} // namespace Ui
