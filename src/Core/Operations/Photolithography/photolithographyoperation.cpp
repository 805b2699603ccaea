#include "Core/Operations/Photolithography/photolithographyoperation.h"

#include "Core/Processes/processregistry.h"

#include "Core/Operations/Photolithography/photolithography.h"

namespace Core {
namespace Operations {

PhotolithographyOperation::PhotolithographyOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Photolithography", 20, QStringLiteral("Photolithography"))
{
}

void PhotolithographyOperation::setTopMask(const std::vector<bool> &bits, int32_t width, int32_t height)
{
    setTopMask(Mask(bits, width, height));
}

void PhotolithographyOperation::setBottomMask(const std::vector<bool> &bits, int32_t width, int32_t height)
{
    setBottomMask(Mask(bits, width, height));
}

void PhotolithographyOperation::setTopMask(const Mask &mask)
{
    topMask = mask;
    if (volume) {
        volume->setTopMask(mask.getBits(), mask.getWidth(), mask.getHeight());
        overlayShown = true;
        context.notifyUpdate();
    }
}

void PhotolithographyOperation::setBottomMask(const Mask &mask)
{
    bottomMask = mask;
    if (volume) {
        volume->setBottomMask(mask.getBits(), mask.getWidth(), mask.getHeight());
        overlayShown = true;
        context.notifyUpdate();
    }
}

void PhotolithographyOperation::process()
{
    const Processes::ProcessDescriptor &process = *Processes::ProcessRegistry::instance().byOperation(20);
    Processes::ProcessTarget target{*volume, context.latticeStale, QString()};
    process.run(target, Processes::ParameterSet{{QStringLiteral("Material"), *material},
                                                {QStringLiteral("Top Mask"), QVariant::fromValue(topMask)},
                                                {QStringLiteral("Bottom Mask"), QVariant::fromValue(bottomMask)}});
    clearOverlays();
}

void PhotolithographyOperation::cancel()
{
    // A mask applied in a dialog that was then rejected must not stay on the volume.
    if (overlayShown)
        clearOverlays();
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

void PhotolithographyOperation::clearOverlays()
{
    if (!volume)
        return;
    volume->setTopMask({}, 0, 0);
    volume->setBottomMask({}, 0, 0);
    overlayShown = false;
}

} // namespace Operations
} // namespace Core
