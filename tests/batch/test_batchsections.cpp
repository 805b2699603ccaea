// kelvane-batch --section: the cut through the shipped cantilever example, pixel block by
// pixel block, its scale bar and legend, the three planes' orientation, and usage errors.
#include "batchtestsupport.h"

#include "Model/Materials/materialfactory.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using BatchTest::workFile;

namespace {

// The picture's layout: the cells start 60 pixels from the left and 64 from the top;
// the legend starts 28 pixels right of them, one 24-pixel row per entry.
constexpr int cellsLeft = 60;
constexpr int cellsTop = 64;

// The built-in colours as the catalogue file keeps them, in whole bytes: Si 0.5, 0.5,
// 0.5; Thermal SiO2 0.5, 0.5, 1; Poly-Si 0.3, 0.5, 0.4.
const QRgb empty = qRgb(232, 236, 240);
const QRgb silicon = qRgb(127, 127, 127);
const QRgb oxide = qRgb(127, 127, 255);
const QRgb poly = qRgb(76, 127, 102);
const QRgb white = qRgb(255, 255, 255);

// The colour in the middle of the block of the cell at column `across`, row `up` from
// the bottom, of a picture with `rows` rows of `block`-pixel cells.
QRgb cell(const QImage &image, int block, int rows, int across, int up)
{
    return image.pixel(cellsLeft + across * block + block / 2, cellsTop + (rows - 1 - up) * block + block / 2);
}

} // namespace

TEST(BatchSections, CantileverCutsShowTheBeamToScaleWithItsMaterials)
{
    // The cantilever volume is 64 x 32 x 24 cells of edge 1; the released Poly-Si beam
    // spans x 20..55, y 12..19, z 14..16, its pad stands on oxide around x 12.
    const QString side = workFile("side.png");
    const QString end = workFile("end.png");
    const QString top = workFile("top.png");
    const QString list = BatchTest::example("cantilever.plst");
    Model::Materials::MaterialFactory::instance(); // every run reads the catalogue file
    for (const auto &[plane, file] : {std::pair<QString, QString>("y=15", side), {"X=40", end}, {"z=15", top}}) {
        const BatchTest::Run run = BatchTest::run({list, "--section", plane, "--section-image", file, "--quiet"});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    }

    // Seen from the side: x across, z up, 64 cells of 10 pixels (the long side at least
    // 600 pixels in whole pixels per cell), every pixel opaque.
    QImage image(side);
    ASSERT_FALSE(image.isNull());
    EXPECT_FALSE(image.hasAlphaChannel());
    const int block = 10;
    EXPECT_EQ(cell(image, block, 24, 40, 14), poly);
    EXPECT_EQ(cell(image, block, 24, 55, 16), poly);
    EXPECT_EQ(cell(image, block, 24, 56, 14), empty);
    EXPECT_EQ(cell(image, block, 24, 40, 13), empty);
    EXPECT_EQ(cell(image, block, 24, 40, 9), silicon);
    EXPECT_EQ(cell(image, block, 24, 12, 10), oxide);
    EXPECT_EQ(cell(image, block, 24, 0, 0), silicon);
    EXPECT_EQ(cell(image, block, 24, 63, 23), empty);
    // Blocks are whole: the beam's first column starts exactly at its cell's edge.
    EXPECT_EQ(image.pixel(cellsLeft + 56 * block - 1, cellsTop + (23 - 15) * block), poly);
    EXPECT_EQ(image.pixel(cellsLeft + 56 * block, cellsTop + (23 - 15) * block), empty);

    // The scale bar under the axis label: 10 units of 10 pixels each.
    const int barRow = cellsTop + 24 * block + 30 + 4 + 6;
    EXPECT_EQ(image.pixel(cellsLeft, barRow), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(cellsLeft + 99, barRow), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(cellsLeft + 101, barRow), white);

    // The legend: a swatch per material of the cut in id order, empty first, no more.
    const int legendLeft = cellsLeft + 64 * block + 28 + 8;
    const QRgb swatches[] = {empty, silicon, oxide, poly, white};
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(image.pixel(legendLeft, cellsTop + row * 24 + 12), swatches[row]) << "legend row " << row;

    // Across the beam (y across, z up) and from above (x across, y up): 32 x 24 and
    // 64 x 32 cells give blocks of 19 and 10 pixels.
    image = QImage(end);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(cell(image, 19, 24, 12, 15), poly);
    EXPECT_EQ(cell(image, 19, 24, 19, 15), poly);
    EXPECT_EQ(cell(image, 19, 24, 20, 15), empty);
    EXPECT_EQ(cell(image, 19, 24, 11, 15), empty);
    EXPECT_EQ(cell(image, 19, 24, 15, 5), silicon);
    image = QImage(top);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(cell(image, 10, 32, 40, 12), poly);
    EXPECT_EQ(cell(image, 10, 32, 40, 19), poly);
    EXPECT_EQ(cell(image, 10, 32, 40, 20), empty);
    EXPECT_EQ(cell(image, 10, 32, 57, 15), empty);
}

