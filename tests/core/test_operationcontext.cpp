#include "Core/Operations/operationcontext.h"
#include "Core/Operations/processoperation.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Automaton::Voxel;

namespace {

// Collects every console message.
struct MessageLog : Util::IObserver
{
    explicit MessageLog(CommandInterpreter &i) : interpreter(i) {}
    void update() override { lines.push_back(interpreter.getLastMessage()); }
    CommandInterpreter &interpreter;
    std::vector<std::string> lines;
};

struct Callback : Util::IObserver
{
    explicit Callback(std::function<void()> f) : f(std::move(f)) {}
    void update() override { f(); }
    std::function<void()> f;
};

std::atomic<int32_t> fillCounter{0};

// Sets every filled cell to a new material: a small undoable process.
class RefillOperation : public UndoableProcessOperation
{
public:
    explicit RefillOperation(OperationContext &c)
        : UndoableProcessOperation(c, "Refill", 77, QStringLiteral("Refill"), fillCounter)
    {
    }
    void setMaterial(uint32_t id)
    {
        material = id;
        materialSet = true;
    }

protected:
    bool parametersComplete() const override { return materialSet; }
    void process() override
    {
        const Model::Automaton::VoxelLock lock(*volume);
        Voxel *cells = lock.voxels();
        for (size_t i = 0; i < volume->getCellCount(); ++i)
            if (cells[i].getMaterialId() != 0)
                cells[i].setMaterialId(material);
    }
    bool marksLatticeStale() const override { return material == 1; }

private:
    uint32_t material = 0;
    bool materialSet = false;
};

// The options "dialog": accepts with a material, or rejects.
struct RefillOptions : Util::IObserver
{
    RefillOptions(OperationContext &c, bool accept) : context(c), accept(accept) {}
    void update() override
    {
        ++opened;
        auto op = std::dynamic_pointer_cast<RefillOperation>(context.getCurrentOperation());
        if (op && accept)
            op->setMaterial(5);
    }
    OperationContext &context;
    bool accept;
    int opened = 0;
};

struct TestFactory : IOperationFactory
{
    explicit TestFactory(OperationContext &c) : context(c) {}
    OperationPtr create(int32_t typeId) override
    {
        if (typeId != 77)
            return nullptr;
        auto op = std::make_shared<RefillOperation>(context);
        options = std::make_shared<RefillOptions>(context, accept);
        op->setOptionsObserver(options);
        return op;
    }
    OperationContext &context;
    bool accept = true;
    std::shared_ptr<RefillOptions> options;
};

TotalVolumePtr makeVolume(uint32_t material = 1)
{
    std::vector<uint32_t> ids(2 * 2 * 3, 0);
    for (size_t i = 0; i < ids.size(); i += 3)
        ids[i] = material; // bottom layer filled
    return std::make_shared<TotalVolume>(2, 2, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

struct ContextFixture : ::testing::Test
{
    void SetUp() override
    {
        factory = std::make_shared<TestFactory>(context);
        context.setFactory(factory);
        log = std::make_shared<MessageLog>(context.interpreter);
        context.interpreter.addMessageObserver(log);
    }
    std::vector<std::string> &lines() { return log->lines; }

    OperationContext context;
    std::shared_ptr<TestFactory> factory;
    std::shared_ptr<MessageLog> log;
};

} // namespace

TEST_F(ContextFixture, LoneVolumeIsChosenAtOnceAndTheStepFinishes)
{
    auto volume = makeVolume();
    context.scene.add(volume);
    context.activate(77);

    ASSERT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[0], "Refill: Cell volume selected.");
    EXPECT_EQ(lines()[1], "Refill: Operation finished.");
    EXPECT_EQ(factory->options->opened, 1);
    EXPECT_FALSE(context.getCurrentOperation());
    EXPECT_EQ(context.history.undoName(), "Refill");
    EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), 77);
    EXPECT_EQ(context.latticeStale.count(volume->getId()), 0u);
    EXPECT_EQ(volume->materialIds()[0], 5u);
    EXPECT_EQ(context.interpreter.getTarget(), nullptr);
}

