// Masks from a GDSII layout: 10,000 polygons (random quadrilaterals and octagons of 2 to
// 12 microns, a third of them inside a 10 x 10 array reference) on one layer, onto
// 512 x 512 columns at 1 cell per micron. The layout is written once by python3-gdspy,
// outside the timing. gdsMaskFromFile times reading, flattening and rasterising;
// gdsMaskRasterise only the rasterising of the flattened layout. peak_MiB is the
// process's peak resident memory during that benchmark alone. gdsArrayBombRefused times the
// refusal of a 258-byte layout holding an array of 1000 x 20000 instances, which must be
// counted, not expanded.

#include "benchcommon.h"

#include "../tests/common/gdsbytes.h"
#include "../tests/common/gdswriter.h"
#include "Core/Operations/Photolithography/gdsmask.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

using Core::Operations::GdsLayout;
using Core::Operations::GdsMask;
using Core::Operations::GdsMaskPlacement;
using Core::Operations::Mask;

constexpr int32_t columns = 512;

const QString &layoutFile()
{
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString name = dir.filePath(QStringLiteral("layout.gds"));
        const QString error = GdsWriter::write(name, QStringLiteral(R"(
import random, math
random.seed(18)
def shape(x, y, size, octagon):
    if octagon:
        return gdspy.Polygon([(x + size * math.cos(k * math.pi / 4), y + size * math.sin(k * math.pi / 4)) for k in range(8)], layer=1)
    return gdspy.Polygon([(x, y), (x + size, y + size / 3), (x + size / 2, y + size), (x - size / 4, y + size / 2)], layer=1)
unit = gdspy.Cell('UNIT')
for k in range(34):
    unit.add(shape(random.uniform(0, 48), random.uniform(0, 48), random.uniform(2, 6), k % 2 == 0))
top = gdspy.Cell('TOP')
for k in range(10000 - 3400):
    top.add(shape(random.uniform(0, 500), random.uniform(0, 500), random.uniform(2, 12), k % 3 == 0))
top.add(gdspy.CellArray(unit, 10, 10, (51, 51), (0, 0)))
lib.add(unit)
lib.add(top)
lib.write_gds(out)
)"));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
        return name;
    }();
    return file;
}

void report(benchmark::State &state, const Mask &mask)
{
    size_t opaque = 0;
    for (bool bit : mask.getBits())
        opaque += bit;
    state.counters["opaque"] = static_cast<double>(opaque);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

void gdsMaskFromFile(benchmark::State &state)
{
    const QString file = layoutFile();
    GdsMaskPlacement placement;
    placement.layer = 1;
    BenchCommon::resetPeakMemory();
    Mask mask;
    for (auto _ : state) {
        QString reason;
        if (!GdsMask::fromFile(file, placement, columns, columns, &mask, &reason))
            state.SkipWithError(qPrintable(reason));
    }
    report(state, mask);
}

void gdsMaskRasterise(benchmark::State &state)
{
    GdsLayout layout;
    if (!GdsLayout::read(layoutFile(), QString(), &layout)) {
        state.SkipWithError("layout not read");
        return;
    }
    state.counters["polygons"] = static_cast<double>(layout.polygons(1).size());
    GdsMaskPlacement placement;
    placement.layer = 1;
    BenchCommon::resetPeakMemory();
    Mask mask;
    for (auto _ : state)
        GdsMask::fromLayout(layout, placement, columns, columns, &mask);
    report(state, mask);
}

void gdsArrayBombRefused(benchmark::State &state)
{
    const GdsBytes bomb = arrayBomb();
    BenchCommon::resetPeakMemory();
    for (auto _ : state) {
        GdsLayout layout;
        QString reason;
        if (GdsLayout::fromBytes(bomb.bytes, QString(), &layout, &reason))
            state.SkipWithError("the array bomb was read");
    }
    state.counters["bytes"] = static_cast<double>(bomb.bytes.size());
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

} // namespace

BENCHMARK(gdsArrayBombRefused)->Apply(BenchCommon::timedRuns);
BENCHMARK(gdsMaskFromFile)->Apply(BenchCommon::timedRuns);
BENCHMARK(gdsMaskRasterise)->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
