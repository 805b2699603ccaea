// kelvane-batch --set: a three-value sweep run through GNU Parallel, each document with
// the film its value asks for, and overrides that are refused before anything runs.
#include "batchtestsupport.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

using BatchTest::contents;
using BatchTest::workFile;

namespace {

// A 12 x 12 x 16 volume with 4 layers of Si, then an oxide film of thickness 1.
const QByteArray filmList = R"(<?xml version="1.0" encoding="UTF-8"?>
<Process-List version="1">
    <Materials/>
    <Process-Data process-type="11">
        <Parameter parameter-name="Lower Left Front Corner" parameter-type="Util::Vector3D" parameter-data="0;0;0" parameter-visibility="true"/>
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="1" parameter-visibility="false"/>
        <Parameter parameter-name="SphericalSubstrate" parameter-type="bool" parameter-data="false" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta X" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta Y" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Delta Z" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size X" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size Y" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Substrate Size Z" parameter-type="uint" parameter-data="4" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size X" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size Y" parameter-type="uint" parameter-data="12" parameter-visibility="true"/>
        <Parameter parameter-name="Volume Size Z" parameter-type="uint" parameter-data="16" parameter-visibility="true"/>
    </Process-Data>
    <Process-Data process-type="16">
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="3" parameter-visibility="false"/>
        <Parameter parameter-name="Film Thickness" parameter-type="float" parameter-data="1" parameter-visibility="true"/>
    </Process-Data>
</Process-List>
)";

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
        {"2.Thickness=2", "step 2 (Isotropic Deposition) has no parameter \"Thickness\"; its parameters are "
                          "\"Film Thickness\", \"Material_Id\""},
        {"2.Film Thickness=thick", "\"thick\" is not a value for \"Film Thickness\" of step 2 (Isotropic "
                                   "Deposition): it needs a number"},
        {"2.Film Thickness=1e99", "it needs a number"},
        {"2.Film Thickness=nan", "it needs a number"},
        {"1.Volume Size X=-4", "it needs a whole number of 0 or more"},
        {"1.SphericalSubstrate=yes", "takes true or false"},
        {"1.Lower Left Front Corner=1;2", "it needs a point x;y;z"},
        {"2.Material_Id=Unobtainium", "the material catalogue has no material named \"Unobtainium\""},
        {"2.Material_Id=999", "the material catalogue has no material with id 999"},
    };
    for (const Case &c : cases) {
        const BatchTest::Run run = BatchTest::run({list, "--set", c.option, "--output", document});
        EXPECT_EQ(run.exitCode, 2) << c.option.toStdString();
        EXPECT_TRUE(run.errors.contains(c.message)) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("--set \"" + c.option + "\"")) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(document)) << c.option.toStdString();
    }

    // Overrides apply in order, the last of one parameter wins, and a value that is of
    // the right type but one the step refuses fails the run as the list's own would.
    BatchTest::Run run = BatchTest::run({list, "--set", "2.Film Thickness=9", "--set", "2.Film Thickness=3", "--set",
                                         "2.Material_Id=4", "--output", document, "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    std::vector<uint32_t> expected(16, 0u);
    std::fill(expected.begin(), expected.begin() + 4, 1u);
    std::fill(expected.begin() + 4, expected.begin() + 7, 4u);
    EXPECT_EQ(column(document, 3, 3), expected);
    run = BatchTest::run({list, "--set", "2.Film Thickness=-1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("the thickness or depth must be a number of 0 or more")) << run.errors.toStdString();
}