TEST_F(ContextFixture, LoneObjectThatIsNotAVolumeCancels)
{
    struct Plain : Model::Object
    {
        Model::ObjectKind getType() const override { return Model::ObjectKind::ExtractedModel; }
        void draw(bool, bool, Util::Vector3D) override {}
        void drawForPicking() override {}
        Model::ObjectPtr clone() override { return nullptr; }
        void move(Util::Vector3D) override {}
        void hook(const Util::Vector4D &, const Util::Vector4D &) override {}
    };
    context.scene.add(std::make_shared<Plain>());
    context.activate(77);
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(lines()[0], "Refill: Operation canceled.");
    EXPECT_EQ(factory->options->opened, 0);
    EXPECT_EQ(context.history.undoCount(), 0u);
}

TEST_F(ContextFixture, NoOrTwoVolumesPromptUntilOneIsSelected)
{
    int modeChanges = 0;
    context.addSelectionModeObserver(std::make_shared<Callback>([&] { ++modeChanges; }));

    context.activate(77);
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(lines()[0], "Refill: Select a cell volume and press Enter/Return.");
    EXPECT_TRUE(context.isSelectionMode());
    // Enter with nothing selected and still no volume repeats the prompt.
    context.interpreter.submit("");
    EXPECT_EQ(lines().back(), "Refill: Select a cell volume and press Enter/Return.");

    auto a = makeVolume(), b = makeVolume();
    context.scene.add(a);
    context.scene.add(b);
    context.interpreter.submit("");
    EXPECT_EQ(lines().back(), "Refill: Select a cell volume and press Enter/Return.");

    context.setObjectSelected(b, true);
    EXPECT_TRUE(b->isSelected());
    context.interpreter.submit("");
    EXPECT_EQ(lines()[lines().size() - 2], "Refill: Cell volume selected.");
    EXPECT_EQ(lines().back(), "Refill: Operation finished.");
    EXPECT_EQ(b->materialIds()[0], 5u);
    EXPECT_EQ(a->materialIds()[0], 1u);
    EXPECT_FALSE(b->isSelected());
    EXPECT_FALSE(context.isSelectionMode());
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_EQ(modeChanges, 2);
}

TEST_F(ContextFixture, FirstSelectedVolumeWinsAndRejectedDialogCancels)
{
    auto a = makeVolume(), b = makeVolume();
    context.scene.add(a);
    context.scene.add(b);
    context.setObjectSelected(b, true);
    context.setObjectSelected(a, true);
    factory->accept = false;
    context.activate(77);
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[1], "Refill: Operation canceled.");
    EXPECT_EQ(context.history.undoCount(), 0u);
    EXPECT_EQ(a->materialIds()[0], 1u);
    EXPECT_EQ(b->materialIds()[0], 1u);
    EXPECT_FALSE(a->isSelected());

    factory->accept = true;
    context.setObjectSelected(b, true);
    context.setObjectSelected(a, true);
    context.activate(77);
    EXPECT_EQ(b->materialIds()[0], 5u);
    EXPECT_EQ(a->materialIds()[0], 1u);
}

TEST_F(ContextFixture, ActivatingAgainCancelsTheWaitingOperationFirst)
{
    context.activate(77);
    context.activate(77);
    ASSERT_EQ(lines().size(), 3u);
    EXPECT_EQ(lines()[1], "Refill: Operation canceled.");
    EXPECT_EQ(lines()[2], "Refill: Select a cell volume and press Enter/Return.");
    // An unknown number leaves the previous one canceled and nothing in progress.
    context.activate(21);
    EXPECT_EQ(lines().back(), "Refill: Operation canceled.");
    EXPECT_FALSE(context.getCurrentOperation());
}

