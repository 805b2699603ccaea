// kelvane-batch given damaged inputs: a list, an --input document, a mask inside a list
// and catalogues in its home folder. Each gives its exit code and a message, and leaves
// every file it was given, and an --output that is already there, as they were.
#include "badinputs.h"
#include "batchtestsupport.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>
#include <gtest/gtest.h>

using namespace BadInputs;

namespace {

constexpr int exitFailedStep = 1;
constexpr int exitUsage = 2;


const QByteArray emptyList = "<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n";
const QByteArray oldOutput = "<?xml version=\"1.0\"?><Document><Header version=\"1\"/></Document>";

// Runs of the program, each in a folder of its own holding its files, started a few at
// a time; each is checked for its exit code, for `message` on stderr, and that no file
// in its folder changed (and, unless it completed, that none was added).
class Runs
{
public:
    void expect(const std::string &label, const QMap<QString, QByteArray> &files, const QStringList &arguments, int exitCode,
                const QString &message, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        auto run = std::make_unique<Run>();
        run->label = label;
        run->exitCode = exitCode;
        run->message = message;
        ASSERT_TRUE(run->folder.isValid());
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            ASSERT_TRUE(writeFile(run->folder.filePath(it.key()), it.value()));
        for (const QString &a : arguments)
            run->arguments << (files.contains(a) ? run->folder.filePath(a) : a);
        run->before = checksums(run->folder.path());
        run->environment = environment;
        runs.push_back(std::move(run));
    }

    void check()
    {
        constexpr size_t together = 4;
        for (size_t first = 0; first < runs.size(); first += together) {
            const size_t last = std::min(runs.size(), first + together);
            for (size_t i = first; i < last; ++i) {
                Run &r = *runs[i];
                r.process.setProcessEnvironment(r.environment);
                r.process.setWorkingDirectory(r.folder.path());
                r.process.start(QStringLiteral(KELVANE_BATCH_EXE), r.arguments);
            }
            for (size_t i = first; i < last; ++i) {
                Run &r = *runs[i];
                SCOPED_TRACE(r.label);
                ASSERT_TRUE(r.process.waitForFinished(120000));
                ASSERT_EQ(r.process.exitStatus(), QProcess::NormalExit);
                const QString errors = QString::fromLocal8Bit(r.process.readAllStandardError());
                EXPECT_EQ(r.process.exitCode(), r.exitCode) << errors.toStdString();
                EXPECT_TRUE(errors.contains(r.message)) << errors.toStdString();
                // A run that completes may add the images its list saves; no run
                // changes a file that was there.
                const auto after = checksums(r.folder.path());
                if (r.exitCode == 0) {
                    for (auto it = r.before.cbegin(); it != r.before.cend(); ++it)
                        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
                } else {
                    EXPECT_EQ(after, r.before);
                }
            }
        }
    }

private:
    struct Run
    {
        std::string label;
        QTemporaryDir folder;
        QStringList arguments;
        QProcessEnvironment environment;
        QMap<QString, QByteArray> before;
        int exitCode = 0;
        QString message;
        QProcess process;
    };
    std::vector<std::unique_ptr<Run>> runs;
};

} // namespace

TEST(BatchBadInputs, UnreadableListsAndDocumentsStopBeforeAnythingIsWritten)
{
    Runs runs;
    for (const Variant &v : onePerKind(xmlVariants(exampleFile("substrate.plst"), {})))
        runs.expect("list: " + v.name.toStdString(), {{"list.plst", v.bytes}, {"out.mem", oldOutput}},
                    {"list.plst", "--output", "out.mem"}, exitUsage, "kelvane-batch: cannot read the process list ");

    std::vector<Variant> documents = onePerKind(xmlVariants(corpusFile("document/small.mem"), {}));
    for (const Variant &v : xmlVariants(corpusFile("document/small.mem"),
                                        {{" size-y=\"", NumberSite::Count}, {" cellsize-x=\"", NumberSite::Finite}}))
        if (v.mustFail && (v.name.endsWith("4000000000\"") || v.name.endsWith("-1\"") || v.name.endsWith("nan\"")))
            documents.push_back(v);
    for (const Variant &v : documents)
        runs.expect("document: " + v.name.toStdString(),
                    {{"list.plst", emptyList}, {"in.mem", v.bytes}, {"out.mem", oldOutput}},
                    {"list.plst", "--input", "in.mem", "--output", "out.mem"}, exitUsage,
                    "kelvane-batch: cannot read the document ");
    runs.check();
}

