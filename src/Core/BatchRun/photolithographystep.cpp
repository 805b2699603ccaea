#include "Core/BatchRun/photolithographystep.h"

#include "Core/Processes/processregistry.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/Photolithography/gdsmask.h"
#include "Core/Operations/Photolithography/photolithography.h"

#include <QFileInfo>
#include <QtDebug>
#include <cmath>
#include <limits>

namespace Core {
namespace BatchRun {

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

// One side's mask as the step names it: a layout to rasterise at run time, or the
// stored bits with their size.
struct MaskSource
{
    QString layout; // as written in the list; empty: the stored bits
    Core::Operations::GdsMaskPlacement placement;
    MaskBitmap bits;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Reads "<side> Mask Layout" and its placement when the step names a layout, else the
// stored bits. Only the layout and its layer are needed; the rest have the defaults of
// the mask box (every datatype, every top-level structure, 1 cell per micron, no offset).
void readMask(StepParameters &read, const ProcessData &step, const QString &side, MaskSource *source)
{
    const QString prefix = side + QStringLiteral(" Mask");
    const QString layoutKey = prefix + QStringLiteral(" Layout");
    if (step.hasParameter(layoutKey))
        source->layout = read.toString(layoutKey).trimmed();
    if (source->layout.isEmpty()) {
        source->bits = read.toMask(prefix);
        source->height = read.toUInt(prefix + QStringLiteral(" Height"));
        source->width = read.toUInt(prefix + QStringLiteral(" Width"));
        return;
    }
    Core::Operations::GdsMaskPlacement &p = source->placement;
    p.layer = read.toInt(prefix + QStringLiteral(" Layer"));
    const auto optional = [&step, &prefix](const char *suffix) {
        const QString key = prefix + QLatin1String(suffix);
        return step.hasParameter(key) ? key : QString();
    };
    QString key;
    if (!(key = optional(" Datatype")).isEmpty())
        p.datatype = read.toInt(key);
    if (!(key = optional(" Top Cell")).isEmpty())
        p.topCell = read.toString(key).trimmed();
    if (!(key = optional(" Scale")).isEmpty())
        p.cellsPerMicron = read.toDouble(key);
    if (!(key = optional(" Offset X")).isEmpty())
        p.offsetX = read.toDouble(key);
    if (!(key = optional(" Offset Y")).isEmpty())
        p.offsetY = read.toDouble(key);
}

// Why a layout's placement cannot be used, or empty. The offsets are bounded as in the
// mask box, far beyond any volume, so that no sum with them overflows.
QString placementProblem(const QString &side, const Core::Operations::GdsMaskPlacement &p)
{
    constexpr double largestOffset = 1.0e7;
    const QString prefix = side + QStringLiteral(" Mask ");
    if (p.layer < 0 || p.layer > 65535)
        return prefix + QStringLiteral("Layer must be a layer number from 0 to 65535");
    if (p.datatype < -1 || p.datatype > 65535)
        return prefix + QStringLiteral("Datatype must be -1 (every datatype) or a datatype from 0 to 65535");
    if (!std::isfinite(p.cellsPerMicron) || p.cellsPerMicron <= 0.0 ||
        p.cellsPerMicron > Core::Operations::GdsMask::maxCellsPerMicron)
        return prefix + QStringLiteral("Scale must be a number of cells per micron above 0 and at most %1")
                            .arg(Core::Operations::GdsMask::maxCellsPerMicron, 0, 'g', 6);
    for (const double offset : {p.offsetX, p.offsetY})
        if (!std::isfinite(offset) || std::abs(offset) > largestOffset)
            return prefix + QStringLiteral("Offset X and Y must be numbers of cells from -%1 to %1")
                                .arg(largestOffset, 0, 'g', 6);
    return QString();
}

// Checks a side's layout without reading it (the file must be there and readable), or
// rasterises it onto the volume's columns. Returns 0 or the step's result.
int32_t layoutMask(const StepEnvironment &environment, const ProcessData &step, const QString &side,
                   const MaskSource &source, Core::Operations::Mask *mask)
{
    const QString problem = placementProblem(side, source.placement);
    if (!problem.isEmpty())
        return rejectStep(step, problem);
    const QString path = environment.resolvePath(source.layout);
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        return rejectStep(step, QStringLiteral("the %1 mask layout %2 cannot be read: %3")
                                    .arg(side.toLower(), path,
                                         file.exists() ? QStringLiteral("it is no readable file")
                                                       : QStringLiteral("no such file")));
    }
    if (StepParameters::checkOnly())
        return 0;
    const Model::Automaton::TotalVolume &volume = *environment.volume;
    QString reason;
    if (!Core::Operations::GdsMask::fromFile(path, source.placement, static_cast<int32_t>(volume.getSizeX()),
                                             static_cast<int32_t>(volume.getSizeY()), mask, &reason)) {
        return rejectStep(step, QStringLiteral("the %1 mask layout %2 cannot be used: %3")
                                    .arg(side.toLower(), path, reason));
    }
    return 0;
}

} // namespace

int32_t runPhotolithographyStep(StepEnvironment &environment, const ProcessData &step)
{
    const Processes::ProcessDescriptor &process = *Processes::ProcessRegistry::instance().byBatchType(0);
    StepParameters read(step);
    const uint32_t material = read.toUInt(process.field(QStringLiteral("Material"))->listKey());
    MaskSource top, bottom;
    readMask(read, step, QStringLiteral("Top"), &top);
    readMask(read, step, QStringLiteral("Bottom"), &bottom);
    if (read.result() != 0)
        return read.result();

    // A named layout replaces the stored bits, which stay in the list for readers that
    // know no layouts; the volume's size is known only now, so it is rasterised here.
    Mask topMask, bottomMask;
    if ((top.layout.isEmpty() && !toMask(top.bits, top.width, top.height, &topMask)) ||
        (bottom.layout.isEmpty() && !toMask(bottom.bits, bottom.width, bottom.height, &bottomMask))) {
        return rejectStep(step, QStringLiteral("a mask size exceeds 2147483647"));
    }
    struct Side
    {
        QString name;
        const MaskSource *source;
        Mask *mask;
    };
    const Side sides[] = {{QStringLiteral("Top"), &top, &topMask}, {QStringLiteral("Bottom"), &bottom, &bottomMask}};
    for (const Side &side : sides) {
        if (side.source->layout.isEmpty())
            continue;
        const int32_t result = layoutMask(environment, step, side.name, *side.source, side.mask);
        if (result != 0)
            return result;
    }
    if (StepParameters::checkOnly())
        return 0;
    if (!topMask.isConsistent())
        qWarning().noquote() << step.getProcessName() << ": the top mask does not hold width x height bits; it is ignored";
    if (!bottomMask.isConsistent())
        qWarning().noquote() << step.getProcessName() << ": the bottom mask does not hold width x height bits; it is ignored";

    const Processes::ParameterSet values{{QStringLiteral("Material"), material},
                                         {QStringLiteral("Top Mask"), QVariant::fromValue(topMask)},
                                         {QStringLiteral("Bottom Mask"), QVariant::fromValue(bottomMask)}};
    Processes::ProcessTarget target{*environment.volume, environment.latticeStale, environment.listFolder};
    process.run(target, values);
    if (process.writesSilicon(values))
        environment.markLatticeStale();
    return 0;
}

} // namespace BatchRun
} // namespace Core
