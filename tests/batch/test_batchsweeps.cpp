// kelvane-batch --set: a three-value sweep run through GNU Parallel, each document with
// the film its value asks for, and overrides that are refused before anything runs.
#include "batchtestsupport.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

using BatchTest::contents;
using BatchTest::workFile;

namespace {

// A 12 x 12 x 16 volume with 4 layers of Si, then an oxide film of thickness 1.
const QByteArray filmList = BatchTest::smallFilmList("1");

// The material of each cell of the column at (x, y), from z = 0 up.
std::vector<uint32_t> column(const QString &document, uint32_t x, uint32_t y)
{
    Model::Scene scene;
    const auto volume = BatchTest::readVolume(document, scene);
    std::vector<uint32_t> cells;
    if (!volume)
        return cells;
    const std::vector<uint32_t> ids = volume->materialIds();
    for (uint32_t z = 0; z < volume->getSizeZ(); ++z)
        cells.push_back(ids[volume->index(x, y, z)]);
    return cells;
}

} // namespace

TEST(BatchSweeps, ThreeFilmThicknessesThroughGnuParallel)
{
    const QString list = BatchTest::writeFile("film.plst", filmList);
    const QString parallel = QStandardPaths::findExecutable("parallel");
    ASSERT_FALSE(parallel.isEmpty()) << "GNU Parallel (Debian's package parallel) is not installed";

    // As a user would run it: one job per value, the value in the option and the file name.
    QProcess process;
    process.setWorkingDirectory(TestEnv::workDir());
    process.start(parallel, {"--will-cite", "-q", "-j", "3", "--halt", "now,fail=1", QStringLiteral(KELVANE_BATCH_EXE),
                             list, "--set", "2.Film Thickness={}", "--set", "2.Material_Id=Poly-Si", "--output",
                             "film-{}.mem", "--quiet", ":::", "2", "4", "6.5"});
    ASSERT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    // A flat top grows a film as thick as asked, in whole cells; the list stays as it was.
    const uint32_t silicon = 1, polySilicon = 16;
    for (const auto &[value, layers] : {std::pair<QString, int>("2", 2), {"4", 4}, {"6.5", 6}}) {
        std::vector<uint32_t> expected(16, 0u);
        std::fill(expected.begin(), expected.begin() + 4, silicon);
        std::fill(expected.begin() + 4, expected.begin() + 4 + layers, polySilicon);
        EXPECT_EQ(column(workFile("film-" + value + ".mem"), 6, 6), expected) << "thickness " << value.toStdString();
        EXPECT_EQ(column(workFile("film-" + value + ".mem"), 0, 11), expected) << "thickness " << value.toStdString();
    }
    EXPECT_EQ(contents(list), filmList);
}

