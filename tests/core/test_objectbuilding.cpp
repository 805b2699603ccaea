// Gluing two volumes into one and extracting a film into a new volume: the cells of the
// new volume, the console, the scene and undo/redo.
#include "Core/Operations/ObjectBuilding/extractfilm.h"
#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"
#include "Core/Operations/ObjectBuilding/volumebuilding.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <QThreadPool>
#include <algorithm>
#include <functional>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

using Fill = std::function<uint32_t(uint32_t, uint32_t, uint32_t)>;

TotalVolumePtr volumeOf(uint32_t sx, uint32_t sy, uint32_t sz, const Fill &fill,
                        Util::Vector3D position = Util::Vector3D())
{
    std::vector<uint32_t> ids(size_t(sx) * sy * sz);
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            for (uint32_t z = 0; z < sz; ++z)
                ids[(size_t(x) * sy + y) * sz + z] = fill(x, y, z);
    return std::make_shared<TotalVolume>(sx, sy, sz, 1.0f, 1.0f, 1.0f, position, ids);
}

uint32_t cell(const std::vector<uint32_t> &ids, uint32_t sy, uint32_t sz, uint32_t x, uint32_t y, uint32_t z)
{
    return ids[(size_t(x) * sy + y) * sz + z];
}

bool inScene(const OperationContext &context, const Model::ObjectPtr &o)
{
    const auto all = context.scene.objects();
    return std::find(all.begin(), all.end(), o) != all.end();
}

struct ObjectBuilding : ::testing::Test, OperationTest::OperationHarness
{
    void TearDown() override { QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount()); }
};

} // namespace

// The base fills z 0..4, the top z 2..6: by default the top's content sits on the
// base's at z 5..9 of a 10 x 10 x 11 volume that replaces both; undo brings both back.
TEST_F(ObjectBuilding, GlueStacksTheTopContentOnTheBaseAndUndoRestoresTheScene)
{
    const auto base = volumeOf(10, 10, 10, [](uint32_t, uint32_t, uint32_t z) { return z <= 4 ? 1u : 0u; },
                               Util::Vector3D(3, 4, 5));
    const auto top = volumeOf(10, 10, 10, [](uint32_t x, uint32_t, uint32_t z) {
        return z >= 2 && z <= 6 ? (x == 0 && z == 2 ? 7u : 3u) : 0u;
    });
    context.scene.add(base);
    context.scene.add(top);
    std::shared_ptr<GlueSubstrateOperation> glue;
    factory->make = [&] { return glue = std::make_shared<GlueSubstrateOperation>(context); };

    context.activate(1);
    EXPECT_EQ(log->lines.back(), "Glue Volumes: select the base cell volume and press Enter/Return.");
    EXPECT_TRUE(context.isSelectionMode());
    context.setObjectSelected(base, true);
    context.interpreter.submit("");
    ASSERT_EQ(glue->getSelectionCounter(), 1);
    EXPECT_TRUE(context.selectedObjects().empty());
    // The base again is not a top.
    context.setObjectSelected(base, true);
    context.interpreter.submit("");
    EXPECT_EQ(glue->getSelectionCounter(), 1);
    context.setObjectSelected(top, true);
    context.interpreter.submit("");

    EXPECT_EQ(log->lines, (std::vector<std::string>{
                              "Glue Volumes: select the base cell volume and press Enter/Return.",
                              "Glue Volumes: base cell volume selected. Select top cell volume and press enter",
                              "Glue Volumes: select the top cell volume and press Enter/Return.",
                              "Glue Volumes: select the top cell volume and press Enter/Return.",
                              "Glue Volumes: top cell volume selected.",
                              "Extract Film: film extracted."}));
    EXPECT_EQ(glue->getContents().baseTop, 5u);
    EXPECT_EQ(glue->getContents().topLow, 2u);
    EXPECT_EQ(glue->getContents().topHigh, 7u);
    EXPECT_EQ(glue->getStackedHeight(), 10u);
    const TotalVolumePtr result = glue->getResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->getSizeX(), 10u);
    EXPECT_EQ(result->getSizeY(), 10u);
    EXPECT_EQ(result->getSizeZ(), 11u);
    EXPECT_EQ(result->getPosition().x, 3.0);
    EXPECT_EQ(result->getPosition().z, 5.0);
    const std::vector<uint32_t> ids = result->materialIds();
    for (uint32_t x = 0; x < 10; ++x)
        for (uint32_t z = 0; z < 11; ++z) {
            const uint32_t expected = z <= 4 ? 1u : z <= 9 ? (x == 0 && z == 5 ? 7u : 3u) : 0u;
            ASSERT_EQ(cell(ids, 10, 11, x, 6, z), expected) << x << " " << z;
        }
    EXPECT_EQ(context.scene.objects(), std::vector<Model::ObjectPtr>{result});
    EXPECT_EQ(context.history.undoName(), "Glue Volumes");
    EXPECT_FALSE(context.getCurrentOperation());

    ASSERT_TRUE(context.history.undo());
    EXPECT_TRUE(inScene(context, base));
    EXPECT_TRUE(inScene(context, top));
    EXPECT_FALSE(inScene(context, result));
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(context.scene.objects(), std::vector<Model::ObjectPtr>{result});
    EXPECT_EQ(base->materialIds()[4], 1u);

    // Escape while waiting for the top cancels without a word and leaves the scene alone.
    ASSERT_TRUE(context.history.undo());
    log->lines.clear();
    context.setObjectSelected(base, true);
    context.activate(1);
    context.cancelCurrentOperation();
    EXPECT_EQ(log->lines.size(), 2u);
    EXPECT_EQ(context.scene.objectCount(), 2);
    EXPECT_FALSE(context.isSelectionMode());
}