TEST(BatchSections, UsageErrorsAndPlanesOutsideTheVolume)
{
    const QString list = BatchTest::example("substrate.plst");
    const QString file = workFile("section.png");
    const QString document = workFile("section.mem");
    struct Case
    {
        QStringList arguments;
        const char *message;
    };
    // Bad arguments end with 2 before anything runs or is written.
    const Case usage[] = {
        {{"--section", "w=3", "--section-image", file}, "the plane must be x=N, y=N or z=N"},
        {{"--section", "y=-1", "--section-image", file}, "not 'y=-1'"},
        {{"--section", "y=2"}, "--section needs --section-image"},
        {{"--section-image", file}, "--section-image needs --section"},
        {{"--section", "y=2", "--section-image", workFile("section.nosuchformat")}, "cannot be written as .nosuchformat"},
        {{"--section", "y=2", "--section-image", workFile("missing/section.png")}, "does not exist"},
    };
    for (const Case &c : usage) {
        const BatchTest::Run run = BatchTest::run(QStringList{list, "--output", document} + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_TRUE(run.errors.contains(c.message)) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(document)) << c.message;
        EXPECT_FALSE(QFile::exists(file)) << c.message;
    }

    // A plane beyond the final volume is known only after the run: the other outputs are
    // written, an earlier picture of that name stays, and the run ends with 1.
    BatchTest::write(file, "earlier");
    const BatchTest::Run run =
        BatchTest::run({list, "--output", document, "--section", "z=80", "--section-image", file, "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("the plane z = 80 lies outside the cell volume, whose z runs from 0 to 79"))
        << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(document));
    EXPECT_EQ(BatchTest::contents(file), "earlier");
}

// Cells of 1e-5 in z against 1 across: a picture in proportion would need 100000 pixels
// per cell; it is drawn with the usual width instead, one pixel per row, quickly and
// small. A document with an empty axis is refused before anything runs.
TEST(BatchSections, ThinCellsAreDrawnAndEmptyAxesRefused)
{
    const QString noSteps = BatchTest::writeFile("none.plst", "<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n");
    QByteArray state;
    for (int x = 0; x < 100; ++x)
        for (int z = 0; z < 50; ++z)
            state += z < 20 ? "1 " : "0 ";
    const QString thin = BatchTest::writeFile(
        "thin.mem", "<?xml version=\"1.0\"?><Document><Header version=\"1\"/><Object object-type=\"1\" size-x=\"100\" "
                    "size-y=\"1\" size-z=\"50\" cellsize-z=\"1e-05\"><State>" +
                        state + "</State></Object></Document>");
    const QString picture = workFile("thin.png");
    // A home of its own: an earlier run in this process's home leaves a catalogue file
    // there, whose silicon is the file's truncated grey.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    BatchTest::Run run = BatchTest::run({noSteps, "--input", thin, "--section", "y=0", "--section-image", picture, "--quiet"},
                                        QStringLiteral(KELVANE_BATCH_EXE), environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    EXPECT_LT(image.width(), 1000);
    EXPECT_LT(image.height(), 400);
    // 100 columns of 6 pixels, 50 rows of 1: silicon below row 20, empty above. The
    // document brings no materials, so silicon has the built-in catalogue's grey.
    const QRgb builtInSilicon = QColor::fromRgbF(0.5, 0.5, 0.5).rgb();
    EXPECT_EQ(image.pixel(cellsLeft + 3, cellsTop + 49), builtInSilicon);
    EXPECT_EQ(image.pixel(cellsLeft + 599, cellsTop + 30), builtInSilicon);
    EXPECT_EQ(image.pixel(cellsLeft + 3, cellsTop + 29), empty);
    EXPECT_EQ(image.pixel(cellsLeft + 600, cellsTop + 30), qRgb(60, 60, 60)); // the frame

    const QString flat = BatchTest::writeFile(
        "flat.mem", "<?xml version=\"1.0\"?><Document><Header version=\"1\"/><Object object-type=\"1\" size-x=\"4\" "
                    "size-y=\"0\" size-z=\"4\"><State>1 1 </State></Object></Document>");
    const QString output = workFile("flat-out.mem");
    run = BatchTest::run({noSteps, "--input", flat, "--output", output, "--section", "y=0", "--section-image",
                          workFile("flat.png")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains("The cell volume's \"size-y\" is 0")) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_FALSE(QFile::exists(workFile("flat.png")));
}
