#pragma once

// Writes GDSII layouts for the tests and benchmarks with Debian's python3-gdspy, an
// independent writer: the lines of `body` run after `import gdspy` and
// `lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)` with `out` the file name; the body
// ends with lib.write_gds(out). Debian's own python3 comes first, as its modules live there.
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace GdsWriter {

inline QString python()
{
    const QString debian = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    return debian.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("python3")) : debian;
}

// Empty on success, else what went wrong (python3 missing, the script failing).
inline QString write(const QString &file, const QString &body)
{
    const QString interpreter = python();
    if (interpreter.isEmpty())
        return QStringLiteral("python3 not found (the setup script installs it with python3-gdspy)");
    const QString script = QStringLiteral("import sys, gdspy\nout = sys.argv[1]\n"
                                          "lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)\n") +
                           body + QLatin1Char('\n');
    QProcess process;
    process.start(interpreter, {QStringLiteral("-c"), script, file});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(interpreter, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString();
}

} // namespace GdsWriter