// Turned over, the top's highest content layer lands on the base's content and x runs
// backwards; the same cells come out for any number of threads.
TEST_F(ObjectBuilding, GlueFlipsTheTopAboutTheYAxisIndependentlyOfTheThreadCount)
{
    const auto base = volumeOf(20, 3, 9, [](uint32_t, uint32_t, uint32_t z) { return z <= 2 ? 1u : 0u; });
    // Content at z 1..3: z 1 is material 2, z 2 empty, z 3 material 4 + x.
    const auto top = volumeOf(20, 3, 6, [](uint32_t x, uint32_t, uint32_t z) {
        return z == 1 ? 2u : z == 3 ? 4u + x : 0u;
    });
    const GlueContents contents = measureGlueContents(*base, *top);
    EXPECT_EQ(contents.baseTop, 3u);
    EXPECT_EQ(contents.topLow, 1u);
    EXPECT_EQ(contents.topHigh, 4u);
    GlueLayout layout;
    layout.finalX = 20;
    layout.finalY = 3;
    layout.finalZ = 8;
    layout.flip = true;

    std::vector<std::vector<uint32_t>> runs;
    for (int threads : {1, 2, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        runs.push_back(glueMaterials(*base, *top, contents, layout));
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[0], runs[2]);
    const std::vector<uint32_t> &ids = runs[0];
    for (uint32_t x = 0; x < 20; ++x) {
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 2), 1u);
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 3), 4u + (19 - x)) << x;
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 4), 0u);
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 5), 2u);
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 6), 0u);
        EXPECT_EQ(cell(ids, 3, 8, x, 1, 7), 0u);
    }
}

// A smaller top can be moved by up to the size difference; larger or negative shifts
// are kept within it, so no cell lands outside. An empty top or base adds no layers.
TEST_F(ObjectBuilding, GlueShiftsASmallerTopAndCopesWithEmptyVolumes)
{
    const auto base = volumeOf(10, 8, 4, [](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : 0u; });
    const auto top = volumeOf(4, 3, 2, [](uint32_t, uint32_t, uint32_t) { return 6u; });
    context.scene.add(base);
    context.scene.add(top);
    std::shared_ptr<GlueSubstrateOperation> glue;
    bool flip = false;
    factory->make = [&] {
        glue = std::make_shared<GlueSubstrateOperation>(context);
        glue->setOptionsObserver(std::make_shared<OperationTest::Options>([&] {
            EXPECT_EQ(glue->getMaximumShiftX(), 6);
            EXPECT_EQ(glue->getMaximumShiftY(), 5);
            glue->setFinalSize(1, 1, 2); // below the contents: raised to them
            glue->setShift(50, -3);
            glue->setFlipTop(flip);
        }));
        return glue;
    };
    for (bool turned : {false, true}) {
        flip = turned;
        context.setObjectSelected(base, true);
        context.activate(1);
        context.setObjectSelected(top, true);
        context.interpreter.submit("");
        const TotalVolumePtr result = glue->getResult();
        ASSERT_TRUE(result);
        EXPECT_EQ(result->getSizeX(), 10u);
        EXPECT_EQ(result->getSizeY(), 8u);
        EXPECT_EQ(result->getSizeZ(), 3u);
        EXPECT_EQ(glue->getLayout().shiftX, 6);
        EXPECT_EQ(glue->getLayout().shiftY, 0);
        const std::vector<uint32_t> ids = result->materialIds();
        size_t topCells = 0;
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 8; ++y) {
                const bool under = x >= 6 && y < 3;
                topCells += under;
                EXPECT_EQ(cell(ids, 8, 3, x, y, 1), under ? 6u : 0u);
                EXPECT_EQ(cell(ids, 8, 3, x, y, 2), under ? 6u : 0u);
            }
        EXPECT_EQ(topCells, 12u);
        ASSERT_TRUE(context.history.undo());
    }

    const auto empty = volumeOf(5, 5, 5, [](uint32_t, uint32_t, uint32_t) { return 0u; });
    GlueContents contents = measureGlueContents(*base, *empty);
    EXPECT_EQ(contents.baseTop, 1u);
    EXPECT_EQ(contents.stackedHeight(), 1u);
    contents = measureGlueContents(*empty, *top);
    EXPECT_EQ(contents.baseTop, 1u);
    EXPECT_EQ(contents.stackedHeight(), 3u);
    GlueLayout layout;
    layout.finalX = 5;
    layout.finalY = 5;
    layout.finalZ = 2;
    layout.shiftX = 4; // would put most of the top outside
    const std::vector<uint32_t> ids = glueMaterials(*empty, *top, contents, layout);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 6u), 3);
}

