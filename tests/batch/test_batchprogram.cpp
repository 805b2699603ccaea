// kelvane-batch as a user runs it: a process list written by hand, the program started
// as its own process, and the document it writes read back cell by cell.
#include "batchtestsupport.h"

#include <QFileInfo>
#include <QImage>

namespace {

using BatchTest::readVolume;
using BatchTest::writeFile;
using BatchRun = BatchTest::Run;

BatchRun runBatch(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return BatchTest::run(arguments, QStringLiteral(KELVANE_BATCH_EXE), environment);
}

QByteArray parameter(const char *name, const char *type, const QByteArray &value)
{
    return QByteArray("<Parameter parameter-name=\"") + name + "\" parameter-type=\"" + type +
           "\" parameter-data=\"" + value + "\" parameter-visibility=\"true\"/>\n";
}

// Create Substrate: a 50 x 40 x 30 volume with a 50 x 40 x 10 block of material 1 at the
// bottom, then `extra` steps.
QByteArray substrateList(const QByteArray &extra = QByteArray())
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Process-List version=\"1\">\n"
                      "<Materials/>\n<Process-Data process-type=\"11\">\n") +
           parameter("Lower Left Front Corner", "Util::Vector3D", "0;0;0") +
           parameter("Material_Id", "uint", "1") + parameter("SphericalSubstrate", "bool", "false") +
           parameter("Volume Size X", "uint", "50") + parameter("Volume Size Y", "uint", "40") +
           parameter("Volume Size Z", "uint", "30") + parameter("Substrate Size X", "uint", "50") +
           parameter("Substrate Size Y", "uint", "40") + parameter("Substrate Size Z", "uint", "10") +
           parameter("Substrate Delta X", "uint", "0") + parameter("Substrate Delta Y", "uint", "0") +
           parameter("Substrate Delta Z", "uint", "0") + "</Process-Data>\n" + extra + "</Process-List>\n";
}

} // namespace

TEST(BatchProgram, SubstrateListWritesTheDocumentCellByCell)
{
    const QString list = writeFile("substrate.plst", substrateList());
    const QString output = QDir(TestEnv::workDir()).filePath("substrate.mem");
    const BatchRun run = runBatch({list, "--output", output});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("[1/1] Create Substrate")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("kelvane-batch: 1 of 1 step ran\n")) << run.errors.toStdString();

    Model::Scene scene;
    const auto volume = readVolume(output, scene);
    ASSERT_TRUE(volume);
    ASSERT_EQ(volume->getSizeX(), 50u);
    ASSERT_EQ(volume->getSizeY(), 40u);
    ASSERT_EQ(volume->getSizeZ(), 30u);
    const std::vector<uint32_t> ids = volume->materialIds();
    size_t wrong = 0;
    for (uint32_t x = 0; x < 50; ++x)
        for (uint32_t y = 0; y < 40; ++y)
            for (uint32_t z = 0; z < 30; ++z)
                wrong += ids[volume->index(x, y, z)] != (z < 10 ? 1u : 0u);
    EXPECT_EQ(wrong, 0u);

    // The written document is a valid input: an empty list leaves it as it is.
    const QString empty = writeFile("empty.plst", "<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n");
    const QString again = QDir(TestEnv::workDir()).filePath("again.mem");
    EXPECT_EQ(runBatch({empty, "--input", output, "--output", again, "--quiet"}).exitCode, 0);
    Model::Scene second;
    const auto copy = readVolume(again, second);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->materialIds(), ids);
}

