// kelvane-batch: runs a process list without the user interface.
//
//   kelvane-batch LIST.plst [--input DOC.mem] [--output DOC.mem] [--image FILE.png]
//                           [--netlist OUT.cir [--netlist-unit MICROMETRES]] [--csv OUT.csv [--csv-field NAME]]
//                           [--section x=N|y=N|z=N --section-image FILE.png]
//                           [--export FILE.vti|FILE.stl [--per-material]]
//                           [--measure FILE.json --measure-out RESULTS.csv|.json [--measure-after-step N]]
//                           [--set STEP.PARAMETER=VALUE ...] [--threads N] [--quiet]
//
// Exit codes: 0 every step ran; 1 a step failed or could not run (the steps before it
// stay applied and the outputs are still written), or an output could not be written
// (an existing file of that name stays as it was); 2 bad arguments or an input file that
// cannot be read (nothing is written).
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/Process/processfactory.h"
#include "Model/scene.h"
#include "Util/vector3d.h"
#include "cli/exports3d.h"
#include "cli/measureoutput.h"
#include "cli/offscreenrenderer.h"
#include "cli/parameteroverrides.h"
#include "cli/sectionoutput.h"
#include "cli/volumeexports.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThreadPool>
#include <cstdio>
#include <map>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

// The sanitizer's tracking of dynamically loaded thread-local storage guesses a block's
// bounds from the memory in front of it, and the OpenGL driver's blocks sometimes make it
// guess wildly: the leak check at exit then crashes (depending only on where the blocks
// happen to lie). Without that tracking the driver's thread-local data is not scanned,
// which only the driver's own allocations (suppressed by name) depend on.
extern "C" const char *__asan_default_options()
{
    return "intercept_tls_get_addr=0";
}
#endif

namespace {

constexpr int exitFailedStep = 1;
constexpr int exitUsage = 2;

bool quiet = false;

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void printError(const QString &text)
{
    printLine(QStringLiteral("kelvane-batch: ") + text);
}

// Debug and info output is for the GUI's log; warnings are shown unless --quiet.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (type == QtWarningMsg && quiet)
        return;
    printLine(QStringLiteral("kelvane-batch: warning: ") + message);
}

