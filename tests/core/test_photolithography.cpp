// Photolithography: masks read from images, the columns they cover, the development of
// positive and negative resist through top and bottom masks, slicing and thread
// independence, the operation's protocol and the batch step.
#include "cataloguetestsupport.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/Photolithography/photolithography.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/documentfile.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace Core::Operations;
using namespace FilmTest;
using namespace OperationTest;
using Core::BatchRun::MaskBitmap;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessList;
using Core::BatchRun::ProcessListRunner;

namespace {

constexpr uint32_t substrate = 1;
constexpr uint32_t positive = 11;
constexpr uint32_t negative = 12;

const QRgb black = qRgb(0, 0, 0);
const QRgb white = qRgb(255, 255, 255);

// An image of w x h pixels, white except where opaque(i, j) holds, (i, j) counted from
// the bottom-left pixel as the mask counts its bits.
QImage maskImage(int w, int h, const std::function<bool(int, int)> &opaque, QRgb ink = black)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int r = 0; r < h; ++r)
        for (int i = 0; i < w; ++i)
            image.setPixel(i, r, opaque(i, h - 1 - r) ? ink : white);
    return image;
}

QString saved(const QTemporaryDir &dir, const QImage &image, const char *name)
{
    const QString file = dir.path() + QLatin1Char('/') + QLatin1String(name);
    EXPECT_TRUE(image.save(file)) << name;
    return file;
}

// Substrate in z 0..1, resist in z 2..3, empty above.
TotalVolumePtr resistOnSubstrate(uint32_t sx, uint32_t sy, uint32_t resist, uint32_t base = substrate)
{
    return makeVolume(sx, sy, 6, [resist, base](uint32_t, uint32_t, uint32_t z) -> uint32_t {
        return z < 2 ? base : (z < 4 ? resist : 0);
    });
}

// The columns (x, y) whose resist survived, all of them or none of each column.
std::set<std::pair<uint32_t, uint32_t>> resistColumns(const TotalVolumePtr &v, uint32_t resist, uint32_t base = substrate)
{
    const std::vector<uint32_t> ids = v->materialIds();
    std::set<std::pair<uint32_t, uint32_t>> kept;
    for (uint32_t x = 0; x < v->getSizeX(); ++x)
        for (uint32_t y = 0; y < v->getSizeY(); ++y) {
            const bool low = at(v, ids, x, y, 2) == resist;
            EXPECT_EQ(low, at(v, ids, x, y, 3) == resist) << "column " << x << ", " << y << " half developed";
            EXPECT_EQ(at(v, ids, x, y, 0), base);
            EXPECT_EQ(at(v, ids, x, y, 1), base);
            if (low)
                kept.insert({x, y});
        }
    return kept;
}

std::set<std::pair<uint32_t, uint32_t>> allColumnsBut(uint32_t sx, uint32_t sy, std::set<std::pair<uint32_t, uint32_t>> but)
{
    std::set<std::pair<uint32_t, uint32_t>> all;
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            if (!but.count({x, y}))
                all.insert({x, y});
    return all;
}

// The development as a front of cells moving one cell up and down per step, taken
// literally: what the column pass must reproduce.
std::vector<uint32_t> developedByFront(const TotalVolumePtr &v, uint32_t resist, const Mask &bottom, const Mask &top)
{
    std::vector<uint32_t> ids = v->materialIds();
    const uint32_t sx = v->getSizeX(), sy = v->getSizeY(), sz = v->getSizeZ();
    const bool inverted = resist == negative;
    const std::vector<uint8_t> topColumns = top.columnGrid(sx, sy, inverted, inverted);
    const std::vector<uint8_t> bottomColumns = bottom.columnGrid(sx, sy, inverted, inverted);
    std::set<size_t> front;
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            for (uint32_t z = 0; z < sz; ++z) {
                const size_t i = v->index(x, y, z);
                if (ids[i] != resist)
                    continue;
                const size_t c = size_t(x) * sy + y;
                if ((z + 1 < sz && ids[i + 1] == 0 && !topColumns[c]) || (z > 0 && ids[i - 1] == 0 && !bottomColumns[c]))
                    front.insert(i);
            }
    for (uint32_t step = 0; step < sz; ++step) {
        std::set<size_t> next, removals;
        for (size_t i : front) {
            if (ids[i] != resist)
                continue;
            removals.insert(i);
            const uint32_t z = static_cast<uint32_t>(i % sz);
            if (z + 1 < sz)
                next.insert(i + 1);
            if (z > 0)
                next.insert(i - 1);
        }
        for (size_t i : removals)
            ids[i] = 0;
        front.swap(next);
    }
    return ids;
}

} // namespace