TEST_F(ContextFixture, UndoAndRedoRestoreTheCellsAndNotifyInOrder)
{
    auto volume = makeVolume();
    context.scene.add(volume);
    std::vector<std::string> events;
    context.history.addUndoObserver(std::make_shared<Callback>([&] { events.push_back("undo:" + context.history.undoName()); }));
    context.history.addRedoObserver(std::make_shared<Callback>([&] { events.push_back("redo:" + context.history.redoName()); }));
    context.addUpdateObserver(std::make_shared<Callback>([&] { events.push_back("draw"); }));

    const std::vector<uint32_t> before = volume->materialIds();
    context.activate(77);
    const std::vector<uint32_t> after = volume->materialIds();
    ASSERT_NE(before, after);
    // The push relabels Undo and Redo before the picture is redrawn.
    const std::vector<std::string> finish(events.end() - 3, events.end());
    EXPECT_EQ(finish, (std::vector<std::string>{"undo:Refill", "redo:", "draw"}));

    events.clear();
    EXPECT_TRUE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_EQ(events, (std::vector<std::string>{"draw", "redo:Refill", "undo:"}));

    events.clear();
    EXPECT_TRUE(context.history.redo());
    EXPECT_EQ(volume->materialIds(), after);
    EXPECT_EQ(events, (std::vector<std::string>{"draw", "undo:Refill", "redo:"}));

    // Undo, then a new operation: the redo stack empties.
    context.history.undo();
    EXPECT_EQ(context.history.redoCount(), 1u);
    context.activate(77);
    EXPECT_EQ(context.history.redoCount(), 0u);
    EXPECT_EQ(context.history.undoCount(), 1u);

    events.clear();
    EXPECT_FALSE(TestFactory(context).create(5));
    context.history.clear();
    EXPECT_EQ(events, (std::vector<std::string>{"redo:", "undo:"}));
    events.clear();
    EXPECT_FALSE(context.history.undo());
    EXPECT_FALSE(context.history.redo());
    EXPECT_EQ(events, (std::vector<std::string>{"undo:", "redo:"}));
}

TEST_F(ContextFixture, UndoCancelsTheOperationInProgress)
{
    auto a = makeVolume();
    context.scene.add(a);
    context.activate(77);
    context.scene.add(makeVolume());
    context.activate(77); // waits for a selection
    ASSERT_TRUE(context.getCurrentOperation());
    context.history.undo();
    EXPECT_EQ(lines()[lines().size() - 1], "Refill: Operation canceled.");
    EXPECT_FALSE(context.getCurrentOperation());
    EXPECT_EQ(a->materialIds()[0], 1u);
}

TEST_F(ContextFixture, AStepThatChangesNoCellSaysSoAndLeavesTheHistoryAsItWas)
{
    auto volume = makeVolume();
    context.scene.add(volume);
    context.activate(77);
    EXPECT_EQ(lines().back(), "Refill: Operation finished.");
    ASSERT_EQ(context.history.undoCount(), 1u);
    const std::vector<uint32_t> after = volume->materialIds();

    // Every filled cell holds the material already.
    context.activate(77);
    EXPECT_EQ(lines().back(), "Refill: no cell changed.");
    EXPECT_EQ(context.history.undoCount(), 1u);
    EXPECT_FALSE(context.getCurrentOperation());
    EXPECT_EQ(volume->materialIds(), after);

    // Nor does such a step take away what can be redone.
    ASSERT_TRUE(context.history.undo());
    auto empty = makeVolume(0);
    context.scene.add(empty);
    context.setObjectSelected(empty, true);
    context.activate(77);
    EXPECT_EQ(lines().back(), "Refill: no cell changed.");
    EXPECT_EQ(context.history.undoCount(), 0u);
    ASSERT_EQ(context.history.redoCount(), 1u);
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(volume->materialIds(), after);
}