// A file that will be written: its folder must exist and be writable.
bool checkWritable(const QString &path, QString *reason)
{
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) {
        *reason = QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
        return false;
    }
    if (!folder.isWritable() || (info.exists() && !info.isWritable())) {
        *reason = QStringLiteral("%1 cannot be written").arg(info.filePath());
        return false;
    }
    if (info.isDir()) {
        *reason = QStringLiteral("%1 is a folder").arg(info.filePath());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // No window is ever shown: the off-screen platform needs no display, and still
    // offers OpenGL when one is there (for example under xvfb-run).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(messageHandler);
#if defined(__SANITIZE_ADDRESS__)
    // Qt's off-screen platform never frees the screen and cursor it makes here; keep
    // them out of a sanitizer build's leak report. Nothing of ours runs in between.
    __lsan_disable();
#endif
    QGuiApplication app(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    QCoreApplication::setApplicationName(QStringLiteral("kelvane-batch"));
    Util::Vector3D::registerMetaType();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs a Kelvane process list without the user interface.\n\n"
        "The steps run in order on the first cell volume of --input, or on the volume the\n"
        "list's first Create Substrate step makes. One line per step is printed on the\n"
        "error output. Exit code 0: every step ran; 1: a step failed (the steps before it\n"
        "stay applied, and the outputs are still written) or an output could not be written\n"
        "(an existing file of that name is left as it was); 2: bad arguments or an input file\n"
        "that cannot be read (nothing is written)."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("list"), QStringLiteral("The process list (.plst) to run."),
                                 QStringLiteral("LIST.plst"));
    const QCommandLineOption inputOption(QStringLiteral("input"),
                                         QStringLiteral("Document whose first cell volume the list works on."),
                                         QStringLiteral("DOC.mem"));
    const QCommandLineOption outputOption(QStringLiteral("output"),
                                          QStringLiteral("Write the resulting scene as a document to DOC.mem."),
                                          QStringLiteral("DOC.mem"));
    const QCommandLineOption imageOption(
        QStringLiteral("image"),
        QStringLiteral("Render the final view to an image (PNG, JPG, ...); needs OpenGL, on a machine "
                       "without a display run under xvfb-run."),
        QStringLiteral("FILE.png"));
    const QCommandLineOption threadsOption(QStringLiteral("threads"),
                                           QStringLiteral("Use at most N worker threads."), QStringLiteral("N"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Print only errors, not one line per step."));
    const QCommandLineOption listMeasurementsOption(
        QStringLiteral("list-measurements"), QStringLiteral("Print every measurement --measure takes, and stop."));
    parser.addOptions({inputOption, outputOption, imageOption, threadsOption, quietOption, listMeasurementsOption});
    Cli::VolumeExports exports;
    Cli::Exports3D exports3D;
    Cli::SectionOutput section;
    Cli::MeasureOutput measure;
    const std::vector<Cli::FinalOutput *> finalOutputs = {&exports, &exports3D, &section, &measure};
    for (const Cli::FinalOutput *o : finalOutputs)
        o->addTo(parser);
    Cli::ParameterOverrides overrides;
    overrides.addTo(parser);

    if (!parser.parse(QCoreApplication::arguments())) {
        printError(parser.errorText());
        printLine(QStringLiteral("Try 'kelvane-batch --help'."));
        return exitUsage;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(listMeasurementsOption)) {
        for (const Core::Metrology::Measurement &m : Core::Metrology::MeasurementRegistry::instance().all())
            std::fputs((Core::Metrology::describe(m) + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        return 0;
    }
    quiet = parser.isSet(quietOption);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        printError(positional.isEmpty() ? QStringLiteral("no process list given")
                                        : QStringLiteral("only one process list can be run"));
        printLine(QStringLiteral("Try 'kelvane-batch --help'."));
        return exitUsage;
    }
    if (parser.isSet(threadsOption)) {
        bool ok = false;
        const int threads = parser.value(threadsOption).toInt(&ok);
        if (!ok || threads < 1 || threads > 4096) {
            printError(QStringLiteral("--threads needs a whole number from 1 to 4096, not '%1'")
                           .arg(parser.value(threadsOption)));
            return exitUsage;
        }
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    const QString listPath = positional.front();
    const QString inputPath = parser.value(inputOption);
    const QString outputPath = parser.value(outputOption);
    const QString imagePath = parser.value(imageOption);
    QString reason;
    if (!outputPath.isEmpty() && !checkWritable(outputPath, &reason)) {
        printError(QStringLiteral("cannot write the output document: ") + reason);
        return exitUsage;
    }
    if (!imagePath.isEmpty() && !checkWritable(imagePath, &reason)) {
        printError(QStringLiteral("cannot write the image: ") + reason);
        return exitUsage;
    }
    for (Cli::FinalOutput *o : finalOutputs) {
        if (!o->read(parser, checkWritable, &reason)) {
            printError(reason);
            return exitUsage;
        }
    }
    if (!overrides.read(parser, &reason)) {
        printError(reason);
        return exitUsage;
    }
    measure.setRun(listPath, parser.values(QStringLiteral("set")));

    // The catalogues start as in the program itself.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();

    // Inputs: everything is read before anything runs or is written. Materials that
    // clash with the catalogue are added under new ids (there is no one to ask).
    Core::BatchRun::ProcessList list;
    if (!Core::BatchRun::ProcessListFile::load(listPath, list, nullptr, &reason)) {
        printError(QStringLiteral("cannot read the process list %1: %2").arg(listPath, reason));
        return exitUsage;
    }
    Model::Scene scene;
    std::map<int32_t, int32_t> lastProcessByVolume;
    std::map<int32_t, bool> latticeStale;
    Core::BatchRun::ProcessListRunner runner(scene, lastProcessByVolume, latticeStale);
    runner.setListFolder(QFileInfo(listPath).absolutePath());
    if (!overrides.apply(
            list, [&runner](const Core::BatchRun::ProcessData &step) { return runner.checkStep(step); }, &reason)) {
        printError(reason);
        return exitUsage;
    }
    Model::Persistence::ArchiverRegistry archivers;
    Model::Automaton::TotalVolumePtr volume;
    if (!inputPath.isEmpty()) {
        const Model::Materials::MaterialReconciler materials(
            nullptr, [](const std::string &message) { printError(QString::fromStdString(message)); });
        const auto result = Model::Persistence::DocumentFile::open(inputPath, scene, archivers, materials);
        if (!result.ok()) {
            printError(QStringLiteral("cannot read the document %1: %2")
                           .arg(inputPath, Model::Persistence::DocumentFile::readErrorText(result)));
            return exitUsage;
        }
        for (const Model::ObjectPtr &object : scene.objects())
            if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)))
                break;
        if (!volume && !quiet)
            printLine(QStringLiteral("kelvane-batch: %1 holds no cell volume").arg(inputPath));
    }

    Cli::OffscreenRenderer renderer;
    auto reportNoImage = [](const QString &file, const QString &why) {
        printError(QStringLiteral("the image %1 was not written: %2").arg(file, why));
    };

    runner.setVolume(volume);
    runner.setImageSaver([&](const QString &fileName) {
        if (fileName.isEmpty())
            return true;
        QString error;
        if (renderer.save(scene, fileName, &error))
            return true;
        reportNoImage(fileName, error);
        return false;
    });
    const int total = static_cast<int>(list.size());
    runner.setStepObserver([&](const Core::BatchRun::ProcessListRunner::StepReport &r) {
        const QString head = QStringLiteral("[%1/%2] %3").arg(r.index + 1).arg(r.total).arg(r.processName);
        if (r.result != Core::BatchRun::ProcessListRunner::Success)
            printLine(head + QStringLiteral(" failed after %1 s: %2")
                                 .arg(r.seconds, 0, 'f', 2)
                                 .arg(Core::BatchRun::ProcessListRunner::resultMessage(r.result)));
        else if (!quiet)
            printLine(head + QStringLiteral(" %1 s").arg(r.seconds, 0, 'f', 2));
        if (r.result == Core::BatchRun::ProcessListRunner::Success)
            measure.stepDone(r.index, runner.getVolume().get());
    });

    const Core::BatchRun::ProcessListRunner::Summary summary = runner.run(list);
    int exitCode = 0;
    if (summary.outcome == Core::BatchRun::ProcessListRunner::Outcome::MissingVolume) {
        const Core::BatchRun::ProcessData &step = list[static_cast<size_t>(summary.stoppedAt)];
        printLine(QStringLiteral("[%1/%2] %3: %4: %5")
                      .arg(summary.stoppedAt + 1)
                      .arg(total)
                      .arg(step.getProcessName(), Core::BatchRun::ProcessListRunner::missingVolumeTitle,
                           Core::BatchRun::ProcessListRunner::missingVolumeText));
        exitCode = exitFailedStep;
    } else if (summary.outcome != Core::BatchRun::ProcessListRunner::Outcome::Completed) {
        exitCode = exitFailedStep;
    }
    if (!quiet)
        printLine(QStringLiteral("kelvane-batch: %1 of %2 %3 ran")
                      .arg(summary.stepsRun)
                      .arg(total)
                      .arg(total == 1 ? QStringLiteral("step") : QStringLiteral("steps")));

    if (!outputPath.isEmpty()) {
        const auto saved = Model::Persistence::DocumentFile::save(scene, outputPath, archivers);
        if (!saved.ok()) {
            printError(QStringLiteral("cannot write the document %1: %2").arg(outputPath, saved.detail));
            exitCode = exitFailedStep;
        }
    }
    if (!imagePath.isEmpty()) {
        QString error;
        if (!renderer.save(scene, imagePath, &error)) {
            reportNoImage(imagePath, error);
            exitCode = exitFailedStep;
        }
    }
    for (const Cli::FinalOutput *o : finalOutputs)
        if (!o->write(runner.getVolume(), printError))
            exitCode = exitFailedStep;
    return exitCode;
}
