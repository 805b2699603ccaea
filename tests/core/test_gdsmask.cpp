// Masks rasterised from GDSII layouts written by an independent writer (python3-gdspy):
// shapes, paths, references with their transforms, and the errors that keep a mask.
#include "Core/Operations/Photolithography/gdsmask.h"
#include "../common/gdsbytes.h"
#include "../common/gdswriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
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

namespace {

// gdspy's own flattened polygons of the top cells, written next to the layout as lines of
// "layer datatype x0 y0 x1 y1 ..." in microns, for an independent rasterisation.
const char *const dumpPolygons = R"(
def dump(cells):
    with open(out + '.txt', 'w') as f:
        for c in cells:
            for (l, d), polys in c.get_polygons(by_spec=True).items():
                for p in polys:
                    f.write('%d %d %s\n' % (l, d, ' '.join('%.12g %.12g' % (x, y) for x, y in p)))
)";

struct Shape
{
    int layer, datatype;
    std::vector<double> xy;
};

std::vector<Shape> readShapes(const QString &file)
{
    std::vector<Shape> shapes;
    QFile in(file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
    while (!in.atEnd()) {
        const QList<QByteArray> words = in.readLine().simplified().split(' ');
        if (words.size() < 8)
            continue;
        Shape shape{words[0].toInt(), words[1].toInt(), {}};
        for (int k = 2; k < words.size(); ++k)
            shape.xy.push_back(words[k].toDouble());
        shapes.push_back(shape);
    }
    return shapes;
}

// Column centres inside the shapes of a layer (datatype -1: all), by each polygon's
// winding number; centres closer than `band` cells to an edge are left out of `sure`.
struct Reference
{
    Cells inside;
    Cells unsure;
};

Reference rasterise(const std::vector<Shape> &shapes, int layer, int datatype, int sizeX, int sizeY, double scale,
                    double offX, double offY, double band)
{
    Reference result;
    for (int i = 0; i < sizeX; ++i)
        for (int j = 0; j < sizeY; ++j) {
            const double px = (i + 0.5 - offX) / scale, py = (j + 0.5 - offY) / scale;
            bool in = false, near = false;
            for (const Shape &shape : shapes) {
                if (shape.layer != layer || (datatype >= 0 && shape.datatype != datatype))
                    continue;
                const size_t n = shape.xy.size() / 2;
                int winding = 0;
                for (size_t k = 0; k < n; ++k) {
                    const double x0 = shape.xy[2 * k], y0 = shape.xy[2 * k + 1];
                    const double x1 = shape.xy[2 * ((k + 1) % n)], y1 = shape.xy[2 * ((k + 1) % n) + 1];
                    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
                    const double t = length2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0, 1.0) : 0.0;
                    if (std::hypot(px - x0 - t * dx, py - y0 - t * dy) * scale < band)
                        near = true;
                    const double cross = dx * (py - y0) - dy * (px - x0);
                    if (y0 <= py && y1 > py && cross > 0)
                        ++winding;
                    else if (y0 > py && y1 <= py && cross < 0)
                        --winding;
                }
                in = in || winding != 0;
            }
            if (near)
                result.unsure.insert({i, j});
            else if (in)
                result.inside.insert({i, j});
        }
    return result;
}

// The columns where two rasterisations differ, leaving out the unsure ones.
Cells differing(const Cells &ours, const Reference &reference)
{
    Cells diff;
    for (const auto &cell : ours)
        if (!reference.inside.count(cell) && !reference.unsure.count(cell))
            diff.insert(cell);
    for (const auto &cell : reference.inside)
        if (!ours.count(cell))
            diff.insert(cell);
    return diff;
}

} // namespace