TEST(SnapshotFiles, NamesCreationAndRemoval)
{
    QString undo, redo;
    {
        SnapshotFiles files;
        undo = files.undoFileName();
        redo = files.redoFileName();
        const QString n = QFileInfo(undo).fileName().mid(4).chopped(5);
        EXPECT_EQ(QFileInfo(undo).fileName(), "undo" + n + ".temp");
        EXPECT_EQ(QFileInfo(redo).fileName(), "redo" + n + ".temp");
        EXPECT_EQ(QFileInfo(undo).absolutePath(), QDir::current().absolutePath());
        EXPECT_TRUE(QFile::exists(undo));
        EXPECT_EQ(QFileInfo(redo).size(), 0);
        SnapshotFiles other;
        EXPECT_NE(other.undoFileName(), undo);
    }
    EXPECT_FALSE(QFile::exists(undo));
    EXPECT_FALSE(QFile::exists(redo));
}

TEST(SnapshotFiles, UnwritableWorkingDirectoryFallsBackToTemp)
{
    QTemporaryDir dir;
    // A working directory that has been deleted cannot hold files, even for root.
    const QString previous = QDir::currentPath();
    const QString gone = dir.path() + "/gone";
    QDir().mkpath(gone);
    QDir::setCurrent(gone);
    QDir(gone).removeRecursively();
    {
        SnapshotFiles files;
        EXPECT_TRUE(files.undoFileName().startsWith(QDir::tempPath()));
        EXPECT_TRUE(QFile::exists(files.undoFileName()));
        EXPECT_TRUE(QFile::exists(files.redoFileName()));

        std::atomic<int32_t> counter{0};
        VolumeSnapshot snap("K", counter, files);
        auto v = makeVolume(3);
        snap.takeState(*v);
        {
            const Model::Automaton::VoxelLock lock(*v);
            Voxel *cells = lock.voxels();
            cells[0].setMaterialId(9);
        }
        EXPECT_TRUE(snap.writeRecords(*v));
        EXPECT_TRUE(snap.restoreFromUndoFile(*v));
        EXPECT_EQ(v->materialIds()[0], 3u);
    }
    QDir::setCurrent(previous);
}

