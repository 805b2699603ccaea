#include "UI/Operations/processdialogs.h"

#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/Operations/wetetchdialog.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"
#include "UI/Operations/simpleriedialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

#include <optional>

namespace Ui {
namespace Operations {

std::unique_ptr<ProcessDialog> makeProcessDialog(const Core::Processes::ProcessDescriptor &process,
                                                     QWidget *parent,
                                                     const Core::Processes::ParameterSet &volumeFacts)
{
    using Core::Processes::VolumeFacts::height;
    using Core::Processes::VolumeFacts::materialTop;
    switch (process.batchType) {
    case 6:
        // The heights are bounded by the volume's.
        return std::make_unique<PlanarizationOptionsDialog>(volumeFacts.count(height), parent);
    case 8:
        // A doping step may name its dopant as the deposited material.
        return std::make_unique<DopingOptionsDialog>(parent);
    case 14:
        return std::make_unique<IonImplantationOptionsDialog>(parent);
    case 9: {
        // The height reaches up to the top of the volume, beside the top of its material.
        std::optional<uint32_t> top;
        if (volumeFacts.has(materialTop))
            top = volumeFacts.count(materialTop);
        return std::make_unique<SpinCoatingOptionsDialog>(volumeFacts.count(height), top, parent);
    }
    case 12:
        // PVD's side is a group of radio buttons.
        return std::make_unique<PVDOptionsDialog>(parent);
    case 1:
    case 20:
        // Both silicon wet etches: one depth in a row of its own, with a monolayer's step.
        return std::make_unique<WetEtchDialog>(parent);
    case 13:
        // The etch directions are check boxes.
        return std::make_unique<SimpleRIEDialog>(parent);
    case 15:
        // The oxide is given by its thickness or by time, temperature and pressure.
        return std::make_unique<SimpleOxidationOptionsDialog>(parent);
    default:
        return std::make_unique<FilmOptionsDialog>(process, parent);
    }
}

} // namespace Operations
} // namespace Ui