// --- masks ---------------------------------------------------------------------------

TEST(Mask, OpaqueIsNearlyBlackOrNearlyRedCountedFromTheBottomLeft)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(white);
    image.setPixel(0, 1, black);                   // bottom-left: bit (0, 0)
    image.setPixel(2, 0, qRgb(255, 0, 0));         // top-right: bit (2, 1)
    image.setPixel(1, 1, qRgb(64, 64, 64));        // dark grey: transparent
    image.setPixel(1, 0, qRgb(200, 0, 0));         // dark red: transparent
    image.setPixel(0, 0, qRgba(0, 0, 0, 128));     // half transparent black: transparent
    const Mask mask = maskFromImage(image);
    ASSERT_EQ(mask.getWidth(), 3);
    ASSERT_EQ(mask.getHeight(), 2);
    ASSERT_EQ(mask.getBits().size(), 6u);
    EXPECT_TRUE(mask.isConsistent());
    // Index i * H + j.
    const std::vector<bool> expected = {true, false, false, false, false, true};
    EXPECT_EQ(mask.getBits(), expected);
    EXPECT_TRUE(mask.bit(2, 1));

    // Within 24 of black or red in every channel is opaque, one level further is not.
    const std::vector<std::pair<QRgb, bool>> shades = {
        {qRgb(24, 24, 24), true},   {qRgb(25, 0, 0), false},    {qRgb(231, 24, 24), true},
        {qRgb(230, 0, 0), false},   {qRgb(255, 25, 0), false},  {qRgb(0, 0, 25), false},
        {qRgba(0, 0, 0, 231), true}, {qRgba(255, 0, 0, 230), false}};
    for (const auto &shade : shades) {
        QImage one(1, 1, QImage::Format_ARGB32);
        one.setPixel(0, 0, shade.first);
        EXPECT_EQ(maskFromImage(one).bit(0, 0), shade.second) << std::hex << shade.first;
    }

    // Indexed and one-bit images give the same bits as their colours say.
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB888}) {
        const QImage converted = maskImage(70, 130, [](int i, int j) { return (i * 3 + j) % 7 == 0; })
                                     .convertToFormat(format, Qt::ThresholdDither);
        const Mask m = maskFromImage(converted);
        ASSERT_EQ(m.getWidth(), 70);
        ASSERT_EQ(m.getHeight(), 130);
        for (int i = 0; i < 70; ++i)
            for (int j = 0; j < 130; ++j)
                ASSERT_EQ(m.bit(i, j), (i * 3 + j) % 7 == 0) << format << " at " << i << ", " << j;
    }

    const Mask none = maskFromImage(QImage());
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(none.getBits().empty());
}

