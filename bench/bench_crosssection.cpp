// Cross-section pictures. trenchSideView and trenchTopView draw the cuts y = 128 (256 x
// 128 cells, 3 pixels per cell) and z = 30 (256 x 256 cells, through the trenches) of
// the standard trench scene; largeTopView draws a 1536 x 1536 cut (one pixel per cell)
// of a 1536 x 1536 x 2 volume. Each reads the cells and draws the picture; the *Png
// variants also write it as PNG, as kelvane-batch --section does.

#include "benchcommon.h"

#include "Core/Operations/CrossSection/crosssectionimage.h"
#include "Model/Materials/materialfactory.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using Core::Operations::CrossSectionImage;
using Core::Operations::SectionPlane;
using Model::Automaton::TotalVolume;

void draw(benchmark::State &state, TotalVolume &volume, SectionPlane plane, bool writePng)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath("section.png");
    BenchCommon::resetPeakMemory();
    QSize size;
    for (auto _ : state) {
        const CrossSectionImage section(volume, plane);
        if (writePng) {
            QString error;
            if (!section.save(fileName, &error))
                state.SkipWithError(error.toLocal8Bit().constData());
        } else {
            const QImage image = section.render();
            size = image.size();
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    if (!writePng)
        state.counters["pixels_M"] = size.width() * size.height() / 1e6;
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

void trenchSideView(benchmark::State &state)
{
    const auto volume = BenchCommon::makeTrenchScene();
    draw(state, *volume, SectionPlane{1, 128}, state.range(0) != 0);
}

void trenchTopView(benchmark::State &state)
{
    const auto volume = BenchCommon::makeTrenchScene();
    draw(state, *volume, SectionPlane{2, 30}, state.range(0) != 0);
}

void largeTopView(benchmark::State &state)
{
    constexpr uint32_t side = 1536;
    TotalVolume volume(side, side, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    {
        Model::Automaton::VoxelLock cells(volume);
        for (uint32_t x = 0; x < side; ++x)
            for (uint32_t y = 0; y < side; ++y)
                cells[volume.index(x, y, 0)].setMaterialId((x / 64 + y / 64) % 2 ? 1 : 3);
    }
    draw(state, volume, SectionPlane{2, 0}, state.range(0) != 0);
}

} // namespace

BENCHMARK(trenchSideView)->ArgName("png")->Arg(0)->Arg(1)->Apply(BenchCommon::timedRuns);
BENCHMARK(trenchTopView)->ArgName("png")->Arg(0)->Arg(1)->Apply(BenchCommon::timedRuns);
BENCHMARK(largeTopView)->ArgName("png")->Arg(0)->Arg(1)->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    // The picture's text needs the GUI library's fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Model::Materials::MaterialFactory::instance();
    return BenchCommon::runAll(argc, argv);
}