TEST(VolumeSnapshot, RecordsHoldWhatChangedAndRoundTrip)
{
    SnapshotFiles files;
    std::atomic<int32_t> isoCounter{0}, pvdCounter{0};
    VolumeSnapshot iso0("IsotropicDeposition", isoCounter, files);
    VolumeSnapshot iso1("IsotropicDeposition", isoCounter, files);
    VolumeSnapshot pvd0("IsotropicDeposition", pvdCounter, files);
    EXPECT_EQ(iso0.getInstance(), 0);
    EXPECT_EQ(iso1.getInstance(), 1);
    EXPECT_EQ(pvd0.getInstance(), 0);

    // Two runs of changed cells, a cut count, a field made anew and a mask: the undo
    // record holds the old values, the redo record the new ones, nothing else.
    TotalVolume v(1, 2, 3, 1, 1, 1, Util::Vector3D(), {12, 0, 7, 5, 5, 5});
    iso0.takeState(v);
    {
        Model::Automaton::VoxelLock cells(v);
        cells[1].setMaterialId(4);
        cells[2].setMaterialId(4);
        cells[5].setMaterialId(0);
        cells[3].addCut();
        v.createParticleField(QStringLiteral("Random Walk Particle Count Type N"))[8] = 3;
    }
    v.setTopMask({true, false, true, true, false}, 5, 1);
    bool changed = false;
    ASSERT_TRUE(iso0.writeRecords(v, &changed));
    EXPECT_TRUE(changed);
    const auto contents = [](const QString &name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    };
    EXPECT_EQ(contents(files.undoFileName()),
              QByteArray("IsotropicDeposition 0 m 1 2 0 7 5 1 5 k 3 1 0 n 0 8 1 0 t 0 0 0 -\n"));
    EXPECT_EQ(contents(files.redoFileName()),
              QByteArray("IsotropicDeposition 0 m 1 2 4 4 5 1 0 k 3 1 1 n 1 8 1 3 t 5 1 5 b0\n"));
    const std::vector<uint32_t> after = v.materialIds();
    ASSERT_TRUE(iso0.restoreFromUndoFile(v));
    EXPECT_EQ(v.materialIds(), (std::vector<uint32_t>{12, 0, 7, 5, 5, 5}));
    EXPECT_EQ(v.particleField(QStringLiteral("Random Walk Particle Count Type N")), nullptr);
    EXPECT_TRUE(v.getTopMask().empty());
    EXPECT_EQ(Model::Automaton::VoxelLock(v)[3].getCutCount(), 0u);
    ASSERT_TRUE(iso0.restoreFromRedoFile(v));
    EXPECT_EQ(v.materialIds(), after);
    ASSERT_NE(v.particleField(QStringLiteral("Random Walk Particle Count Type N")), nullptr);
    EXPECT_EQ(v.particleField(QStringLiteral("Random Walk Particle Count Type N"))[8], 3);
    EXPECT_EQ(v.getTopMask(), (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ(Model::Automaton::VoxelLock(v)[3].getCutCount(), 1u);

    // A run of equal values is one word.
    std::atomic<int32_t> fillCounter{0};
    VolumeSnapshot fill("Fill", fillCounter, files);
    TotalVolume column(1, 1, 5, 1, 1, 1, Util::Vector3D(), {1, 0, 0, 0, 0});
    fill.takeState(column);
    {
        Model::Automaton::VoxelLock cells(column);
        for (size_t z = 1; z < 5; ++z)
            cells[z].setMaterialId(9);
    }
    ASSERT_TRUE(fill.writeRecords(column));
    EXPECT_TRUE(contents(files.redoFileName()).endsWith("Fill 0 m 1 4 9*4 k\n"));
    ASSERT_TRUE(fill.restoreFromUndoFile(column));
    EXPECT_EQ(column.materialIds(), (std::vector<uint32_t>{1, 0, 0, 0, 0}));
    ASSERT_TRUE(fill.restoreFromRedoFile(column));
    EXPECT_EQ(column.materialIds(), (std::vector<uint32_t>{1, 9, 9, 9, 9}));

    // The same key and instance from another class: each restores its own record.
    TotalVolume w(1, 2, 3, 1, 1, 1, Util::Vector3D(), {4, 4, 4, 4, 4, 4});
    pvd0.takeState(w);
    Model::Automaton::VoxelLock(w)[0].setMaterialId(1);
    ASSERT_TRUE(pvd0.writeRecords(w));
    pvd0.restoreFromUndoFile(v);
    EXPECT_EQ(v.materialIds()[0], 4u);
    iso0.restoreFromUndoFile(v);
    EXPECT_EQ(v.materialIds(), (std::vector<uint32_t>{4, 0, 7, 5, 5, 5}));

    // A hand-written file: other keys and instances are skipped, a record of every cell
    // fills what it can, a malformed one says so, and no matching record leaves the
    // cells as they are.
    QFile redo(files.redoFileName());
    ASSERT_TRUE(redo.open(QIODevice::WriteOnly));
    redo.write("Other 1 9 9 9\nIsotropicDeposition 0 1 2 3\nIsotropicDeposition 1 5\n"
               "IsotropicDeposition 2 m 0 9 1\n");
    redo.close();
    iso1.restoreFromRedoFile(v);
    EXPECT_EQ(v.materialIds(), (std::vector<uint32_t>{5, 0, 7, 5, 5, 5}));
    iso0.restoreFromRedoFile(v);
    EXPECT_EQ(v.materialIds(), (std::vector<uint32_t>{1, 2, 3, 5, 5, 5}));
    std::atomic<int32_t> c{2};
    VolumeSnapshot malformed("IsotropicDeposition", c, files);
    EXPECT_FALSE(malformed.restoreFromRedoFile(v));
    VolumeSnapshot none("Missing", c, files);
    EXPECT_FALSE(none.restoreFromRedoFile(v));
    EXPECT_EQ(v.materialIds(), (std::vector<uint32_t>{1, 2, 3, 5, 5, 5}));
}
