#include "Core/BatchRun/photolithographystep.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/Photolithography/photolithography.h"

#include <QtDebug>
#include <limits>

namespace Ui {

using Core::Operations::Mask;

namespace {

bool toMask(const MaskBitmap &bytes, uint32_t width, uint32_t height, Mask *mask)
{
    constexpr uint32_t largest = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    if (width > largest || height > largest)
        return false;
    std::vector<bool> bits(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        bits[i] = bytes[i] != 0;
    *mask = Mask(std::move(bits), static_cast<int32_t>(width), static_cast<int32_t>(height));
    return true;
}

} // namespace

int32_t runPhotolithographyStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const uint32_t material = read.toUInt(QStringLiteral("Material_Id"));
    const MaskBitmap top = read.toMask(QStringLiteral("Top Mask"));
    const uint32_t topHeight = read.toUInt(QStringLiteral("Top Mask Height"));
    const uint32_t topWidth = read.toUInt(QStringLiteral("Top Mask Width"));
    const MaskBitmap bottom = read.toMask(QStringLiteral("Bottom Mask"));
    const uint32_t bottomHeight = read.toUInt(QStringLiteral("Bottom Mask Height"));
    const uint32_t bottomWidth = read.toUInt(QStringLiteral("Bottom Mask Width"));
    if (read.result() != 0)
        return read.result();

    Mask topMask, bottomMask;
    if (!toMask(top, topWidth, topHeight, &topMask) || !toMask(bottom, bottomWidth, bottomHeight, &bottomMask)) {
        return rejectStep(step, QStringLiteral("a mask size exceeds 2147483647"));
    }
    if (StepParameters::checkOnly())
        return 0;
    if (!topMask.isConsistent())
        qWarning().noquote() << step.getProcessName() << ": the top mask does not hold width x height bits; it is ignored";
    if (!bottomMask.isConsistent())
        qWarning().noquote() << step.getProcessName() << ": the bottom mask does not hold width x height bits; it is ignored";

    Core::Operations::Photolithography(environment.volume.get(), material, bottomMask, topMask).run();
    environment.markLatticeStale(material);
    return 0;
}

} // namespace Ui
