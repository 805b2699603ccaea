// Photolithography and masked cuts on a 512 x 512 x 64 volume: silicon in z 0..29, one
// layer of positive resist (material 11) at z = 30, empty above, under a 512 x 512 mask
// of 16-pixel squares in a checkerboard. Each development starts from the untouched
// resist layer (restored outside the timing); construction (the column grids) is timed
// with the run. Also: reading a mask from a 512 x 512 image, and a masked cut with its
// undo. peak_MiB is the process's peak resident memory during that benchmark alone.

#include "benchcommon.h"

#include "Core/Operations/MaskedCut/cutcellvolume.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/Photolithography/photolithography.h"

#include <QImage>
#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>

using BenchCommon::resetPeakMemory;
using BenchCommon::useThreads;

namespace {

using Core::Operations::Mask;
using Model::Automaton::TotalVolume;

constexpr uint32_t size = 512;
constexpr uint32_t height = 64;
constexpr uint32_t resistLayer = 30;
constexpr uint32_t resist = 11;

std::shared_ptr<TotalVolume> makeScene()
{
    auto volume = std::make_shared<TotalVolume>(size, size, height, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < size; ++x)
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t z = 0; z <= resistLayer; ++z)
                cells[volume->index(x, y, z)].setMaterialId(z < resistLayer ? 1 : resist);
    return volume;
}

void restoreResist(TotalVolume *volume)
{
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < size; ++x)
        for (uint32_t y = 0; y < size; ++y)
            cells[volume->index(x, y, resistLayer)].setMaterialId(resist);
}

QImage checkerboard()
{
    QImage image(size, size, QImage::Format_RGB32);
    for (uint32_t r = 0; r < size; ++r)
        for (uint32_t i = 0; i < size; ++i)
            image.setPixel(int(i), int(r), ((i / 16 + r / 16) % 2 == 0) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

void finish(benchmark::State &state, int threads, const TotalVolume &volume)
{
    state.counters["threads"] = threads;
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    state.counters["cell_MiB"] = static_cast<double>(volume.getCellCount() * sizeof(Model::Automaton::Voxel)) / (1024.0 * 1024.0);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void photolithography(benchmark::State &state)
{
    const int threads = useThreads(state);
    const auto volume = makeScene();
    const Mask top = Mask::fromImage(checkerboard());
    resetPeakMemory();
    size_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreResist(volume.get());
        state.ResumeTiming();
        Core::Operations::Photolithography(volume.get(), resist, Mask(), top).run();
        state.PauseTiming();
        kept = 0;
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (uint32_t x = 0; x < size; ++x)
                for (uint32_t y = 0; y < size; ++y)
                    kept += cells[volume->index(x, y, resistLayer)].getMaterialId() == resist;
        }
        state.ResumeTiming();
    }
    state.counters["resist_kept"] = static_cast<double>(kept);
    finish(state, threads, *volume);
}

void maskFromImage(benchmark::State &state)
{
    const QImage image = checkerboard();
    resetPeakMemory();
    size_t opaque = 0;
    for (auto _ : state) {
        const Mask mask = Mask::fromImage(image);
        opaque = static_cast<size_t>(std::count(mask.getBits().begin(), mask.getBits().end(), true));
        benchmark::DoNotOptimize(opaque);
    }
    state.counters["opaque"] = static_cast<double>(opaque);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

// A cut through the checkerboard and its undo.
void maskedCutAndUndo(benchmark::State &state)
{
    const int threads = useThreads(state);
    const auto volume = makeScene();
    const Mask mask = Mask::fromImage(checkerboard());
    resetPeakMemory();
    for (auto _ : state) {
        Core::Operations::CutCellVolume cut(volume.get(), mask);
        cut.cut();
        cut.uncut();
    }
    finish(state, threads, *volume);
}

} // namespace

BENCHMARK(photolithography)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(maskFromImage)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(maskedCutAndUndo)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
