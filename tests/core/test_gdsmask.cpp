// Masks rasterised from GDSII layouts written by an independent writer (python3-gdspy):
// shapes, paths, references with their transforms, and the errors that keep a mask.
#include "Core/Operations/Photolithography/gdsmask.h"
#include "../common/gdswriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <set>
#include <utility>

using namespace Core::Operations;

namespace {

using Cells = std::set<std::pair<int, int>>;

Cells opaque(const Mask &mask)
{
    Cells cells;
    for (int i = 0; i < mask.getWidth(); ++i)
        for (int j = 0; j < mask.getHeight(); ++j)
            if (mask.bit(i, j))
                cells.insert({i, j});
    return cells;
}

// Columns x0 <= i < x1, y0 <= j < y1.
Cells block(int x0, int y0, int x1, int y1)
{
    Cells cells;
    for (int i = x0; i < x1; ++i)
        for (int j = y0; j < y1; ++j)
            cells.insert({i, j});
    return cells;
}

Cells unite(std::initializer_list<Cells> parts)
{
    Cells all;
    for (const Cells &part : parts)
        all.insert(part.begin(), part.end());
    return all;
}

class GdsMaskTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString layout(const char *name, const QString &body)
    {
        const QString file = dir.filePath(QLatin1String(name));
        const QString error = GdsWriter::write(file, body);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return file;
    }

    Cells raster(const QString &file, int layer, int sizeX, int sizeY, double scale = 1.0, double offX = 0,
                 double offY = 0, const QString &top = QString())
    {
        GdsMaskPlacement placement;
        placement.layer = layer;
        placement.cellsPerMicron = scale;
        placement.offsetX = offX;
        placement.offsetY = offY;
        placement.topCell = top;
        Mask mask;
        QString reason;
        EXPECT_TRUE(GdsMask::fromFile(file, placement, sizeX, sizeY, &mask, &reason)) << reason.toStdString();
        if (sizeX > 0) {
            EXPECT_EQ(mask.getWidth(), sizeX);
            EXPECT_EQ(mask.getHeight(), sizeY);
        }
        return opaque(mask);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(GdsMaskTest, PolygonsAndPathsCoverTheColumnsWhoseCentresTheyHold)
{
    const QString file = layout("shapes.gds", QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((1, 1), (4, 3), layer=1))
top.add(gdspy.Rectangle((3, 2), (6, 4), layer=1))
top.add(gdspy.Polygon([(0, 0), (6, 0), (0, 6)], layer=3))
top.add(gdspy.FlexPath([(1, 5), (7, 5)], 2, layer=2, ends='flush', gdsii_path=True))
top.add(gdspy.FlexPath([(1, 9), (7, 9)], 2, layer=2, ends='extended', gdsii_path=True))
top.add(gdspy.FlexPath([(1, 1), (5, 1), (5, 5)], 2, layer=4, gdsii_path=True))
lib.add(top)
lib.write_gds(out)
)"));
    // Overlapping rectangles unite.
    EXPECT_EQ(raster(file, 1, 10, 8), unite({block(1, 1, 4, 3), block(3, 2, 6, 4)}));
    // The triangle x + y < 6 holds the centres with i + j < 5.
    Cells triangle;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; i + j < 5; ++j)
            triangle.insert({i, j});
    EXPECT_EQ(raster(file, 3, 10, 8), triangle);
    // Flush ends stop at the end points; extended ends reach half the width beyond.
    EXPECT_EQ(raster(file, 2, 12, 12), unite({block(1, 4, 7, 6), block(0, 8, 8, 10)}));
    // A bend is mitred: its outer corner (5.5, 0.5) is covered.
    EXPECT_EQ(raster(file, 4, 8, 8), unite({block(1, 0, 6, 2), block(4, 1, 6, 5)}));
    // Scale and offset in cells: (1, 1)-(4, 3) at 2 cells per micron, moved by (3, -1).
    EXPECT_EQ(raster(file, 1, 20, 20, 2.0, 3.0, -1.0), unite({block(5, 1, 11, 5), block(9, 3, 15, 7)}));
    // Shapes beyond the volume are clipped; without sizes the mask reaches the far corner.
    EXPECT_EQ(raster(file, 1, 4, 2), block(1, 1, 4, 2));
    GdsMaskPlacement placement;
    placement.layer = 1;
    Mask extent;
    ASSERT_TRUE(GdsMask::fromFile(file, placement, 0, 0, &extent));
    EXPECT_EQ(extent.getWidth(), 6);
    EXPECT_EQ(extent.getHeight(), 4);
}

