// kelvane-batch with a photolithography step whose top mask names a GDSII layout: the
// layout is rasterised at run time from the list's own folder, its offset can be swept
// with --set, and a layout that cannot be read fails the step with the reason.
#include "batchtestsupport.h"
#include "gdswriter.h"

#include <QDir>
#include <gtest/gtest.h>
#include <vector>

using BatchTest::workFile;

namespace {

// A 12 x 12 x 16 volume with 4 layers of Si, positive resist (11) poured up to z = 7,
// then photolithography through the top mask `layout` (layer 1, 1 cell per micron).
QByteArray layoutList(const QString &layout)
{
    return (QString::fromLatin1(BatchTest::smallSubstrateList) + QStringLiteral(R"(    <Process-Data process-type="9">
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="11" parameter-visibility="false"/>
        <Parameter parameter-name="Maximum Height" parameter-type="uint" parameter-data="7" parameter-visibility="true"/>
    </Process-Data>
    <Process-Data process-type="0">
        <Parameter parameter-name="Bottom Mask" parameter-type="vector" parameter-data="" parameter-visibility="false"/>
        <Parameter parameter-name="Bottom Mask Height" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Bottom Mask Width" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Material_Id" parameter-type="uint" parameter-data="11" parameter-visibility="false"/>
        <Parameter parameter-name="Top Mask" parameter-type="vector" parameter-data="" parameter-visibility="false"/>
        <Parameter parameter-name="Top Mask Datatype" parameter-type="int" parameter-data="-1" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask File" parameter-type="QString" parameter-data="%1" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Height" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Layer" parameter-type="int" parameter-data="1" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Layout" parameter-type="QString" parameter-data="%1" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Offset X" parameter-type="double" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Offset Y" parameter-type="double" parameter-data="0" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Scale" parameter-type="double" parameter-data="1" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Top Cell" parameter-type="QString" parameter-data="" parameter-visibility="true"/>
        <Parameter parameter-name="Top Mask Width" parameter-type="uint" parameter-data="0" parameter-visibility="true"/>
    </Process-Data>
</Process-List>
)"))
        .arg(layout)
        .toUtf8();
}

using Polygon = std::vector<std::pair<double, double>>;

// The shapes of layer 1, in microns; no column centre lies on an edge at whole offsets.
const std::vector<Polygon> layer1 = {{{1.2, 1.7}, {9.3, 2.4}, {4.1, 10.6}},
                                     {{7.3, 7.2}, {11.4, 7.2}, {11.4, 9.8}, {7.3, 9.8}}};

// gdspy lines drawing layer 1 above, and on layer 2 a square over every column, which a
// step that ignored the layer would keep all resist under.
const char *layoutBody = "cell = gdspy.Cell('TOP')\n"
                         "cell.add(gdspy.Polygon([(1.2, 1.7), (9.3, 2.4), (4.1, 10.6)], layer=1))\n"
                         "cell.add(gdspy.Rectangle((7.3, 7.2), (11.4, 9.8), layer=1))\n"
                         "cell.add(gdspy.Rectangle((-1, -1), (20, 20), layer=2))\n"
                         "lib.add(cell)\n"
                         "lib.write_gds(out)";

// Crossing-number test of a point against one polygon.
bool inside(const Polygon &polygon, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const double xi = polygon[i].first, yi = polygon[i].second;
        const double xj = polygon[j].first, yj = polygon[j].second;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

// Whether the layout covers column (x, y) when its origin lies at (offsetX, 0) cells.
bool covered(uint32_t x, uint32_t y, double offsetX)
{
    for (const Polygon &p : layer1)
        if (inside(p, x + 0.5 - offsetX, y + 0.5))
            return true;
    return false;
}

// Compares the document's resist with the layout: a covered column keeps its three
// resist cells (z 4..6), an open one has none; the silicon below is untouched.
void expectResistFollowsLayout(const QString &document, double offsetX)
{
    Model::Scene scene;
    const auto volume = BatchTest::readVolume(document, scene);
    ASSERT_TRUE(volume);
    ASSERT_EQ(volume->getSizeX(), 12u);
    const std::vector<uint32_t> ids = volume->materialIds();
    int coveredColumns = 0;
    for (uint32_t x = 0; x < 12; ++x)
        for (uint32_t y = 0; y < 12; ++y) {
            const bool keep = covered(x, y, offsetX);
            coveredColumns += keep ? 1 : 0;
            for (uint32_t z = 0; z < 16; ++z) {
                const uint32_t expected = z < 4 ? 1u : (z < 7 && keep ? 11u : 0u);
                ASSERT_EQ(ids[volume->index(x, y, z)], expected)
                    << "column " << x << ", " << y << " at z " << z << " (offset " << offsetX << ")";
            }
        }
    EXPECT_GT(coveredColumns, 10);
    EXPECT_LT(coveredColumns, 100);
}

} // namespace

TEST(BatchLayouts, LayoutMaskIsRasterisedFromTheListsFolderAndItsOffsetSwept)
{
    // The list and its layout live in a folder other than the working directory.
    ASSERT_TRUE(QDir(TestEnv::workDir()).mkpath("lists"));
    const QString error = GdsWriter::write(workFile("lists/mask.gds"), layoutBody);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString list = BatchTest::writeFile("lists/litho.plst", layoutList("mask.gds"));

    const QString document = workFile("litho.mem");
    BatchTest::Run run = BatchTest::run({list, "--output", document, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    expectResistFollowsLayout(document, 0.0);

    const QString shifted = workFile("shifted.mem");
    run = BatchTest::run({list, "--set", "3.Top Mask Offset X=5", "--output", shifted, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    expectResistFollowsLayout(shifted, 5.0);

    // A placement the step cannot take is refused before anything runs.
    run = BatchTest::run({list, "--set", "3.Top Mask Scale=0", "--output", workFile("never.mem")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("Top Mask Scale must be a number of cells per micron above 0"))
        << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(workFile("never.mem")));
}

TEST(BatchLayouts, ALayoutThatCannotBeReadFailsItsStepWithTheReason)
{
    // Missing: found by the check of a --set as well as by the run.
    const QString missing = BatchTest::writeFile("missing.plst", layoutList("nowhere.gds"));
    BatchTest::Run run = BatchTest::run({missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QDir(TestEnv::workDir()).filePath("nowhere.gds") + " cannot be read: no such file"))
        << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("[3/3] Photolithography failed")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("2 of 3 steps ran")) << run.errors.toStdString();

    const QString good = BatchTest::writeFile("good.plst", layoutList("good.gds"));
    run = BatchTest::run({good, "--set", "3.Top Mask Offset X=1"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("good.gds cannot be read: no such file")) << run.errors.toStdString();

    // Present but no layout: the reader's reason, and no resist is exposed.
    BatchTest::writeFile("broken.gds", QByteArray("not a layout at all"));
    const QString broken = BatchTest::writeFile("broken.plst", layoutList("broken.gds"));
    const QString document = workFile("broken.mem");
    run = BatchTest::run({broken, "--output", document});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("the top mask layout " + QDir(TestEnv::workDir()).filePath("broken.gds") +
                                    " cannot be used: "))
        << run.errors.toStdString();
    Model::Scene scene;
    const auto volume = BatchTest::readVolume(document, scene);
    ASSERT_TRUE(volume);
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_EQ(ids[volume->index(0, 0, 6)], 11u);
    EXPECT_EQ(ids[volume->index(11, 11, 4)], 11u);
}