TEST(Mask, FilesThatAreNoImagesLeaveTheMaskAsItWas)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = saved(dir, maskImage(4, 3, [](int i, int j) { return i == j; }), "mask.png");
    const QString bmp = saved(dir, maskImage(4, 3, [](int i, int j) { return i == j; }), "mask.bmp");
    Mask mask;
    ASSERT_TRUE(Mask::fromFile(png, &mask));
    EXPECT_EQ(mask.getWidth(), 4);
    EXPECT_EQ(mask.getHeight(), 3);
    EXPECT_TRUE(mask.bit(2, 2));
    EXPECT_FALSE(mask.bit(2, 1));
    Mask fromBmp;
    ASSERT_TRUE(Mask::fromFile(bmp, &fromBmp));
    EXPECT_EQ(fromBmp, mask);

    QFile text(dir.path() + "/notes.png");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not an image at all");
    text.close();
    const Mask before = mask;
    QString reason;
    EXPECT_FALSE(Mask::fromFile(text.fileName(), &mask, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(Mask::fromFile(dir.path() + "/missing.png", &mask));
    EXPECT_FALSE(Mask::fromFile(QString(), &mask));

    // 81 bytes of BMP claiming 2 x 100663297 pixels: refused from the header at once.
    QFile huge(dir.path() + "/huge.bmp");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(QByteArray::fromHex("424d46000800000000003600000028000000020000000100000601001800000000005000"
                                       "00000000ffffff0010002000130b000013500000130b000000000000000000003f000000"
                                       "2fff76ff0000000000"));
    huge.close();
    EXPECT_FALSE(Mask::fromFile(huge.fileName(), &mask, &reason));
    EXPECT_EQ(reason, "The image is too large to be used as a mask (2 x 100663297 pixels; at most 134217728).");
    EXPECT_EQ(mask, before);

    // 52 bytes of OS/2 bitmap whose header does not tell its size before decoding:
    // refused once decoded (it took 20 s and 400 MB to make a mask of it before).
    QFile os2(dir.path() + "/os2.bmp");
    ASSERT_TRUE(os2.open(QIODevice::WriteOnly));
    os2.write(QByteArray::fromHex("424d1100000000000000280000000c000000035b02d401000100"
                                  "004040200100001a001042000004e64c004fe0a0004fe0600002"));
    os2.close();
    EXPECT_FALSE(Mask::fromFile(os2.fileName(), &mask, &reason));
    EXPECT_EQ(reason.toStdString(), "The image is too large to be used as a mask (23299 x 11262 pixels; at most 134217728).");
    EXPECT_EQ(mask, before);
}

TEST(Mask, JpegAtQuality75GivesTheBitsOfItsPng)
{
    // Black rectangles on white with edges on multiples of 16 pixels, and the same moved
    // off the JPEG block grid by 5 pixels, where the edges come back blurred.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    bool blurred = false;
    for (const int shift : {0, 5}) {
        SCOPED_TRACE(shift);
        const QImage image = maskImage(128, 96, [shift](int i, int j) {
            i -= shift;
            j -= shift;
            return (i >= 16 && i < 48 && j >= 32 && j < 80) || (i >= 64 && i < 112 && j >= 16 && j < 32);
        });
        const QString png = saved(dir, image, "mask.png");
        const QString jpeg = dir.path() + "/mask.jpg";
        ASSERT_TRUE(image.save(jpeg, "JPG", 75));
        const QImage decoded(jpeg);
        for (int y = 0; y < decoded.height(); ++y)
            for (int x = 0; x < decoded.width(); ++x)
                blurred = blurred || decoded.pixel(x, y) != image.pixel(x, y);
        Mask fromPng, fromJpeg;
        ASSERT_TRUE(Mask::fromFile(png, &fromPng));
        ASSERT_TRUE(Mask::fromFile(jpeg, &fromJpeg));
        EXPECT_EQ(fromJpeg, fromPng);
    }
    // The JPEG really was lossy somewhere, or the comparison would prove nothing.
    EXPECT_TRUE(blurred);
}

TEST(Mask, ColumnGridDefaultsBeyondTheImageAndIgnoresMasksThatDoNotFit)
{
    // 2 x 3 mask with bits (0, 0) and (1, 2) over a 3 x 4 volume.
    const Mask mask({true, false, false, false, false, true}, 2, 3);
    const std::vector<uint8_t> grid = mask.columnGrid(3, 4, false, false);
    ASSERT_EQ(grid.size(), 12u);
    const std::vector<uint8_t> expected = {1, 0, 0, 0, /* x = 1 */ 0, 0, 1, 0, /* x = 2 */ 0, 0, 0, 0};
    EXPECT_EQ(grid, expected);
    const std::vector<uint8_t> inverted = mask.columnGrid(3, 4, true, true);
    const std::vector<uint8_t> expectedInverted = {0, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1};
    EXPECT_EQ(inverted, expectedInverted);
    // A mask larger than the volume is cut off at the volume's edge.
    EXPECT_EQ(mask.columnGrid(1, 2, false, true), (std::vector<uint8_t>{1, 0}));

    // Bits that do not fit the size, or negative sizes: every column 0, even the outside.
    EXPECT_EQ(Mask({true, true}, 2, 3).columnGrid(3, 4, true, true), std::vector<uint8_t>(12, 0));
    EXPECT_EQ(Mask({}, -1, 0).columnGrid(2, 2, false, true), std::vector<uint8_t>(4, 0));
    // The empty mask fits (0 bits of 0 x 0): every column takes the outside value.
    EXPECT_EQ(Mask().columnGrid(2, 2, true, true), std::vector<uint8_t>(4, 1));
    EXPECT_EQ(Mask().columnGrid(2, 2, false, false), std::vector<uint8_t>(4, 0));
}

// --- development ---------------------------------------------------------------------

TEST(Photolithography, OneBlackPixelKeepsOrRemovesOnlyColumnZeroZero)
{
    QTemporaryDir dir;
    const QString file = saved(dir, maskImage(5, 4, [](int i, int j) { return i == 0 && j == 0; }), "corner.png");
    Mask top;
    ASSERT_TRUE(Mask::fromFile(file, &top));

    auto v = resistOnSubstrate(5, 4, positive);
    Photolithography(v.get(), positive, Mask(), top).run();
    EXPECT_EQ(resistColumns(v, positive), (std::set<std::pair<uint32_t, uint32_t>>{{0, 0}}));

    auto n = resistOnSubstrate(5, 4, negative);
    Photolithography(n.get(), negative, {}, 0, 0, top.getBits(), top.getWidth(), top.getHeight()).run();
    EXPECT_EQ(resistColumns(n, negative), allColumnsBut(5, 4, {{0, 0}}));
}

TEST(Photolithography, DarkGreyIsTransparentAndColumnsBeyondASmallImageAreOpen)
{
    // Dark grey over column (1, 1), black over (0, 0), on a 2 x 2 image over 4 x 3 cells.
    QImage image = maskImage(2, 2, [](int i, int j) { return i == j; });
    image.setPixel(1, 0, qRgb(40, 40, 40));
    const Mask top = maskFromImage(image);

    auto v = resistOnSubstrate(4, 3, positive);
    Photolithography(v.get(), positive, Mask(), top).run();
    EXPECT_EQ(resistColumns(v, positive), (std::set<std::pair<uint32_t, uint32_t>>{{0, 0}}));

    // Negative resist: removed under black only; grey and the outside keep it.
    auto n = resistOnSubstrate(4, 3, negative);
    Photolithography(n.get(), negative, Mask(), top).run();
    EXPECT_EQ(resistColumns(n, negative), allColumnsBut(4, 3, {{0, 0}}));

    // A mask whose bits do not fit its size is ignored: every column open, whatever
    // the resist.
    auto ignored = resistOnSubstrate(4, 3, negative);
    Photolithography(ignored.get(), negative, Mask({true}, 2, 2), Mask({true}, 2, 2)).run();
    EXPECT_TRUE(resistColumns(ignored, negative).empty());

    // Without masks the positive resist goes, the negative one stays.
    auto bare = resistOnSubstrate(4, 3, positive);
    Photolithography(bare.get(), positive, Mask(), Mask()).run();
    EXPECT_TRUE(resistColumns(bare, positive).empty());
    auto bareNegative = resistOnSubstrate(4, 3, negative);
    Photolithography(bareNegative.get(), negative, Mask(), Mask()).run();
    EXPECT_EQ(resistColumns(bareNegative, negative).size(), 12u);
}

TEST(Photolithography, OnlyRunsTouchingAnEmptyCellOnAnOpenSideGo)
{
    // One column per case, z from the bottom; R resist, S substrate, . empty.
    const std::vector<std::string> columns = {
        "SRRS..",  // enclosed above and below: stays
        "SRR.RR",  // exposed run goes; the run reaching the top has no cell above, but an empty cell below
        ".RRS..",  // open below only
        "RRRRRR",  // no empty neighbour at all
        "SR.R.R",  // three short runs, each exposed on top
        "S3R...",  // another material between: the resist above it still goes
    };
    const uint32_t sy = static_cast<uint32_t>(columns.size());
    const auto cellOf = [](char c) -> uint32_t {
        return c == 'R' ? positive : c == 'S' ? substrate : c == '3' ? 3u : 0u;
    };
    const auto rule = [&](uint32_t, uint32_t y, uint32_t z) { return cellOf(columns[y][z]); };
    // Open from both sides.
    auto open = makeVolume(1, sy, 6, rule);
    Photolithography(open.get(), positive, Mask(), Mask()).run();
    std::vector<uint32_t> ids = open->materialIds();
    const std::vector<std::string> both = {"SRRS..", "S.....", "...S..", "RRRRRR", "S.....", "S3...."};
    for (uint32_t y = 0; y < sy; ++y)
        for (uint32_t z = 0; z < 6; ++z)
            EXPECT_EQ(at(open, ids, 0, y, z), cellOf(both[y][z])) << "column " << y << " z " << z;

    // Top covered: only the bottom faces count.
    auto fromBelow = makeVolume(1, sy, 6, rule);
    Photolithography(fromBelow.get(), positive, Mask(), Mask(std::vector<bool>(sy, true), 1, static_cast<int32_t>(sy))).run();
    ids = fromBelow->materialIds();
    const std::vector<std::string> below = {"SRRS..", "SRR...", "...S..", "RRRRRR", "SR....", "S3R..."};
    for (uint32_t y = 0; y < sy; ++y)
        for (uint32_t z = 0; z < 6; ++z)
            EXPECT_EQ(at(fromBelow, ids, 0, y, z), cellOf(below[y][z])) << "column " << y << " z " << z;
}

TEST(Photolithography, MatchesTheSteppedFrontAndIgnoresTheThreadCount)
{
    // Random resist, substrate and holes under random top and bottom masks (the bottom
    // one smaller than the volume).
    std::mt19937 random(7);
    const uint32_t sx = 23, sy = 9, sz = 17;
    std::vector<bool> topBits(sx * sy), bottomBits(10 * 4);
    for (size_t i = 0; i < topBits.size(); ++i)
        topBits[i] = random() % 3 == 0;
    for (size_t i = 0; i < bottomBits.size(); ++i)
        bottomBits[i] = random() % 2 == 0;
    const Mask top(topBits, sx, sy), bottom(bottomBits, 10, 4);
    for (uint32_t resist : {positive, negative}) {
        std::mt19937 cells(11);
        auto original = makeVolume(sx, sy, sz, [&](uint32_t, uint32_t, uint32_t) -> uint32_t {
            const unsigned r = cells() % 10;
            return r < 5 ? resist : (r < 7 ? substrate : 0);
        });
        const std::vector<uint32_t> expected = developedByFront(original, resist, bottom, top);
        ASSERT_NE(expected, original->materialIds());
        for (int threads : {1, 2, 7}) {
            PoolThreads pool(threads);
            auto v = makeVolume(sx, sy, sz, [&](uint32_t x, uint32_t y, uint32_t z) {
                return original->materialIds()[original->index(x, y, z)];
            });
            Photolithography automaton(v.get(), resist, bottom, top);
            automaton.run();
            EXPECT_EQ(v->materialIds(), expected) << "resist " << resist << ", " << threads << " threads";
        }
    }
}

TEST(Photolithography, SlicesOfWholeLayersTheFirstOnesOneLonger)
{
    auto v = resistOnSubstrate(20, 2, positive);
    {
        PoolThreads pool(7);
        Photolithography a(v.get(), positive, Mask(), Mask());
        // 20 layers over 7: six slices of 3, one of 2.
        ASSERT_EQ(a.getSliceCount(), 7);
        EXPECT_EQ(a.sliceFirst(0), 0u);
        EXPECT_EQ(a.sliceLast(0), 3u);
        EXPECT_EQ(a.sliceFirst(6), 18u);
        EXPECT_EQ(a.sliceLast(6), 20u);
    }
    {
        // Fewer than two layers a slice: one slice, in the calling thread.
        PoolThreads pool(11);
        Photolithography a(v.get(), positive, Mask(), Mask());
        ASSERT_EQ(a.getSliceCount(), 1);
        EXPECT_EQ(a.sliceLast(0), 20u);
    }
    // Material 0 as the resist changes nothing.
    auto same = resistOnSubstrate(3, 3, positive);
    const std::vector<uint32_t> before = same->materialIds();
    Photolithography(same.get(), 0, Mask(), Mask()).run();
    EXPECT_EQ(same->materialIds(), before);
}

// --- the operation -------------------------------------------------------------------

class PhotolithographyOperationTest : public CatalogueTest::CatalogueFixture, public OperationHarness
{
protected:
    // Starts a photolithography on the scene's only volume; `options` stands in for
    // the dialog.
    std::shared_ptr<PhotolithographyOperation> start(std::function<void(PhotolithographyOperation &)> options)
    {
        auto op = std::make_shared<PhotolithographyOperation>(context);
        std::weak_ptr<PhotolithographyOperation> weak = op;
        op->setOptionsObserver(std::make_shared<Options>([weak, options] {
            if (auto o = weak.lock())
                options(*o);
        }));
        factory->make = [op] { return op; };
        context.activate(1);
        return op;
    }
};

TEST_F(PhotolithographyOperationTest, ShowsTheMasksWhileOpenDevelopsAndClearsThem)
{
    auto v = resistOnSubstrate(4, 4, 1, 3);
    context.scene.add(v);
    const Mask top({true, false, false, false}, 2, 2);
    const Mask bottom({false, true}, 1, 2);
    int shownWidth = -1, bottomHeight = -1;
    std::vector<bool> shown;
    start([&](PhotolithographyOperation &o) {
        o.setTopMask(top.getBits(), top.getWidth(), top.getHeight());
        o.setBottomMask(bottom.getBits(), bottom.getWidth(), bottom.getHeight());
        int h = 0, w = 0;
        v->getTopMaskSize(&shownWidth, &h);
        v->getBottomMaskSize(&w, &bottomHeight);
        shown = v->getTopMask();
        o.setMaterial(1);
    });
    EXPECT_EQ(shownWidth, 2);
    EXPECT_EQ(bottomHeight, 2);
    EXPECT_EQ(shown, top.getBits());

    // Developed: only column (0, 0) under the black pixel keeps its resist (here
    // material 1, which also makes the lattice stale).
    EXPECT_EQ(resistColumns(v, 1, 3), (std::set<std::pair<uint32_t, uint32_t>>{{0, 0}}));
    int w = -1, h = -1;
    v->getTopMaskSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_TRUE(v->getTopMask().empty());
    v->getBottomMaskSize(&w, &h);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(v->getBottomMask().empty());
    ASSERT_FALSE(log->lines.empty());
    EXPECT_EQ(log->lines.back(), "Photolithography: Operation finished.");
    EXPECT_EQ(context.lastProcessByVolume[v->getId()], 20);
    EXPECT_TRUE(context.latticeStale[v->getId()]);
    // Undoable: the resist comes back, the masks stay off.
    EXPECT_EQ(context.history.undoName(), "Photolithography");
    const std::vector<uint32_t> developed = v->materialIds();
    ASSERT_TRUE(context.history.undo());
    EXPECT_NE(v->materialIds(), developed);
    EXPECT_TRUE(v->getTopMask().empty());
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(v->materialIds(), developed);
    EXPECT_EQ(context.getCurrentOperation(), nullptr);
}

TEST_F(PhotolithographyOperationTest, WithoutAMaterialItIsCanceledAndTheOverlayGoes)
{
    auto v = resistOnSubstrate(3, 3, positive);
    context.scene.add(v);
    const std::vector<uint32_t> before = v->materialIds();
    start([](PhotolithographyOperation &o) { o.setTopMask(Mask({true}, 1, 1)); });
    EXPECT_EQ(log->lines.back(), "Photolithography: Operation Canceled!");
    EXPECT_EQ(v->materialIds(), before);
    EXPECT_TRUE(v->getTopMask().empty());
    EXPECT_EQ(context.lastProcessByVolume.count(v->getId()), 0u);
    EXPECT_EQ(context.getCurrentOperation(), nullptr);

    // A material but no masks: positive resist open everywhere goes; material 11 does
    // not make the lattice stale.
    start([](PhotolithographyOperation &o) { o.setMaterial(positive); });
    EXPECT_EQ(log->lines.back(), "Photolithography: Operation finished.");
    EXPECT_TRUE(resistColumns(v, positive).empty());
    EXPECT_FALSE(context.latticeStale[v->getId()]);
}

// --- the batch step ------------------------------------------------------------------

namespace {

MaskBitmap bytesOf(const Mask &mask)
{
    MaskBitmap bytes;
    for (bool b : mask.getBits())
        bytes.push_back(b ? 1 : 0);
    return bytes;
}

ProcessData lithographyStep(uint32_t material, const Mask &top, const Mask &bottom)
{
    ProcessData step(0);
    step.setParameter(QStringLiteral("Material_Id"), material, false);
    step.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(bytesOf(top)), false);
    step.setParameter(QStringLiteral("Top Mask Width"), static_cast<uint32_t>(top.getWidth()), true);
    step.setParameter(QStringLiteral("Top Mask Height"), static_cast<uint32_t>(top.getHeight()), true);
    step.setParameter(QStringLiteral("Bottom Mask"), QVariant::fromValue(bytesOf(bottom)), false);
    step.setParameter(QStringLiteral("Bottom Mask Width"), static_cast<uint32_t>(bottom.getWidth()), true);
    step.setParameter(QStringLiteral("Bottom Mask Height"), static_cast<uint32_t>(bottom.getHeight()), true);
    return step;
}

} // namespace

