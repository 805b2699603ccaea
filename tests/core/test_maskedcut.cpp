// Masked cuts and removing cuts: the columns a mask opens, adding and taking back cuts,
// slicing, and the two operations' protocol with undo and redo.
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include "Core/Operations/MaskedCut/cutcellvolume.h"
#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/operationcontext.h"

#include <QImage>
#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using namespace FilmTest;
using namespace OperationTest;

namespace {

// Cut counts of every cell in index order.
std::vector<uint32_t> cutCounts(const TotalVolumePtr &v)
{
    Model::Automaton::VoxelLock lock(*v);
    std::vector<uint32_t> counts(v->getCellCount());
    for (size_t i = 0; i < counts.size(); ++i)
        counts[i] = lock[i].getCutCount();
    return counts;
}

// The counts a cut through `mask` gives: `n` in open columns, 0 under opaque pixels.
std::vector<uint32_t> expectedCuts(const TotalVolumePtr &v, const Mask &mask, uint32_t n)
{
    std::vector<uint32_t> counts(v->getCellCount(), 0);
    for (uint32_t x = 0; x < v->getSizeX(); ++x)
        for (uint32_t y = 0; y < v->getSizeY(); ++y) {
            const bool covered = int32_t(x) < mask.getWidth() && int32_t(y) < mask.getHeight() &&
                                 mask.isConsistent() && mask.bit(int32_t(x), int32_t(y));
            for (uint32_t z = 0; z < v->getSizeZ(); ++z)
                counts[v->index(x, y, z)] = covered ? 0 : n;
        }
    return counts;
}

Mask filled(int32_t w, int32_t h, bool opaque) { return Mask(std::vector<bool>(size_t(w) * size_t(h), opaque), w, h); }

} // namespace

TEST(CutCellVolume, OpenColumnsAreCutCoveredOnesKeptAndMaterialsStay)
{
    auto v = randomScene(9, 7, 5, 3);
    const std::vector<uint32_t> materials = v->materialIds();
    // Opaque over a diagonal band of a 6 x 5 image; columns beyond it are open.
    std::vector<bool> bits(30);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 5; ++j)
            bits[size_t(i) * 5 + size_t(j)] = std::abs(i - j) <= 1;
    const Mask mask(bits, 6, 5);

    CutCellVolume cut(v.get(), bits, 6, 5);
    cut.cut();
    EXPECT_EQ(cutCounts(v), expectedCuts(v, mask, 1));
    cut.cut();
    EXPECT_EQ(cutCounts(v), expectedCuts(v, mask, 2));
    cut.uncut();
    EXPECT_EQ(cutCounts(v), expectedCuts(v, mask, 1));
    cut.cut();
    cut.cut();
    cut.uncutAll();
    EXPECT_EQ(cutCounts(v), expectedCuts(v, mask, 0));
    cut.uncut(); // stays at 0
    EXPECT_EQ(cutCounts(v), expectedCuts(v, mask, 0));
    EXPECT_EQ(v->materialIds(), materials);

    // Saturation at 255.
    auto small = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    CutCellVolume all(small.get(), Mask());
    for (int i = 0; i < 300; ++i)
        all.cut();
    EXPECT_EQ(cutCounts(small), std::vector<uint32_t>(8, 255));
    all.uncut();
    EXPECT_EQ(cutCounts(small), std::vector<uint32_t>(8, 254));

    // A mask whose bits do not fit its size covers nothing.
    CutCellVolume(small.get(), Mask({true}, 2, 2)).uncutAll();
    EXPECT_EQ(cutCounts(small), std::vector<uint32_t>(8, 0));
}

