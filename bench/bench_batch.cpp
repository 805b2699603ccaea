// The trench runs of the film benchmark through the kelvane-batch program, as a user
// runs them: start the program, read the trench document, run one step, write the
// resulting document. peak_MiB is the program's peak resident memory (its rusage).

#include "benchcommon.h"

#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString trenchDocument()
{
    const QString path = folder().filePath("trench.mem");
    if (!QFile::exists(path)) {
        Model::Scene scene;
        scene.add(BenchCommon::makeTrenchScene());
        Model::Persistence::DocumentFile::save(scene, path, Model::Persistence::ArchiverRegistry());
    }
    return path;
}

QString writeList(const char *name, int type, const QByteArray &parameters)
{
    const QString path = folder().filePath(QString::fromLatin1(name) + ".plst");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Process-List version=\"1\">\n<Process-Data "
                   "process-type=\"" +
                   QByteArray::number(type) + "\">\n" + parameters + "</Process-Data>\n</Process-List>\n");
    return path;
}

QByteArray parameter(const char *name, const char *type, const char *value)
{
    return QByteArray("<Parameter parameter-name=\"") + name + "\" parameter-type=\"" + type +
           "\" parameter-data=\"" + value + "\" parameter-visibility=\"true\"/>\n";
}

// Runs the program to its end; returns its exit code and its peak memory in KiB.
int runProgram(const std::vector<QByteArray> &arguments, long *peakKiB)
{
    std::vector<char *> argv;
    QByteArray program(KELVANE_BATCH_EXE);
    argv.push_back(program.data());
    std::vector<QByteArray> copies = arguments;
    for (QByteArray &a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    *peakKiB = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void runList(benchmark::State &state, const QString &list)
{
    const QByteArray input = trenchDocument().toLocal8Bit();
    const QByteArray output = folder().filePath("out.mem").toLocal8Bit();
    long peak = 0;
    for (auto _ : state) {
        if (runProgram({list.toLocal8Bit(), "--input", input, "--output", output, "--quiet"}, &peak) != 0)
            state.SkipWithError("kelvane-batch failed");
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void batchIsotropicDeposition(benchmark::State &state)
{
    runList(state, writeList("isotropic", 16,
                             parameter("Material_Id", "uint", "3") + parameter("Film Thickness", "double", "10")));
}

void batchAnisotropicEtching(benchmark::State &state)
{
    runList(state, writeList("anisotropic", 18,
                             parameter("Material_Id", "uint", "1") + parameter("Etch Depth", "double", "10") +
                                 parameter("Horizontal to Vertical Ratio", "double", "0.5")));
}

void batchMooreDeposition(benchmark::State &state)
{
    runList(state, writeList("moore", 2, parameter("Material_Id", "uint", "3") + parameter("Thickness", "uint", "5")));
}

// Reading and writing the document alone, for comparison.
void batchEmptyList(benchmark::State &state)
{
    const QString path = folder().filePath("empty.plst");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n");
    file.close();
    runList(state, path);
}

} // namespace

BENCHMARK(batchEmptyList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(batchIsotropicDeposition)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(batchAnisotropicEtching)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(batchMooreDeposition)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