TEST(BatchBadInputs, BadNumbersInAListFailTheirStep)
{
    Runs runs;
    // The list reads; the step that holds the value says what is wrong with it and the
    // run stops there.
    const QByteArray list = exampleFile("substrate.plst");
    for (const char *value : {"abc", "nan", "-1", "1e999", "4000000000"}) {
        const QByteArray bad =
            withValue(list, "\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"", value);
        ASSERT_FALSE(bad.isEmpty());
        runs.expect(std::string("Volume Size X ") + value, {{"list.plst", bad}}, {"list.plst"}, exitFailedStep,
                    "[1/2] Create Substrate failed");
    }

    // A mask inside a list whose sizes are absurd, or whose bits do not fit them. Sizes
    // a mask cannot have fail the step; bits that do not fit are ignored with a warning.
    QByteArray lithography = exampleFile("lithography.plst");
    for (const char *size : {"Volume Size X", "Volume Size Y", "Volume Size Z"})
        lithography = withValue(lithography, QByteArray("\"") + size + "\" parameter-type=\"uint\" parameter-data=\"", "12");
    const QByteArray topWidth = "\"Top Mask Width\" parameter-type=\"uint\" parameter-data=\"";
    for (const char *value : {"4294967295", "abc", "-5"})
        runs.expect(std::string("Top Mask Width ") + value, {{"list.plst", withValue(lithography, topWidth, value)}},
                    {"list.plst", "--quiet"}, exitFailedStep, "Photolithography failed");
    const QString ignored = "the top mask does not hold width x height bits; it is ignored";
    runs.expect("Top Mask Width 100000", {{"list.plst", withValue(lithography, topWidth, "100000")}}, {"list.plst"}, 0,
                ignored);
    runs.expect("Top Mask bits",
                {{"list.plst", withValue(lithography, "\"Top Mask\" parameter-type=\"vector\" parameter-data=\"", "1x2")}},
                {"list.plst"}, 0, ignored);

    // Step counts: the random walk takes doping time / time step steps.
    const QByteArray walk = exampleFile("random-walk.plst");
    for (const auto &bad : {std::make_pair("Doping Time", "3e38"), std::make_pair("Time Step Duration", "0")}) {
        const QByteArray list = withValue(walk, QByteArray("\"") + bad.first + "\" parameter-type=\"float\" parameter-data=\"", bad.second);
        ASSERT_FALSE(list.isEmpty());
        runs.expect(std::string(bad.first) + " " + bad.second, {{"list.plst", list}}, {"list.plst", "--quiet"},
                    exitFailedStep, "Doping (Random Walk CA) failed");
    }
    runs.check();
}

TEST(BatchBadInputs, UnreadableCataloguesAreKeptAndReported)
{
    const struct
    {
        const char *file;
        QByteArray good;
    } catalogues[] = {{"materials.xml", corpusFile("materials/builtin.xml")},
                      {"processes.xml", corpusFile("processes/builtin.xml")}};
    std::vector<std::unique_ptr<QTemporaryDir>> homes;
    std::vector<std::pair<QString, QByteArray>> backups;
    Runs runs;
    for (const auto &catalogue : catalogues) {
        for (const Variant &v : onePerKind(xmlVariants(catalogue.good, {}))) {
            if (v.kind != "empty" && v.kind != "truncated" && v.kind != "binary" && v.kind != "not UTF-8")
                continue;
            homes.push_back(std::make_unique<QTemporaryDir>());
            const QString home = homes.back()->path();
            ASSERT_TRUE(QDir(home).mkpath("Kelvane"));
            const QString path = home + "/Kelvane/" + catalogue.file;
            ASSERT_TRUE(writeFile(path, v.bytes));
            backups.emplace_back(path + ".bak", v.bytes);
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("HOME", home);
            runs.expect(std::string(catalogue.file) + ": " + v.name.toStdString(), {{"list.plst", emptyList}},
                        {"list.plst"}, 0, path + ".bak", environment);
        }
    }
    runs.check();
    for (const auto &backup : backups)
        EXPECT_EQ(readFile(backup.first), backup.second) << backup.first.toStdString();
}