TEST_F(GdsMaskTest, MatchesAnIndependentRasterisationOfTheWritersOwnPolygons)
{
    // Shapes on two layers and two datatypes, a polygon with a hole, the four path ends.
    const QString shapes = layout("shapes2.gds", QString::fromLatin1(dumpPolygons) + QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((1, 1), (9, 5), layer=1, datatype=0))
top.add(gdspy.Rectangle((4, 3), (12, 12), layer=1, datatype=7))
top.add(gdspy.Polygon([(2, 14), (14, 20), (3, 24)], layer=2))
top.add(gdspy.boolean(gdspy.Rectangle((16, 2), (30, 14)), gdspy.Rectangle((19, 5), (26, 10)), 'not', layer=3))
ends = {4: 'flush', 5: 'round', 6: 'extended', 7: (1.5, 0.75)}
for layer, end in ends.items():
    top.add(gdspy.FlexPath([(3, 28), (13, 28), (18, 34), (26, 30)], 2.5, ends=end, layer=layer, gdsii_path=True))
lib.add(top)
lib.write_gds(out)
dump([top])
)"));
    const std::vector<Shape> shapeDump = readShapes(shapes + ".txt");
    const auto check = [&](const QString &file, const std::vector<Shape> &dump, int layer, int datatype,
                           const QString &top = QString(), double band = 1e-6) {
        const double scale = 2.0, offX = 0.3, offY = -0.6;
        GdsMaskPlacement placement;
        placement.layer = layer;
        placement.datatype = datatype;
        placement.cellsPerMicron = scale;
        placement.offsetX = offX;
        placement.offsetY = offY;
        placement.topCell = top;
        Mask mask;
        QString reason;
        EXPECT_TRUE(GdsMask::fromFile(file, placement, 80, 80, &mask, &reason)) << reason.toStdString();
        const Reference reference = rasterise(dump, layer, datatype, 80, 80, scale, offX, offY, band);
        EXPECT_GT(reference.inside.size(), 10u) << "layer " << layer;
        EXPECT_LT(reference.unsure.size(), reference.inside.size() / 8 + 1) << "layer " << layer;
        EXPECT_EQ(differing(opaque(mask), reference), Cells()) << "layer " << layer << " datatype " << datatype;
    };
    check(shapes, shapeDump, 1, -1);
    check(shapes, shapeDump, 1, 0);
    check(shapes, shapeDump, 1, 7);
    check(shapes, shapeDump, 2, -1);
    check(shapes, shapeDump, 3, -1);
    check(shapes, shapeDump, 4, -1);
    // The writer draws round ends and bends as finer polygons than our discs.
    check(shapes, shapeDump, 5, -1, QString(), 0.05);
    check(shapes, shapeDump, 6, -1);
    check(shapes, shapeDump, 7, -1);

    // Rotated, magnified and reflected references and arrays in a 10 nm database unit,
    // under two top cells.
    const QString refs = layout("refs2.gds", QString::fromLatin1(dumpPolygons) + QStringLiteral(R"(
lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-8)
leaf = gdspy.Cell('LEAF')
leaf.add(gdspy.Polygon([(0, 0), (4, 0), (4, 1), (1, 1), (1, 3), (0, 3)], layer=1))
leaf.add(gdspy.FlexPath([(0, 4), (3, 4), (3, 6)], 0.8, ends='extended', layer=1, gdsii_path=True))
mid = gdspy.Cell('MID')
mid.add(gdspy.CellReference(leaf, (2, 1), rotation=30, x_reflection=True))
top = gdspy.Cell('TOP')
top.add(gdspy.CellReference(leaf, (5.03, 5.01)))
top.add(gdspy.CellReference(leaf, (15.02, 5.01), x_reflection=True))
top.add(gdspy.CellReference(leaf, (25.01, 5.02), rotation=90, x_reflection=True, magnification=1.5))
top.add(gdspy.CellReference(leaf, (30.07, 10.01), rotation=200, magnification=0.7))
top.add(gdspy.CellReference(mid, (5.01, 15.03), rotation=-45, magnification=1.25))
top.add(gdspy.CellArray(leaf, 3, 2, (6, 7), (2.01, 22.03)))
top.add(gdspy.CellArray(leaf, 2, 2, (6, 7), (30.02, 24.01), rotation=30, x_reflection=True))
other = gdspy.Cell('OTHER')
other.add(gdspy.CellReference(leaf, (20.01, 34.02), rotation=180, x_reflection=True))
for c in (leaf, mid, top, other):
    lib.add(c)
lib.write_gds(out)
dump([top, other])
with open(out + '.other.txt', 'w') as f:
    for (l, d), polys in other.get_polygons(by_spec=True).items():
        for p in polys:
            f.write('%d %d %s\n' % (l, d, ' '.join('%.12g %.12g' % (x, y) for x, y in p)))
)"));
    check(refs, readShapes(refs + ".txt"), 1, -1);
    check(refs, readShapes(refs + ".other.txt"), 1, -1, QStringLiteral("OTHER"));
}