TEST_F(GdsMaskTest, ReferencesAreFlattenedWithTheirTransforms)
{
    // A 10 nm database unit: coordinates are converted with the file's own unit.
    const QString file = layout("refs.gds", QStringLiteral(R"(
lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-8)
cells = []
for layer in (1, 2, 4, 5):
    c = gdspy.Cell('BAR%d' % layer)
    c.add(gdspy.Rectangle((0, 0), (2, 1), layer=layer))
    cells.append(c)
square = gdspy.Cell('SQUARE')
square.add(gdspy.Rectangle((0, 0), (4, 4), layer=3))
mid = gdspy.Cell('MID')
mid.add(gdspy.CellReference(cells[3], (1, 0)))
top = gdspy.Cell('TOP')
top.add(gdspy.CellReference(cells[0], (5, 5), rotation=90))
top.add(gdspy.CellReference(cells[1], (10, 0), magnification=2))
top.add(gdspy.CellReference(square, (20.25, 20.1), rotation=45))
top.add(gdspy.CellArray(cells[2], 3, 2, (5, 4), (30, 0)))
top.add(gdspy.CellReference(mid, (50, 10), rotation=90))
for c in cells + [square, mid, top]:
    lib.add(c)
lib.write_gds(out)
)"));
    // 90 degrees about the reference point: (0..2, 0..1) becomes (-1..0, 0..2).
    EXPECT_EQ(raster(file, 1, 64, 40), block(4, 5, 5, 7));
    // Magnified twice.
    EXPECT_EQ(raster(file, 2, 64, 40), block(10, 0, 14, 2));
    // 45 degrees: the square becomes a diamond around (20.25, 20.1 + 2 sqrt 2).
    Cells diamond;
    const double r = 2.0 * std::sqrt(2.0), cx = 20.25, cy = 20.1 + r;
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 40; ++j)
            if (std::fabs(i + 0.5 - cx) + std::fabs(j + 0.5 - cy) < r)
                diamond.insert({i, j});
    EXPECT_GE(diamond.size(), 12u);
    EXPECT_EQ(raster(file, 3, 64, 40), diamond);
    // A 3 x 2 array stepping 5 by 4.
    Cells array;
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 2; ++row)
            array = unite({array, block(30 + 5 * c, 4 * row, 32 + 5 * c, 4 * row + 1)});
    EXPECT_EQ(raster(file, 4, 64, 40), array);
    // Nested: moved inside MID, then MID turned 90 degrees.
    EXPECT_EQ(raster(file, 5, 64, 40), block(49, 11, 50, 13));
    // A chosen top cell draws only that structure, at its own origin.
    EXPECT_EQ(raster(file, 1, 64, 40, 1.0, 0, 0, QStringLiteral("BAR1")), block(0, 0, 2, 1));
    EXPECT_EQ(raster(file, 5, 64, 40, 1.0, 0, 0, QStringLiteral("MID")), block(1, 0, 3, 1));
}

TEST_F(GdsMaskTest, ErrorsNameTheProblemAndKeepTheMask)
{
    const QString file = layout("one.gds", QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((0, 0), (2, 2), layer=1))
top.add(gdspy.Rectangle((0, 0), (2, 2), layer=7))
lib.add(top)
lib.write_gds(out)
)"));
    const QString cycle = layout("cycle.gds", QStringLiteral(R"(
c = gdspy.Cell('C')
d = gdspy.Cell('D')
c.add(gdspy.Rectangle((0, 0), (1, 1), layer=1))
c.add(gdspy.CellReference(d, (0, 0)))
d.add(gdspy.CellReference(c, (5, 0)))
lib.add(c)
lib.add(d)
lib.write_gds(out)
)"));
    QFile junk(dir.filePath(QStringLiteral("junk.gds")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("This is a text file, not a layout.\n");
    junk.close();
    QFile empty(dir.filePath(QStringLiteral("empty.gds")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    const Mask before({true, false}, 1, 2);
    const auto failure = [&](const QString &name, int layer, double scale, int sizeX = 10, const QString &top = {}) {
        GdsMaskPlacement placement;
        placement.layer = layer;
        placement.cellsPerMicron = scale;
        placement.topCell = top;
        Mask mask = before;
        QString reason;
        EXPECT_FALSE(GdsMask::fromFile(name, placement, sizeX, 10, &mask, &reason)) << name.toStdString();
        EXPECT_EQ(mask, before);
        return reason;
    };
    const QString missing = dir.filePath(QStringLiteral("missing.gds"));
    EXPECT_EQ(failure(missing, 1, 1.0), "Cannot read the layout file " + missing + ".");
    EXPECT_TRUE(failure(junk.fileName(), 1, 1.0).startsWith(junk.fileName() + " is not a GDSII layout ("));
    EXPECT_TRUE(failure(empty.fileName(), 1, 1.0).startsWith(empty.fileName() + " is not a GDSII layout ("));
    EXPECT_EQ(failure(file, 3, 1.0), "The layout has no shapes on layer 3. Layers with shapes: 1, 7.");
    EXPECT_EQ(failure(file, 1, 1.0, 10, QStringLiteral("NOPE")), "The layout has no structure named NOPE.");
    // Structures that reference each other are refused with the cycle named, not recursed into.
    EXPECT_EQ(failure(cycle, 1, 1.0),
              cycle + " has no top-level structure (each one is referenced by another); name a top cell.");
    EXPECT_EQ(failure(cycle, 1, 1.0, 10, QStringLiteral("C")),
              "References form a cycle: C > D > C.");
    const QString scaleText = "The scale must be a positive number of cells per micron, at most 1000000.";
    EXPECT_EQ(failure(file, 1, 0.0), scaleText);
    EXPECT_EQ(failure(file, 1, -2.0), scaleText);
    EXPECT_EQ(failure(file, 1, std::nan("")), scaleText);
    EXPECT_EQ(failure(file, 1, 1.0e9), scaleText);
    // At 0.1 cells per micron the 2 micron square holds no column centre.
    EXPECT_EQ(failure(file, 1, 0.1),
              "No shape on layer 1 covers a column of the 10 x 10 columns; check the scale and the offset.");
    EXPECT_TRUE(failure(file, 1, 1.0, 20000000).startsWith("A mask cannot have more than"));
}