TEST_F(PhotolithographyOperationTest, BatchStepGivesTheOperationsCellsAndRefusesBadValues)
{
    const Mask top = maskFromImage(maskImage(3, 2, [](int i, int j) { return i == 1 || j == 1; }));
    auto interactive = resistOnSubstrate(4, 3, positive);
    context.scene.add(interactive);
    start([&](PhotolithographyOperation &o) {
        o.setTopMask(top);
        o.setMaterial(positive);
    });
    ASSERT_EQ(log->lines.back(), "Photolithography: Operation finished.");

    Model::Scene scene;
    std::map<int32_t, int32_t> last;
    std::map<int32_t, bool> stale;
    ProcessListRunner runner(scene, last, stale);
    auto batch = resistOnSubstrate(4, 3, positive);
    runner.setVolume(batch);
    EXPECT_EQ(runner.runStep(lithographyStep(positive, top, Mask())), 0);
    EXPECT_EQ(batch->materialIds(), interactive->materialIds());
    EXPECT_EQ(last[batch->getId()], 20);
    EXPECT_FALSE(stale[batch->getId()]);

    // Every parameter is required; sizes beyond the signed range are invalid values.
    for (const char *name : {"Material_Id", "Top Mask", "Top Mask Height", "Top Mask Width", "Bottom Mask",
                             "Bottom Mask Height", "Bottom Mask Width"}) {
        ProcessData s = lithographyStep(positive, top, Mask());
        QMap<QString, QVariant> parameters = s.getParameters();
        parameters.remove(QString::fromLatin1(name));
        ProcessData without(0);
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
            without.setParameter(it.key(), it.value(), true);
        EXPECT_EQ(runner.runStep(without), 1) << name;
    }
    ProcessData huge = lithographyStep(positive, top, Mask());
    huge.setParameter(QStringLiteral("Top Mask Width"), 3000000000u, true);
    EXPECT_EQ(runner.runStep(huge), 2);
    ProcessData text = lithographyStep(positive, top, Mask());
    text.setParameter(QStringLiteral("Top Mask"), QStringLiteral("010"), true);
    EXPECT_EQ(runner.runStep(text), 2);

    // Resist material 1 marks the lattice stale.
    auto silicon = resistOnSubstrate(2, 2, 1, 3);
    runner.setVolume(silicon);
    EXPECT_EQ(runner.runStep(lithographyStep(1, Mask(), Mask())), 0);
    EXPECT_TRUE(stale[silicon->getId()]);
}