TEST(BatchSweeps, RefusedOverridesNameTheProblemAndWriteNothing)
{
    const QString list = BatchTest::writeFile("refused.plst", filmList);
    const QString document = workFile("refused.mem");
    struct Case
    {
        QString option;
        const char *message;
    };
    const Case cases[] = {
        {"Film Thickness=2", "give STEP.PARAMETER=VALUE with STEP a step number from 1"},
        {"0.Film Thickness=2", "give STEP.PARAMETER=VALUE"},
        {"3.Film Thickness=2", "the list has no step 3; its steps are 1 to 2"},
        {"2.Thickness=2", "step 2 (Isotropic Deposition) reads no parameter \"Thickness\"; the parameters it "
                          "reads are \"Material_Id\" (or \"Material\", a material's name or id), \"Film Thickness\""},
        {"2.Film Thickness=thick", "\"thick\" is not a value for \"Film Thickness\" of step 2 (Isotropic "
                                   "Deposition): it needs a number"},
        {"2.Film Thickness=1e99", "it needs a number"},
        {"2.Film Thickness=nan", "it needs a number"},
        {"1.Volume Size X=-4", "it needs a whole number of 0 or more"},
        {"1.SphericalSubstrate=yes", "takes true or false"},
        {"1.Lower Left Front Corner=1;2", "it needs a point x;y;z"},
        {"2.Material_Id=Unobtainium", "the material catalogue has no material named \"Unobtainium\""},
        {"2.Material_Id=999", "the material catalogue has no material with id 999"},
        {"2.Material=Unobtainium", "the material catalogue has no material named \"Unobtainium\""},
        // Values of the right type that the step refuses, by the limits its run applies.
        {"2.Film Thickness=-1", "step 2 (Isotropic Deposition) does not take this value: the thickness or depth "
                                "must be a number of 0 or more"},
        {"1.Volume Size X=0", "step 1 (Create Substrate) does not take this value: the volume has a size of 0"},
        {"1.Volume Size X=4000000000", "step 1 (Create Substrate) does not take this value"},
    };
    for (const Case &c : cases) {
        const BatchTest::Run run = BatchTest::run({list, "--set", c.option, "--output", document});
        EXPECT_EQ(run.exitCode, 2) << c.option.toStdString();
        EXPECT_TRUE(run.errors.contains(c.message)) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("--set \"" + c.option + "\"")) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(document)) << c.option.toStdString();
    }

    // Overrides apply in order, and the last of one parameter wins.
    BatchTest::Run run = BatchTest::run({list, "--set", "2.Film Thickness=9", "--set", "2.Film Thickness=3", "--set",
                                         "2.Material_Id=4", "--output", document, "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    std::vector<uint32_t> expected(16, 0u);
    std::fill(expected.begin(), expected.begin() + 4, 1u);
    std::fill(expected.begin() + 4, expected.begin() + 7, 4u);
    EXPECT_EQ(column(document, 3, 3), expected);

    // The values a step takes are judged together: a refused one may be mended by a later one.
    QFile::remove(document);
    run = BatchTest::run({list, "--set", "1.Volume Size X=0", "--set", "1.Volume Size X=12", "--set",
                          "2.Film Thickness=-1", "--output", document, "--quiet"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("--set \"2.Film Thickness=-1\": step 2 (Isotropic Deposition) does not take"))
        << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(document));
}

// What the list editor shows a step by is what --set takes: a material by the word shown
// beside its id and by name. A parameter the step holds but does not read (a colour, a
// shown text) would change nothing, so it is refused with the names the step reads.
TEST(BatchSweeps, OverridesChangeWhatTheStepReads)
{
    const QString list = BatchTest::example("substrate.plst");
    const QString document = workFile("poly.mem");
    BatchTest::Run run = BatchTest::run(
        {list, "--set", "1.Material=Poly-Si", "--set", "2.Filename=", "--output", document, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const uint32_t polySilicon = 16, oxide = 3;
    std::vector<uint32_t> expected(80, 0u);
    std::fill(expected.begin(), expected.begin() + 30, polySilicon);
    EXPECT_EQ(column(document, 50, 50), expected);

    run = BatchTest::run({list, "--set", "1.Material_Id=3", "--set", "2.Filename=", "--output", document, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    std::fill(expected.begin(), expected.begin() + 30, oxide);
    EXPECT_EQ(column(document, 0, 99), expected);

    const QString never = workFile("never.mem");
    for (const char *option : {"1.Material_Color=#ff0000", "1.Substrate Radius=5", "2.Material=Si"}) {
        run = BatchTest::run({list, "--set", option, "--output", never});
        EXPECT_EQ(run.exitCode, 2) << option;
        EXPECT_FALSE(QFile::exists(never)) << option;
    }
    run = BatchTest::run({list, "--set", "1.Material_Color=#ff0000"});
    EXPECT_TRUE(run.errors.contains(
        "--set \"1.Material_Color=#ff0000\": step 1 (Create Substrate) reads no parameter \"Material_Color\"; the "
        "parameters it reads are \"Material_Id\" (or \"Material\", a material's name or id), \"Lower Left Front "
        "Corner\", \"Volume Size X\", \"Volume Size Y\", \"Volume Size Z\", \"SphericalSubstrate\", \"Substrate Size X\", "
        "\"Substrate Size Y\", \"Substrate Size Z\", \"Substrate Delta X\", \"Substrate Delta Y\", \"Substrate Delta Z\""))
        << run.errors.toStdString();
    run = BatchTest::run({list, "--set", "2.Material=Si"});
    EXPECT_TRUE(run.errors.contains("step 2 (Save Image) reads no parameter \"Material\"; the parameters it reads are "
                                    "\"Filename\"")) << run.errors.toStdString();
}
