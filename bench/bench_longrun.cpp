// A long batch run as a user starts it: kelvane-batch on a list of 200 steps that cycles
// through every step type of examples/allsteps.plst on a 256 x 256 x 128 volume. The
// program's resident memory (VmRSS) and its peak so far (VmHWM) are read from /proc each
// time it reports a finished step, so the curve shows whether memory stays flat once the
// first steps have allocated what a volume of this size needs.
//
//   bench_longrun [STEPS] [--keep FOLDER]
//
// Prints one line per step and the peaks after steps 10, 100 and the last. With --keep,
// the list and the images are written to FOLDER and left there.

#include "benchcommon.h"

#include "longlist.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Memory
{
    long rssKiB = -1;
    long peakKiB = -1;
};

Memory memoryOf(pid_t pid)
{
    Memory m;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            m.rssKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
        else if (line.startsWith("VmHWM:"))
            m.peakKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    BenchCommon::TemporaryHome home;
    QCoreApplication app(argc, argv);
    int steps = 200;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep") && i + 1 < args.size())
            keep = args[++i];
        else
            steps = std::max(2, args[i].toInt());
    }
    QTemporaryDir temporary;
    const QString folder = keep.isEmpty() ? temporary.path() : keep;
    const QString listFile = folder + QStringLiteral("/long.plst");
    const Core::BatchRun::ProcessList list =
        BenchLongList::longList(QStringLiteral(KELVANE_EXAMPLES_DIR "/allsteps.plst"), steps, folder);
    if (list.empty() || !Core::BatchRun::ProcessListFile::save(listFile, list))
        return 1;

    int errors[2];
    if (pipe(errors) != 0)
        return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    posix_spawn_file_actions_addclose(&actions, errors[0]);
    QByteArray program(KELVANE_BATCH_EXE);
    QByteArray listArg = listFile.toLocal8Bit();
    std::vector<char *> arguments{program.data(), listArg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), &actions, nullptr, arguments.data(), environ) != 0)
        return 1;
    close(errors[1]);

    // "[i/n] Name s.ss s" per finished step.
    const QRegularExpression stepLine(QStringLiteral("^\\[(\\d+)/(\\d+)\\] (.*) (\\S+) s$"));
    std::vector<Memory> curve(list.size() + 1);
    FILE *in = fdopen(errors[0], "r");
    char buffer[4096];
    std::printf("%5s  %-34s %8s %9s %9s\n", "step", "process", "seconds", "rss_MiB", "peak_MiB");
    while (in && std::fgets(buffer, sizeof buffer, in)) {
        const Memory now = memoryOf(pid);
        const QString line = QString::fromLocal8Bit(buffer).trimmed();
        const QRegularExpressionMatch m = stepLine.match(line);
        if (!m.hasMatch()) {
            std::printf("       %s\n", qPrintable(line));
            continue;
        }
        const int index = m.captured(1).toInt();
        if (index >= 1 && index < static_cast<int>(curve.size()))
            curve[static_cast<size_t>(index)] = now;
        std::printf("%5d  %-34s %8s %9.1f %9.1f\n", index, qPrintable(m.captured(3).left(34)),
                    qPrintable(m.captured(4)), now.rssKiB / 1024.0, now.peakKiB / 1024.0);
        std::fflush(stdout);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::printf("\nexit code %d\n", code);
    for (size_t at : {size_t(10), size_t(100), curve.size() - 1})
        if (at < curve.size())
            std::printf("peak after step %zu: %.1f MiB (resident %.1f MiB)\n", at, curve[at].peakKiB / 1024.0,
                        curve[at].rssKiB / 1024.0);
    std::printf("undo records: none (batch steps do not enter the history)\n");
    return code;
}
