// Direct cubic surface generation of the standard trench scene.

#include "benchcommon.h"

#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Materials/materialfactory.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>

namespace {

// A catalogue entry drawn translucent, for the back-to-front tree's share of the work.
constexpr uint32_t translucentSilicon = 950;

void useTranslucentSilicon(Model::Automaton::TotalVolume *volume)
{
    Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(1);
    m.id = translucentSilicon;
    m.name = QStringLiteral("Translucent Si");
    m.color[3] = 0.5f;
    Model::Materials::MaterialFactory::instance()->setMaterial(m);
    const Model::Automaton::VoxelLock lock(*volume);
    Model::Automaton::Voxel *cells = lock.voxels();
    for (size_t i = 0; i < volume->getCellCount(); ++i)
        if (cells[i].getMaterialId() == 1)
            cells[i].setMaterialId(translucentSilicon);
}

// Argument 0: the pool's thread count (0 = the machine's ideal count); argument 1: 1 to
// make the silicon translucent.
void directCubicTrench(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = BenchCommon::makeTrenchScene();
    if (state.range(1))
        useTranslucentSilicon(volume.get());
    Model::Automaton::TotalVolumePainter *painter = volume->getPainter();
    painter->regenerate();
    for (auto _ : state) {
        painter->regenerate();
        benchmark::DoNotOptimize(painter->getOpaqueFaces().data());
    }
    const auto tree = painter->getTranslucentTree();
    state.counters["faces"] = static_cast<double>(painter->getOpaqueFaces().size()
                                                  + painter->getTranslucentFaces().size());
    state.counters["tree_depth"] = tree ? static_cast<double>(tree->depth()) : 0.0;
    state.counters["threads"] = threads;
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

} // namespace

// The target case first: opaque silicon, every core.
BENCHMARK(directCubicTrench)
    ->ArgNames({"threads", "translucent"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
