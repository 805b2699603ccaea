// Octree surface of the standard trench scene, and the particle-count field view of a
// doped block.

#include "benchcommon.h"

#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/materialclasses.h"
#include "Model/Automaton/octreesurface.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <memory>

namespace {

using Model::Automaton::SurfaceColor;

const std::map<uint32_t, SurfaceColor> &siliconColors()
{
    static const std::map<uint32_t, SurfaceColor> colors = {{0u, {0, 0, 0, 0}}, {1u, {0.5f, 0.5f, 0.6f, 1.0f}}};
    return colors;
}

void finishCounters(benchmark::State &state, int threads, size_t opaque, size_t translucent)
{
    state.counters["threads"] = threads;
    state.counters["opaque_faces"] = static_cast<double>(opaque);
    state.counters["translucent_faces"] = static_cast<double>(translucent);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

// Argument 0: the pool's thread count (0 = the machine's ideal count; the octree is
// built on the calling thread either way). Argument 1: 0 regenerates one surface over
// and over as the painter does, 1 times a fresh surface's first regeneration.
void octreeTrench(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = BenchCommon::makeTrenchScene();
    BenchCommon::resetPeakMemory();
    auto surface = std::make_unique<Model::Automaton::OctreeSurface>(volume.get());
    const Model::Automaton::OctreeSurface::CellCorner min{0, 0, 0};
    const Model::Automaton::OctreeSurface::CellCorner max{
        static_cast<int32_t>(BenchCommon::trenchSizeX), static_cast<int32_t>(BenchCommon::trenchSizeY),
        static_cast<int32_t>(BenchCommon::trenchSizeZ)};
    for (auto _ : state) {
        if (state.range(1)) {
            state.PauseTiming();
            surface = std::make_unique<Model::Automaton::OctreeSurface>(volume.get());
            state.ResumeTiming();
        }
        surface->regenerate(min, max, siliconColors());
        benchmark::DoNotOptimize(surface->opaqueFaces().data());
    }
    state.counters["nodes"] = static_cast<double>(surface->nodeCount());
    finishCounters(state, threads, surface->opaqueFaces().size(), surface->translucentFaces().size());
}

// A 128 x 128 x 64 silicon block, 48 layers deep, implanted through a window in the
// middle: N counts fall off as a Gaussian below the top surface inside the window, on
// a uniform P background; the counts are spread over the seven slots.
constexpr uint32_t dopedX = 128, dopedY = 128, dopedZ = 64, dopedTop = 48;

std::shared_ptr<Model::Automaton::TotalVolume> makeDopedBlock()
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(dopedX, dopedY, dopedZ, 1.0f, 1.0f, 1.0f,
                                                                  Util::Vector3D());
    int32_t *n = volume->createParticleField(Model::Automaton::FieldPainter::fieldNameN);
    int32_t *p = volume->createParticleField(Model::Automaton::FieldPainter::fieldNameP);
    Model::Automaton::VoxelLock cells(*volume);
    constexpr size_t slotCount = Model::Automaton::TotalVolume::particleFieldSlots;
    for (uint32_t x = 0; x < dopedX; ++x)
        for (uint32_t y = 0; y < dopedY; ++y)
            for (uint32_t z = 0; z < dopedTop; ++z) {
                const size_t i = volume->index(x, y, z);
                cells[i].setMaterialId(1);
                const bool window = x >= 32 && x < 96 && y >= 32 && y < 96;
                const double depth = static_cast<double>(dopedTop - 1 - z);
                const int32_t donors =
                    window ? static_cast<int32_t>(std::lround(700.0 * std::exp(-depth * depth / 128.0))) : 0;
                for (size_t s = 0; s < slotCount; ++s) {
                    n[i * slotCount + s] = donors / 7 + (s < static_cast<size_t>(donors % 7) ? 1 : 0);
                    p[i * slotCount + s] = s == 0 ? 20 : 5;
                }
            }
    return volume;
}

// Argument 0: the pool's thread count; argument 1: the distribution (0 N, 1 P, 2 P - N).
void fieldView(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = makeDopedBlock();
    BenchCommon::resetPeakMemory();
    Model::Automaton::FieldPainter painter(volume.get());
    painter.setDistribution(static_cast<int32_t>(state.range(1)));
    painter.colorScale().setType(1);
    const Model::Automaton::MaterialClasses classes(siliconColors(), {0.5f, 0.5f, 0.5f, 1.0f});
    const Model::Automaton::FieldPainter::CellCorner min{0, 0, 0};
    const Model::Automaton::FieldPainter::CellCorner max{dopedX, dopedY, dopedZ};
    for (auto _ : state) {
        painter.regenerate(min, max, classes);
        benchmark::DoNotOptimize(painter.opaqueFaces().data());
    }
    state.counters["minimum"] = painter.colorScale().getMinimum();
    state.counters["maximum"] = painter.colorScale().getMaximum();
    finishCounters(state, threads, painter.opaqueFaces().size(), painter.translucentFaces().size());
}

} // namespace

BENCHMARK(octreeTrench)
    ->ArgNames({"threads", "fresh"})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Apply(BenchCommon::timedRuns);

BENCHMARK(fieldView)
    ->ArgNames({"threads", "distribution"})
    ->Args({2, 0})
    ->Args({2, 2})
    ->Args({1, 0})
    ->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