TEST(BatchProgram, ShippedExampleListsRun)
{
    // Every list in examples/ runs to the end and its Save Image step leaves a picture in
    // the working directory.
    const QDir examples(QStringLiteral(KELVANE_EXAMPLES_DIR));
    const QStringList lists = examples.entryList({QStringLiteral("*.plst")}, QDir::Files, QDir::Name);
    ASSERT_GE(lists.size(), 3);
    for (const QString &name : lists) {
        const QString output = QDir(TestEnv::workDir()).filePath(QFileInfo(name).completeBaseName() + ".mem");
        const BatchRun run = runBatch({examples.filePath(name), "--output", output, "--quiet"});
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << ": " << run.errors.toStdString();
        EXPECT_TRUE(QFileInfo::exists(QDir(TestEnv::workDir()).filePath(QFileInfo(name).completeBaseName() + ".png")))
            << name.toStdString() << ": " << run.errors.toStdString();
    }

    // The lithography example opens a ring and a square in the resist around (30, 30) and
    // etches the silicon under them; the resist elsewhere protects it.
    Model::Scene scene;
    const auto volume = readVolume(QDir(TestEnv::workDir()).filePath("lithography.mem"), scene);
    ASSERT_TRUE(volume);
    const std::vector<uint32_t> ids = volume->materialIds();
    const uint32_t resist = 11, silicon = 1;
    EXPECT_EQ(ids[volume->index(45, 30, 19)], 0u);  // in the ring opening
    EXPECT_EQ(ids[volume->index(30, 30, 19)], 0u);  // in the square opening
    EXPECT_EQ(ids[volume->index(30, 30, 20)], 0u);
    EXPECT_EQ(ids[volume->index(38, 30, 19)], silicon);  // the island between them
    EXPECT_EQ(ids[volume->index(38, 30, 20)], resist);
    EXPECT_EQ(ids[volume->index(10, 10, 19)], silicon);
    EXPECT_EQ(ids[volume->index(10, 10, 20)], resist);

    // The wet etch example etches an inverted pyramid under the 24-cell opening of the
    // oxide, [18, 42) on both axes: its (111) walls slope inwards by 1 / sqrt(2) per unit of
    // depth, meeting about 17 below the surface (z = 29); the oxide and the silicon under
    // it stay.
    Model::Scene wetScene;
    const auto wet = readVolume(QDir(TestEnv::workDir()).filePath("wet-etch.mem"), wetScene);
    ASSERT_TRUE(wet);
    const std::vector<uint32_t> w = wet->materialIds();
    const uint32_t oxide = 3;
    EXPECT_EQ(w[wet->index(30, 30, 29)], 0u);
    EXPECT_EQ(w[wet->index(30, 30, 18)], 0u);
    EXPECT_EQ(w[wet->index(30, 30, 8)], silicon);
    EXPECT_EQ(w[wet->index(21, 30, 27)], 0u); // near the rim, shallow
    EXPECT_EQ(w[wet->index(21, 30, 17)], silicon); // near the rim, deep: under the wall
    EXPECT_EQ(w[wet->index(30, 21, 17)], silicon);
    EXPECT_EQ(w[wet->index(10, 10, 29)], silicon);
    EXPECT_EQ(w[wet->index(10, 10, 30)], oxide);
    EXPECT_EQ(w[wet->index(10, 10, 32)], 0u); // the resist was stripped

    // The doping example implants through the 20-cell opening of the 6-cell oxide, [20, 40)
    // on both axes, 3 cells deep; the oxide elsewhere is thicker than the implant's range,
    // so the silicon under it stays undoped. The oxidation then turns the opened silicon's
    // top two layers into oxide and grows one layer upwards.
    Model::Scene dopeScene;
    const auto doped = readVolume(QDir(TestEnv::workDir()).filePath("doping.mem"), dopeScene);
    ASSERT_TRUE(doped);
    const std::vector<uint32_t> d = doped->materialIds();
    const uint32_t nDoped = 14;
    EXPECT_EQ(d[doped->index(30, 30, 20)], oxide);
    EXPECT_EQ(d[doped->index(30, 30, 21)], 0u);
    EXPECT_EQ(d[doped->index(30, 30, 18)], oxide);
    EXPECT_EQ(d[doped->index(30, 30, 17)], nDoped);
    EXPECT_EQ(d[doped->index(30, 30, 15)], nDoped);
    EXPECT_EQ(d[doped->index(30, 30, 5)], silicon);
    EXPECT_EQ(d[doped->index(10, 10, 17)], silicon);
    EXPECT_EQ(d[doped->index(10, 10, 19)], silicon);
    EXPECT_EQ(d[doped->index(10, 10, 25)], oxide);
    EXPECT_EQ(d[doped->index(10, 10, 26)], 0u); // the resist was planarized away
}