namespace {

// A layout holding one structure TOP with the given body, in a 1 nm database unit.
QByteArray oneStructure(const std::function<void(GdsBytes &)> &body)
{
    GdsBytes gds;
    gds.beginStructure("TOP");
    body(gds);
    gds.endStructure();
    gds.endLibrary();
    return gds.bytes;
}

Cells rasterBytes(const QByteArray &bytes, int layer, int datatype, int size, const QString &top = QString())
{
    GdsLayout layout;
    QString reason;
    EXPECT_TRUE(GdsLayout::fromBytes(bytes, top, &layout, &reason)) << reason.toStdString();
    GdsMaskPlacement placement;
    placement.layer = layer;
    placement.datatype = datatype;
    Mask mask;
    EXPECT_TRUE(GdsMask::fromLayout(layout, placement, size, size, &mask, &reason)) << reason.toStdString();
    return opaque(mask);
}

QString refusal(const QByteArray &bytes, const QString &top = QString())
{
    GdsLayout layout;
    QString reason;
    EXPECT_FALSE(GdsLayout::fromBytes(bytes, top, &layout, &reason));
    EXPECT_TRUE(layout.layers().empty());
    return reason;
}

} // namespace

TEST_F(GdsMaskTest, HandWrittenRecordsBoxesReflectionAndSkippedElements)
{
    // A box, a text and a node with properties (skipped), two datatypes of layer 1, a
    // custom path extension, and an L reflected about x then turned 90 degrees.
    GdsBytes gds;
    gds.beginStructure("L");
    gds.rectangle(9, 0, 0, 0, 3000, 1000);
    gds.rectangle(9, 0, 0, 0, 1000, 2000);
    gds.endStructure();
    gds.beginStructure("TOP");
    gds.box(1, 3, 1000, 1000, 4000, 3000);
    gds.textAndNode(1);
    gds.rectangle(1, 2, 6000, 1000, 8000, 2000);
    gds.path(2, 4, 1000, {{2000, 10500}, {6000, 10500}}, 1000, -500);
    gds.sref("L", 15000, 5000, true, 1.0, 90.0);
    gds.endStructure();
    gds.endLibrary();
    EXPECT_EQ(rasterBytes(gds.bytes, 1, -1, 20), unite({block(1, 1, 4, 3), block(6, 1, 8, 2)}));
    EXPECT_EQ(rasterBytes(gds.bytes, 1, 3, 20), block(1, 1, 4, 3));
    EXPECT_EQ(rasterBytes(gds.bytes, 1, 2, 20), block(6, 1, 8, 2));
    // One micron before the start, half a micron short of the end.
    EXPECT_EQ(rasterBytes(gds.bytes, 2, -1, 20), block(1, 10, 5, 11));
    // (x, y) -> (x, -y) -> turned: (y, x), moved to (15, 5): the L's 3 x 1 bar runs up
    // from the origin and its 1 x 2 bar along x.
    EXPECT_EQ(rasterBytes(gds.bytes, 9, -1, 20), unite({block(15, 5, 16, 8), block(15, 5, 17, 6)}));
    GdsLayout layout;
    ASSERT_TRUE(GdsLayout::fromBytes(gds.bytes, QString(), &layout));
    EXPECT_EQ(layout.layers(), (std::vector<int>{1, 2, 9}));
    EXPECT_EQ(layout.datatypes(1), (std::vector<int>{2, 3}));
    GdsMaskPlacement placement;
    placement.layer = 1;
    placement.datatype = 5;
    Mask mask;
    QString reason;
    EXPECT_FALSE(GdsMask::fromLayout(layout, placement, 20, 20, &mask, &reason));
    EXPECT_EQ(reason, "The layout has no shapes on layer 1, datatype 5. Datatypes with shapes on that layer: 2, 3.");
}

