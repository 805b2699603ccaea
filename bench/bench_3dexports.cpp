// The 3-D exports of the standard trench scene: VTK image data (.vti, every cell's
// material id) and the binary STL of its direct cubic surface, in one file and one per
// material, and of its marching-cubes surface. Each iteration writes the whole file,
// the surface's generation included; file_MB is the size of what was written.

#include "benchcommon.h"

#include "Core/Operations/ExportData/stlsurfacewriter.h"
#include "Core/Operations/ExportData/vtkimagedatawriter.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using Core::Operations::StlSurfaceWriter;

void finish(benchmark::State &state, const QStringList &files, int threads)
{
    qint64 bytes = 0;
    for (const QString &f : files)
        bytes += QFileInfo(f).size();
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["files"] = files.size();
    state.counters["threads"] = threads;
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void trenchToVti(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = BenchCommon::makeTrenchScene();
    QTemporaryDir dir;
    const QString fileName = dir.filePath("trench.vti");
    BenchCommon::resetPeakMemory();
    for (auto _ : state) {
        QString error;
        if (!Core::Operations::VtkImageDataWriter::write(*volume, fileName, &error))
            state.SkipWithError(error.toLocal8Bit().constData());
    }
    finish(state, {fileName}, threads);
}

// Arguments: threads; 1 for one file per material; 1 for marching cubes.
void trenchToStl(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = BenchCommon::makeTrenchScene();
    QTemporaryDir dir;
    const QString fileName = dir.filePath("trench.stl");
    const auto surface =
        state.range(2) ? StlSurfaceWriter::Surface::MarchingCubes : StlSurfaceWriter::Surface::DirectCubic;
    QStringList written;
    BenchCommon::resetPeakMemory();
    for (auto _ : state) {
        QString error;
        if (!StlSurfaceWriter::write(*volume, fileName, surface, state.range(1) != 0, &written, &error))
            state.SkipWithError(error.toLocal8Bit().constData());
    }
    finish(state, written, threads);
}

} // namespace

BENCHMARK(trenchToVti)->ArgNames({"threads"})->Arg(0)->Arg(1)->Apply(BenchCommon::timedRuns);
// The target case first: direct cubic, one file, every core.
BENCHMARK(trenchToStl)
    ->ArgNames({"threads", "per_material", "marching"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 1, 0})
    ->Args({0, 0, 1})
    ->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