TEST_F(PhotolithographyOperationTest, PatternedTrenchFromAProcessListFile)
{
    // A 12 x 10 x 8 volume, silicon in z 0..3, one cell of resist, the resist opened
    // over x 4..7, y 3..5 by a mask image, then a vertical etch of the silicon 2.2
    // units deep.
    const uint32_t sx = 12, sy = 10, sz = 8;
    const auto opening = [](int i, int j) { return i >= 4 && i < 8 && j >= 3 && j < 6; };
    QTemporaryDir dir;
    Mask top;
    ASSERT_TRUE(Mask::fromFile(saved(dir, maskImage(sx, sy, [&](int i, int j) { return !opening(i, j); }), "trench.png"), &top));

    ProcessList list;
    ProcessData substrateStep(11);
    for (const auto &v : std::initializer_list<std::pair<const char *, QVariant>>{
             {"Material_Id", 1u}, {"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(0, 0, 0))},
             {"Volume Size X", sx}, {"Volume Size Y", sy}, {"Volume Size Z", sz}, {"SphericalSubstrate", false},
             {"Substrate Size X", sx}, {"Substrate Size Y", sy}, {"Substrate Size Z", 4u},
             {"Substrate Delta X", 0u}, {"Substrate Delta Y", 0u}, {"Substrate Delta Z", 0u}})
        substrateStep.setParameter(QString::fromLatin1(v.first), v.second, true);
    list.push_back(substrateStep);
    list.push_back(step(2, {{"Material_Id", positive}, {"Thickness", 1.0f}}));
    list.push_back(lithographyStep(positive, top, Mask()));
    list.push_back(step(18, {{"Material_Id", substrate}, {"Etch Depth", 2.2f}, {"Horizontal to Vertical Ratio", 0.0f}}));

    // Through the file, as a user's list would come.
    const QString listFile = dir.path() + "/trench.plst";
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(listFile, list));
    ProcessList loaded;
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::load(listFile, loaded));
    ASSERT_EQ(loaded.size(), 4u);

    ProcessListRunner runner(context);
    const ProcessListRunner::Summary summary = runner.run(loaded);
    ASSERT_EQ(summary.stepsRun, 4) << summary.result;
    ASSERT_TRUE(runner.getVolume());

    const QString document = dir.path() + "/trench.mem";
    ASSERT_TRUE(Model::Persistence::DocumentFile::save(context.scene, document, context.archivers).ok());
    Model::Scene reopened;
    const Model::Materials::MaterialReconciler reconciler(nullptr, [](const std::string &) {});
    ASSERT_TRUE(Model::Persistence::DocumentFile::open(document, reopened, context.archivers, reconciler).ok());
    const std::vector<Model::ObjectPtr> objects = reopened.objects();
    ASSERT_EQ(objects.size(), 1u);
    auto v = std::dynamic_pointer_cast<TotalVolume>(objects.front());
    ASSERT_TRUE(v);
    ASSERT_EQ(v->getSizeX(), sx);
    ASSERT_EQ(v->getSizeZ(), sz);
    const std::vector<uint32_t> ids = v->materialIds();
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            for (uint32_t z = 0; z < sz; ++z) {
                const bool open = opening(static_cast<int>(x), static_cast<int>(y));
                uint32_t want = 0;
                if (z < 2 || (z < 4 && !open))
                    want = substrate;
                else if (z == 4 && !open)
                    want = positive;
                ASSERT_EQ(at(v, ids, x, y, z), want) << x << ", " << y << ", " << z;
            }
}