TEST(BatchProgram, ImageOfTheFinalViewAndNoOpenGL)
{
    const QString list = writeFile("image.plst", substrateList());
    const QDir work(TestEnv::workDir());
    const BatchRun run = runBatch({list, "--image", work.filePath("final.png"), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(work.filePath("final.png"));
    ASSERT_FALSE(image.isNull());
    // The substrate is drawn: not every pixel has the background's colour.
    const QRgb corner = image.pixel(0, 0);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; y += 4)
        for (int x = 0; x < image.width() && !drawn; x += 4)
            drawn = image.pixel(x, y) != corner;
    EXPECT_TRUE(drawn);

    // Every pixel is opaque, the background included.
    EXPECT_EQ(qAlpha(corner), 255);

    // Without any OpenGL the program says so, still writes the document and fails.
    QProcessEnvironment noGl = QProcessEnvironment::systemEnvironment();
    noGl.insert("QT_QPA_PLATFORM", "minimal");
    const BatchRun without = runBatch({list, "--image", work.filePath("none.png"), "--output", work.filePath("none.mem")}, noGl);
    EXPECT_EQ(without.exitCode, 1) << without.errors.toStdString();
    EXPECT_TRUE(without.errors.contains(work.filePath("none.png") + " was not written: ")) << without.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work.filePath("none.png")));
    Model::Scene scene;
    EXPECT_TRUE(readVolume(work.filePath("none.mem"), scene));
}

// A Save Image step whose picture is not written fails: the run says so, ends with 1 and
// still writes its other outputs.
TEST(BatchProgram, SaveImageStepWithoutItsPictureFails)
{
    const QDir work(TestEnv::workDir());
    const QString output = work.filePath("unpictured.mem");
    const QString missingFolder = work.filePath("no-such-folder/shot.png");
    BatchRun run = runBatch({BatchTest::example("substrate.plst"), "--set", "2.Filename=" + missingFolder, "--output",
                             output});
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("the image " + missingFolder + " was not written: ")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("[2/2] Save Image failed after ")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("kelvane-batch: 1 of 2 steps ran")) << run.errors.toStdString();
    Model::Scene scene;
    EXPECT_TRUE(readVolume(output, scene));

    // Without OpenGL no picture can be drawn at all.
    QFile::remove(output);
    QProcessEnvironment noGl = QProcessEnvironment::systemEnvironment();
    noGl.insert("QT_QPA_PLATFORM", "minimal");
    run = runBatch({BatchTest::example("substrate.plst"), "--set", "2.Filename=" + work.filePath("shot.png"),
                    "--output", output, "--quiet"},
                   noGl);
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("[2/2] Save Image failed after ")) << run.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work.filePath("shot.png")));
    Model::Scene again;
    EXPECT_TRUE(readVolume(output, again));
}

TEST(BatchProgram, FailedStepKeepsEarlierStepsAndStillWritesTheOutput)
{
    // Step type 9999 is no known process; the substrate before it stays.
    const QString list = writeFile("failing.plst", substrateList("<Process-Data process-type=\"9999\"/>\n"));
    const QString output = QDir(TestEnv::workDir()).filePath("failing.mem");
    const BatchRun run = runBatch({list, "--output", output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("[2/2]")) << run.errors.toStdString();
    Model::Scene scene;
    EXPECT_TRUE(readVolume(output, scene));
}

TEST(BatchProgram, BadArgumentsAndMalformedListsWriteNothing)
{
    const QString output = QDir(TestEnv::workDir()).filePath("never.mem");
    const QString good = writeFile("good.plst", substrateList());
    const QString malformed = writeFile("malformed.plst", "<Process-List version=\"1\"><Process-Data");
    const QString notAList = writeFile("notalist.plst", "<Document/>");

    const QList<QStringList> calls = {
        {},                                          // no list
        {good, good},                                // two lists
        {good, "--threads", "0", "--output", output}, // absurd thread count
        {good, "--bogus", "--output", output},       // unknown option
        {malformed, "--output", output},
        {notAList, "--output", output},
        {QDir(TestEnv::workDir()).filePath("missing.plst"), "--output", output},
        {good, "--input", malformed, "--output", output},
        {good, "--output", QDir(TestEnv::workDir()).filePath("no/such/folder/out.mem")},
    };
    for (const QStringList &arguments : calls) {
        const BatchRun run = runBatch(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errors.contains("kelvane-batch: ")) << arguments.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(output)) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(runBatch({"--help"}).exitCode, 0);
}
