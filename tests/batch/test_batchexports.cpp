// kelvane-batch's netlist and CSV outputs: the shipped cantilever example line by line,
// the particle counts of the random-walk example, and failures that keep old files.
#include "batchtestsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

#include <cmath>

using BatchTest::contents;
using BatchTest::workFile;

namespace {

// 1 / (2 pi sqrt(LC)) of the beam on the netlist's lines 1 and 2.
double resonance(const QList<QByteArray> &lines)
{
    return 1 / (2 * M_PI * std::sqrt(lines[1].split(' ')[3].toDouble() * lines[2].split(' ')[3].toDouble()));
}

// The first bending mode of a clamped-free beam (Euler-Bernoulli), SI units.
double firstMode(double length, double width, double thickness, double density, double youngModulus)
{
    const double inertia = width * std::pow(thickness, 3) / 12;
    return std::pow(1.875104, 2) / (2 * M_PI) *
           std::sqrt(youngModulus * inertia / (density * width * thickness * std::pow(length, 4)));
}

} // namespace

TEST(BatchExports, CantileverExampleNetlist)
{
    const QString netlist = workFile("cantilever.cir");
    const BatchTest::Run run = BatchTest::run(
        {BatchTest::example("cantilever.plst"), "--netlist", netlist, "--output", workFile("cantilever.mem"), "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();

    // One Poly-Si beam, 36 cells long (x 20..55), 8 wide, 3 thick; cells of one model unit,
    // one micrometre by default. With the catalogue's 2329 kg/m^3 and 1.88e11 Pa: effective
    // mass 3 rho w t L / 1.8751041^4 kg, compliance L^3 / (3 E w t^3 / 12) m/N; its
    // resonance is the beam's first bending mode, 3.36 MHz.
    const QList<QByteArray> lines = contents(netlist).split('\n');
    ASSERT_EQ(lines.size(), 5) << contents(netlist).toStdString();
    EXPECT_EQ(lines[0], "Model extracted by Kelvane");
    EXPECT_EQ(lines[1], "c1 1 0 4.88318e-13 ");
    EXPECT_EQ(lines[2], "l1 1 0 0.00459574 ");
    EXPECT_EQ(lines[3], ".end ");
    EXPECT_EQ(lines[4], "");
    EXPECT_NEAR(resonance(lines) / firstMode(36e-6, 8e-6, 3e-6, 2329, 1.88e11), 1.0, 0.05);

    // The beam is released: the oxide under it is gone, the oxide under the middle of its
    // pad stays and anchors it, the field oxide and the resist are gone.
    Model::Scene scene;
    const auto volume = BatchTest::readVolume(workFile("cantilever.mem"), scene);
    ASSERT_TRUE(volume);
    const std::vector<uint32_t> ids = volume->materialIds();
    const uint32_t silicon = 1, oxide = 3, poly = 16;
    EXPECT_EQ(ids[volume->index(40, 15, 14)], poly);
    EXPECT_EQ(ids[volume->index(55, 19, 16)], poly);
    EXPECT_EQ(ids[volume->index(56, 15, 14)], 0u);
    EXPECT_EQ(ids[volume->index(40, 15, 13)], 0u);
    EXPECT_EQ(ids[volume->index(40, 15, 10)], 0u);
    EXPECT_EQ(ids[volume->index(40, 15, 9)], silicon);
    EXPECT_EQ(ids[volume->index(12, 16, 10)], oxide);
    EXPECT_EQ(ids[volume->index(12, 16, 14)], poly);
    EXPECT_EQ(ids[volume->index(2, 2, 10)], 0u);
    EXPECT_EQ(ids[volume->index(12, 16, 17)], 0u);
}

TEST(BatchExports, ParticleCountsAndFailuresThatKeepOldFiles)
{
    // The random-walk example's counts: one "X: x" block per layer, one line per y with
    // a value and " ; " per z, two empty lines after each block.
    const QString csv = workFile("counts.csv");
    BatchTest::Run run = BatchTest::run({BatchTest::example("random-walk.plst"), "--csv", csv, "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QList<QByteArray> lines = contents(csv).split('\n');
    ASSERT_EQ(lines.size(), 60 * (1 + 60 + 2) + 1);
    EXPECT_EQ(lines[0], "X: 0");
    EXPECT_EQ(lines[1].count(" ; "), 24);
    // The walk is seeded from the clock: the values vary from run to run, their form not.
    static const QRegularExpression value(QStringLiteral("^\\d\\.\\d{10}e[+-]\\d{2} ; "));
    EXPECT_TRUE(value.match(QString::fromLatin1(lines[1])).hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(lines[63], "X: 1");
    double total = 0;
    for (const QByteArray &line : lines)
        if (!line.startsWith("X:"))
            for (const QByteArray &value : line.split(';'))
                total += value.trimmed().toDouble();
    EXPECT_GT(total, 0.0);

    // Failures leave what was there before, say why and end with 1: no particle counts,
    // an unknown field, no beam in the volume, a disk that takes no more bytes.
    const QString list = BatchTest::example("substrate.plst");
    const QByteArray old = "kept\n";
    BatchTest::write(csv, old);
    run = BatchTest::run({list, "--csv", csv, "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("holds no particle counts")) << run.errors.toStdString();
    run = BatchTest::run({BatchTest::example("random-walk.plst"), "--csv", csv, "--csv-field", "Label", "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("\"Label\" is not a particle-count field")) << run.errors.toStdString();
    EXPECT_EQ(contents(csv), old);

    const QString netlist = workFile("kept.cir");
    BatchTest::write(netlist, old);
    run = BatchTest::run({list, "--netlist", netlist, "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("no model data was extracted")) << run.errors.toStdString();
    EXPECT_EQ(contents(netlist), old);

    // The shell ignores the file-size signal and allows no bytes at all, so every write
    // of the program fails as on a full disk.
    const QString limited = QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"");
    run = BatchTest::run({"-c", limited, KELVANE_BATCH_EXE, BatchTest::example("cantilever.plst"), "--netlist", netlist,
                          "--quiet"},
                         "/bin/sh");
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("cannot write the netlist " + netlist)) << run.errors.toStdString();
    EXPECT_EQ(contents(netlist), old);
    EXPECT_EQ(QDir(TestEnv::workDir()).entryList({"kept.cir*"}, QDir::Files), QStringList{"kept.cir"});
}

TEST(BatchExports, ParticleCountsSurviveTheDocument)
{
    // The walk is seeded from the clock, so the counts are compared with the CSV of the
    // same run: the document written after the walk, read back, gives the same file.
    const QString document = workFile("walked.mem");
    const QString before = workFile("before.csv");
    BatchTest::Run run = BatchTest::run(
        {BatchTest::example("random-walk.plst"), "--output", document, "--csv", before, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(contents(document).contains("<ParticleCounts name=\"Random Walk Particle Count Type P\">"));

    const QString empty = BatchTest::writeFile("empty.plst", "<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n");
    const QString after = workFile("after.csv");
    const QString again = workFile("again.mem");
    run = BatchTest::run({empty, "--input", document, "--output", again, "--csv", after, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_GT(contents(before).size(), 100000);
    EXPECT_TRUE(contents(before) == contents(after));
    EXPECT_TRUE(contents(document) == contents(again));

    // The walk made P-type counts only.
    run = BatchTest::run({empty, "--input", document, "--csv", after, "--csv-field",
                          "Random Walk Particle Count Type N", "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("holds no \"Random Walk Particle Count Type N\"")) << run.errors.toStdString();
}

TEST(BatchExports, NetlistUnitScalesTheBeamAndOnlyPositiveNumbersAreTaken)
{
    // At half a micrometre per unit the beam is 18 x 4 x 1.5 um: its first mode doubles.
    const QString netlist = workFile("half.cir");
    BatchTest::Run run = BatchTest::run(
        {BatchTest::example("cantilever.plst"), "--netlist", netlist, "--netlist-unit", "0.5", "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QList<QByteArray> lines = contents(netlist).split('\n');
    ASSERT_EQ(lines.size(), 5) << contents(netlist).toStdString();
    EXPECT_EQ(lines[1], "c1 1 0 6.10398e-14 ");
    EXPECT_EQ(lines[2], "l1 1 0 0.00919149 ");
    EXPECT_NEAR(resonance(lines) / firstMode(18e-6, 4e-6, 1.5e-6, 2329, 1.88e11), 1.0, 0.05);

    // Anything but a positive finite number is a usage error before anything runs.
    const QByteArray old = "kept\n";
    BatchTest::write(netlist, old);
    for (const QString bad : {"0", "-1", "nan", "inf", "1e999", "micron", ""}) {
        run = BatchTest::run({BatchTest::example("cantilever.plst"), "--netlist", netlist, "--netlist-unit", bad});
        EXPECT_EQ(run.exitCode, 2) << bad.toStdString();
        EXPECT_TRUE(run.errors.contains(
            "--netlist-unit needs a positive number of micrometres per model unit, not '" + bad + "'"))
            << run.errors.toStdString();
        EXPECT_EQ(contents(netlist), old) << bad.toStdString();
    }
    run = BatchTest::run({BatchTest::example("cantilever.plst"), "--netlist-unit", "2"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("--netlist-unit needs --netlist")) << run.errors.toStdString();

    QProcess help;
    help.start(KELVANE_BATCH_EXE, {"--help"});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_TRUE(help.readAllStandardOutput().contains("--netlist-unit <MICROMETRES>"));
}

// Every output that the disk refuses says why in the system's words, as the section image
// does, and the file already there stays.
TEST(BatchExports, AFullDiskIsReportedInTheSystemsWords)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG)); // "File too large"
    struct Case
    {
        const char *blocks; // of 512 bytes each file may take: a longer one stops part-way
        QStringList arguments;
        QString file;
        QString message;
    };
    const QString document = workFile("full.mem"), volume = workFile("full.vti"), csv = workFile("full.csv"),
                  netlist = workFile("full.cir"), section = workFile("full.png");
    const Case cases[] = {
        {"1", {BatchTest::example("substrate.plst"), "--set", "2.Filename=", "--output", document}, document,
         "cannot write the document " + document + ": "},
        {"1", {BatchTest::example("substrate.plst"), "--set", "2.Filename=", "--export", volume}, volume,
         "cannot write the 3-D export " + volume + ": "},
        {"1", {BatchTest::example("random-walk.plst"), "--set", "3.Filename=", "--csv", csv}, csv,
         "cannot write the CSV file " + csv + ": "},
        {"0", {BatchTest::example("cantilever.plst"), "--set", "9.Filename=", "--netlist", netlist}, netlist,
         "cannot write the netlist " + netlist + ": "},
        {"1", {BatchTest::example("cantilever.plst"), "--set", "9.Filename=", "--section", "y=15", "--section-image",
               section},
         section, "cannot write the section image " + section + ": "},
    };
    const QByteArray old = "kept\n";
    for (const Case &c : cases) {
        BatchTest::write(c.file, old);
        const QString limited = QStringLiteral("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(c.blocks);
        const BatchTest::Run run =
            BatchTest::run(QStringList{"-c", limited, KELVANE_BATCH_EXE} + c.arguments + QStringList{"--quiet"}, "/bin/sh");
        EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(c.message + reason)) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.contains("Unknown error")) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.contains("canceled")) << run.errors.toStdString();
        EXPECT_EQ(contents(c.file), old) << c.file.toStdString();
    }
    EXPECT_EQ(QDir(TestEnv::workDir()).entryList({"full.*"}, QDir::Files),
              QStringList({"full.cir", "full.csv", "full.mem", "full.png", "full.vti"}));
}