TEST(Photolithography, TinyAndHugeMaskImages)
{
    QTemporaryDir dir;
    // One opaque pixel over a whole volume: only column (0, 0) is covered.
    Mask one;
    ASSERT_TRUE(Mask::fromFile(saved(dir, maskImage(1, 1, [](int, int) { return true; }), "one.png"), &one));
    auto v = resistOnSubstrate(3, 2, positive);
    Photolithography(v.get(), positive, Mask(), one).run();
    EXPECT_EQ(resistColumns(v, positive), (std::set<std::pair<uint32_t, uint32_t>>{{0, 0}}));

    // 10000 x 10000 pixels, stored as one bit a pixel, opaque in the left half: read
    // strip by strip, laid over a small volume and cut off at its edge.
    QImage huge(10000, 10000, QImage::Format_Mono);
    huge.setColorCount(2);
    huge.setColor(0, qRgb(0, 0, 0));
    huge.setColor(1, qRgb(255, 255, 255));
    huge.fill(1);
    for (int r = 0; r < 10000; ++r) {
        uchar *line = huge.scanLine(r);
        std::fill(line, line + 625, uchar(0)); // pixels 0 .. 4999
    }
    huge.setPixel(9999, 9999, 0); // bottom-right: bit (9999, 0)
    Mask big;
    ASSERT_TRUE(Mask::fromFile(saved(dir, huge, "huge.png"), &big));
    ASSERT_EQ(big.getWidth(), 10000);
    ASSERT_EQ(big.getBits().size(), 100000000u);
    EXPECT_TRUE(big.bit(4999, 1234));
    EXPECT_FALSE(big.bit(5000, 1234));
    EXPECT_TRUE(big.bit(9999, 0));
    EXPECT_FALSE(big.bit(9999, 1));
    auto w = resistOnSubstrate(4, 4, negative);
    Photolithography(w.get(), negative, Mask(), big).run();
    EXPECT_TRUE(resistColumns(w, negative).empty());
}