TEST(CutCellVolume, SlicesGiveTheFirstOnesTheRemainderAndIgnoreTheThreadCount)
{
    auto v = makeVolume(20, 3, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    {
        PoolThreads pool(7);
        CutCellVolume c(v.get(), Mask());
        ASSERT_EQ(c.getSliceCount(), 7);
        // 20 = 6 slices of 3 and one of 2.
        std::vector<uint32_t> lengths;
        for (int32_t s = 0; s < c.getSliceCount(); ++s) {
            if (s > 0) {
                EXPECT_EQ(c.sliceFirst(s), c.sliceLast(s - 1));
            }
            lengths.push_back(c.sliceLast(s) - c.sliceFirst(s));
        }
        EXPECT_EQ(lengths, (std::vector<uint32_t>{3, 3, 3, 3, 3, 3, 2}));
        EXPECT_EQ(c.sliceLast(6), 20u);
    }
    {
        // Fewer layers than threads: one slice.
        PoolThreads pool(21);
        CutCellVolume c(v.get(), Mask());
        EXPECT_EQ(c.getSliceCount(), 1);
    }
    {
        // Fewer than two layers a slice: one slice as well.
        PoolThreads pool(11);
        CutCellVolume c(v.get(), Mask());
        EXPECT_EQ(c.getSliceCount(), 1);
        EXPECT_EQ(c.sliceLast(0), 20u);
    }

    std::vector<bool> bits(20 * 3);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = i % 4 == 1;
    const Mask mask(bits, 20, 3);
    std::vector<uint32_t> reference;
    for (int threads : {1, 2, 7}) {
        PoolThreads pool(threads);
        auto w = makeVolume(20, 3, 4, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        CutCellVolume c(w.get(), mask);
        c.cut();
        c.cut();
        c.uncut();
        if (reference.empty())
            reference = cutCounts(w);
        EXPECT_EQ(cutCounts(w), reference) << threads << " threads";
        EXPECT_EQ(cutCounts(w), expectedCuts(w, mask, 1));
    }
}

class MaskedCutOperationTest : public ::testing::Test, public OperationHarness
{
protected:
    void SetUp() override
    {
        volume = makeVolume(6, 5, 4, [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? 1u : 0u; });
        context.scene.add(volume);
    }

    // A masked cut on the scene's only volume; `options` stands in for the dialog.
    std::shared_ptr<MaskedCutCellVolumeOperation> cut(std::function<void(MaskedCutCellVolumeOperation &)> options)
    {
        auto op = std::make_shared<MaskedCutCellVolumeOperation>(context);
        std::weak_ptr<MaskedCutCellVolumeOperation> weak = op;
        op->setOptionsObserver(std::make_shared<Options>([weak, options] {
            if (auto o = weak.lock())
                options(*o);
        }));
        factory->make = [op] { return op; };
        context.activate(1);
        return op;
    }

    void removeCuts()
    {
        factory->make = [this] { return std::make_shared<RemoveCutsFromVolumeOperation>(context); };
        context.activate(1);
    }

    TotalVolumePtr volume;
};

TEST_F(MaskedCutOperationTest, BlackHidesNothingWhiteHidesAllRemoveCutsShowsAll)
{
    // A fully black image of the volume's size, read as the dialog reads it.
    QImage black(6, 5, QImage::Format_RGB32);
    black.fill(qRgb(0, 0, 0));
    QImage white(6, 5, QImage::Format_RGB32);
    white.fill(qRgb(255, 255, 255));

    bool shownWhileOpen = false;
    cut([&](MaskedCutCellVolumeOperation &o) {
        o.setMask(maskFromImage(black));
        int w = 0, h = 0;
        volume->getTopMaskSize(&w, &h);
        shownWhileOpen = w == 6 && h == 5 && volume->getTopMask() == maskFromImage(black).getBits();
    });
    EXPECT_TRUE(shownWhileOpen);
    // Nothing hidden is no step: it says so and leaves the history as it was.
    EXPECT_EQ(log->lines.back(), "Masked Cut: no cell changed.");
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 0));
    EXPECT_TRUE(volume->getTopMask().empty());
    EXPECT_EQ(context.history.undoCount(), 0u);
    EXPECT_EQ(context.lastProcessByVolume.count(volume->getId()), 0u);

    cut([&](MaskedCutCellVolumeOperation &o) { o.setMask(maskFromImage(white)); });
    EXPECT_EQ(log->lines.back(), "Masked Cut: Cut planes changed.");
    EXPECT_EQ(context.history.undoName(), "Masked Cut");
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 1));

    removeCuts();
    EXPECT_EQ(log->lines.back(), "Remove Cuts: Cut planes changed.");
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 0));
    // Undoable: the cuts come back, and go again on redo.
    EXPECT_EQ(context.history.undoName(), "Remove Cuts");
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 1));
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 0));
    EXPECT_EQ(context.getCurrentOperation(), nullptr);
}

TEST_F(MaskedCutOperationTest, CutsAddUpAndUndoRedoTakeOneAway)
{
    // Opaque over x < 2 only; a 3 x 5 image leaves x >= 3 open as well.
    std::vector<bool> bits(15, false);
    for (size_t i = 0; i < 10; ++i)
        bits[i] = true;
    const Mask mask(bits, 3, 5);
    cut([&](MaskedCutCellVolumeOperation &o) { o.setMask(bits, 3, 5); });
    cut([&](MaskedCutCellVolumeOperation &o) { o.setMask(mask); });
    EXPECT_EQ(cutCounts(volume), expectedCuts(volume, mask, 2));

    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(cutCounts(volume), expectedCuts(volume, mask, 1));
    EXPECT_EQ(context.history.redoName(), "Masked Cut");
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(cutCounts(volume), expectedCuts(volume, mask, 2));
    ASSERT_TRUE(context.history.undo());
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(cutCounts(volume), expectedCuts(volume, mask, 0));
    // The painter drew the cut cells away: the last regeneration shows every cell again.
    EXPECT_FALSE(volume->getPainter()->getOpaqueFaces().empty());
}

TEST_F(MaskedCutOperationTest, WithoutAMaskOrVolumeItIsCanceled)
{
    // The dialog applied a mask, then removed it: no mask given.
    cut([](MaskedCutCellVolumeOperation &o) {
        o.setMask(filled(2, 2, false));
        o.setMask(Mask());
    });
    EXPECT_EQ(log->lines.back(), "Masked Cut: Operation Canceled!");
    EXPECT_EQ(cutCounts(volume), std::vector<uint32_t>(volume->getCellCount(), 0));
    EXPECT_TRUE(context.history.undoName().empty());

    // A zero width with bits is no mask either.
    cut([](MaskedCutCellVolumeOperation &o) { o.setMask({true}, 0, 1); });
    EXPECT_EQ(log->lines.back(), "Masked Cut: Operation Canceled!");

    // Two volumes and no selection: both operations wait; Escape cancels them.
    context.scene.add(makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; }));
    removeCuts();
    EXPECT_EQ(log->lines.back(), "Remove Cuts: Select a cell volume and press Enter/Return.");
    context.cancelCurrentOperation();
    EXPECT_EQ(log->lines.back(), "Remove Cuts: Operation Canceled!");
}