TEST_F(GdsMaskTest, PathEndsFollowTheStoredPathType)
{
    // PATHTYPE 0 ends flush, 2 half the width out, 4 by the path's own extensions (one
    // micron before, two after); a number the format does not define ends flush.
    const struct
    {
        int16_t type;
        int left, right;
    } cases[] = {{0, 2, 6}, {2, 1, 7}, {4, 1, 8}, {3, 2, 6}};
    for (const auto &c : cases) {
        GdsBytes gds;
        gds.beginStructure("TOP");
        gds.path(2, c.type, 2000, {{2000, 11000}, {6000, 11000}}, 1000, 2000);
        gds.endStructure();
        gds.endLibrary();
        EXPECT_EQ(rasterBytes(gds.bytes, 2, -1, 20), block(c.left, 10, c.right, 12)) << c.type;
    }
}

TEST_F(GdsMaskTest, BrokenHierarchiesAndMalformedStreamsAreRefusedWithTheirCause)
{
    // A reference to a structure kept in another file.
    EXPECT_EQ(refusal(oneStructure([](GdsBytes &g) { g.sref("ELSEWHERE", 0, 0); })),
              "Structure TOP references ELSEWHERE, which is not in the layout.");
    // A cycle below the top cell, and a structure that references itself.
    GdsBytes cycle;
    cycle.beginStructure("TOP");
    cycle.sref("A", 0, 0);
    cycle.endStructure();
    cycle.beginStructure("A");
    cycle.rectangle(1, 0, 0, 0, 1000, 1000);
    cycle.sref("B", 0, 0);
    cycle.endStructure();
    cycle.beginStructure("B");
    cycle.aref("A", 2, 2, 0, 0, 5000, 5000);
    cycle.endStructure();
    cycle.endLibrary();
    EXPECT_EQ(refusal(cycle.bytes), "References form a cycle: A > B > A.");
    const QByteArray self = oneStructure([](GdsBytes &g) {
        g.rectangle(1, 0, 0, 0, 1000, 1000);
        g.sref("TOP", 2000, 0);
    });
    EXPECT_EQ(refusal(self), "The data has no top-level structure (each one is referenced by another); name a top cell.");
    EXPECT_EQ(refusal(self, QStringLiteral("TOP")), "References form a cycle: TOP > TOP.");

    // An array of 1000 x 20000 instances of a square (4 points and the closing one): its
    // size is known from COLROW before anything is expanded.
    const GdsBytes bomb = arrayBomb();
    EXPECT_LT(bomb.bytes.size(), 400);
    EXPECT_EQ(refusal(bomb.bytes), "The layout flattens to 120000000 vertices and instances (structure TOP alone), "
                                   "more than the limit of 50000000.");
    // 65 levels of single references.
    GdsBytes deep;
    for (int level = 0; level < 65; ++level) {
        deep.beginStructure("S" + std::to_string(level));
        if (level == 64)
            deep.rectangle(1, 0, 0, 0, 10, 10);
        else
            deep.sref("S" + std::to_string(level + 1), 0, 0);
        deep.endStructure();
    }
    deep.endLibrary();
    EXPECT_EQ(refusal(deep.bytes), "References nest deeper than 64 levels below structure S0.");

    // Every truncation of a valid layout is refused, naming where it stops.
    GdsBytes whole;
    whole.beginStructure("TOP");
    whole.rectangle(1, 0, 0, 0, 1000, 1000);
    whole.path(1, 4, 100, {{0, 0}, {500, 0}}, 10, 10);
    whole.aref("L", 2, 2, 0, 0, 10, 10, true, 45);
    whole.endStructure();
    whole.beginStructure("L");
    whole.box(1, 0, 0, 0, 5, 5);
    whole.textAndNode(1);
    whole.endStructure();
    whole.endLibrary();
    ASSERT_EQ(rasterBytes(whole.bytes, 1, -1, 2), block(0, 0, 1, 1));
    for (int size = 0; size < whole.bytes.size(); ++size) {
        const QString reason = refusal(whole.bytes.left(size));
        EXPECT_TRUE(reason.startsWith("The data is not a GDSII layout (")) << size << ": " << reason.toStdString();
    }
    EXPECT_EQ(refusal(QByteArray()), "The data is not a GDSII layout (the file is empty).");
    EXPECT_EQ(refusal(whole.bytes.left(whole.bytes.size() - 4)),
              QStringLiteral("The data is not a GDSII layout (the file ends at byte %1 before ENDLIB).")
                  .arg(whole.bytes.size() - 4));

    // Records that lie about their size: beyond the end, odd, too short for their data.
    const auto patched = [&](int offset, std::initializer_list<uint8_t> values) {
        QByteArray bytes = oneStructure([](GdsBytes &g) { g.rectangle(1, 0, 0, 0, 1000, 1000); });
        int k = offset;
        for (uint8_t v : values)
            bytes[k++] = char(v);
        return refusal(bytes);
    };
    // HEADER (6) BGNLIB (28) LIBNAME (8) UNITS (20) BGNSTR (28) STRNAME (8), then BOUNDARY at 98.
    EXPECT_EQ(patched(98, {0xff, 0xf0}),
              "The data is not a GDSII layout (BOUNDARY record at byte 98: its length 65520 runs past the end of "
              "the file (170 bytes)).");
    EXPECT_EQ(patched(98, {0x00, 0x05}),
              "The data is not a GDSII layout (BOUNDARY record at byte 98: length 5 is not a valid record length).");
    EXPECT_EQ(patched(98, {0x00, 0x00}),
              "The data is not a GDSII layout (BOUNDARY record at byte 98: length 0 is not a valid record length).");
    // LAYER at 102 claiming a 4-byte integer.
    EXPECT_EQ(patched(105, {0x03}),
              "The data is not a GDSII layout (LAYER record at byte 102: data type 3 where 2 was expected).");
    // XY at 114 with a coordinate count that is not whole points.
    EXPECT_EQ(patched(114, {0x00, 0x2a}),
              "The data is not a GDSII layout (XY record at byte 114: 38 bytes of data is not a valid size).");
    EXPECT_EQ(refusal(QByteArray("This is a text file, not a layout.\n")),
              "The data is not a GDSII layout (unknown (0x69) record at byte 0: its length 21608 runs past the end of "
              "the file (35 bytes)).");
}