// Of two bodies of one material, only the one holding the first cell in index order is
// copied, moved down to z 0 (turned over if asked), into a volume placed beside the
// source; undo and redo take it out and put it back.
TEST_F(ObjectBuilding, ExtractFilmCopiesTheFirstBodyDownToTheBottom)
{
    // Body A: x 0..1, y 0..1, z 3..5 (material 3) with an oxide cell on it; body B lower
    // down at x 4..5, z 0..1, not touching A.
    const auto source = volumeOf(6, 6, 8, [](uint32_t x, uint32_t y, uint32_t z) {
        if (x <= 1 && y <= 1 && z >= 3 && z <= 5)
            return (x == 1 && y == 1 && z == 5) ? 2u : 3u;
        if (x >= 4 && z <= 1)
            return 3u;
        return 0u;
    }, Util::Vector3D(1, 2, 3));

    std::vector<uint32_t> ids = extractFilmMaterials(*source, 3, false);
    for (uint32_t x = 0; x < 6; ++x)
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t z = 0; z < 8; ++z) {
                const bool inA = x <= 1 && y <= 1 && z <= 2 && !(x == 1 && y == 1 && z == 2);
                ASSERT_EQ(cell(ids, 6, 8, x, y, z), inA ? 3u : 0u) << x << y << z;
            }
    ids = extractFilmMaterials(*source, 3, true);
    for (uint32_t x = 0; x < 2; ++x)
        for (uint32_t y = 4; y < 6; ++y)
            for (uint32_t z = 0; z < 8; ++z) {
                // Turned over: the gap of the oxide cell is now at the bottom.
                const bool inA = z <= 2 && !(x == 1 && y == 4 && z == 0);
                ASSERT_EQ(cell(ids, 6, 8, x, y, z), inA ? 3u : 0u) << x << y << z;
            }
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 3u), 11);
    ids = extractFilmMaterials(*source, 9, false);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 6 * 6 * 8);

    context.scene.add(source);
    std::shared_ptr<ExtractFilm> extract;
    factory->make = [&] {
        extract = std::make_shared<ExtractFilm>(context);
        extract->setOptionsObserver(std::make_shared<OperationTest::Options>([&] { extract->setMaterialId(3); }));
        return extract;
    };
    context.activate(1);
    EXPECT_EQ(log->lines.back(), "Extract Film: select a cell volume and press Enter/Return.");
    context.setObjectSelected(source, true);
    context.interpreter.submit("");
    EXPECT_EQ(log->lines.back(), "Extract Film: film extracted.");
    EXPECT_EQ(log->lines[log->lines.size() - 2], "Extract Film: cell volume selected.");
    const TotalVolumePtr film = extract->getFilm();
    ASSERT_TRUE(film);
    EXPECT_EQ(film->getPosition().x, 1.0 + 16.0);
    EXPECT_EQ(film->getPosition().y, 2.0);
    EXPECT_EQ(film->getSizeZ(), 8u);
    EXPECT_EQ(film->materialIds()[0], 3u);
    EXPECT_TRUE(inScene(context, film));
    EXPECT_EQ(context.history.undoName(), "Extract Film");
    ASSERT_TRUE(context.history.undo());
    EXPECT_FALSE(inScene(context, film));
    EXPECT_TRUE(inScene(context, source));
    ASSERT_TRUE(context.history.redo());
    EXPECT_TRUE(inScene(context, film));

    // A rejected dialog extracts nothing and says nothing.
    factory->make = [&] { return extract = std::make_shared<ExtractFilm>(context); };
    log->lines.clear();
    context.setObjectSelected(source, true);
    context.activate(1);
    EXPECT_EQ(log->lines, std::vector<std::string>{"Extract Film: cell volume selected."});
    EXPECT_EQ(context.scene.objectCount(), 2);
    EXPECT_EQ(context.history.undoName(), "Extract Film");
}