TEST_F(GdsMaskTest, ReferencesOutsideTheColumnsAreCulledWithoutLosingTheEdges)
{
    // A 400 x 400 array of 1 x 1 micron squares every 2 microns from (-7, -7): on 10 x 10
    // columns the squares from 1 to 9 hold column centres, the one at -1 none.
    GdsBytes gds;
    gds.beginStructure("SQ");
    gds.rectangle(1, 0, 0, 0, 1000, 1000);
    gds.endStructure();
    gds.beginStructure("TOP");
    gds.aref("SQ", 400, 400, -7000, -7000, 2000, 2000);
    // Reaching into the columns from far outside: only its tip at (9..10, 9..10) shows.
    gds.sref("SQ", 9000, 9000, false, 500.0);
    gds.endStructure();
    gds.endLibrary();
    QFile file(dir.filePath(QStringLiteral("many.gds")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gds.bytes);
    file.close();
    Cells expected = block(9, 9, 10, 10);
    for (int i = 1; i < 10; i += 2)
        for (int j = 1; j < 10; j += 2)
            expected.insert({i, j});
    EXPECT_EQ(raster(file.fileName(), 1, 10, 10), expected);
    // Moved by one cell the squares at -1 land on column 0; the magnified one leaves.
    Cells shifted;
    for (int i = 0; i < 10; i += 2)
        for (int j = 0; j < 10; j += 2)
            shifted.insert({i, j});
    EXPECT_EQ(raster(file.fileName(), 1, 10, 10, 1.0, 1.0, 1.0), shifted);
}
