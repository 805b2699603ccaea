#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/operationcontext.h"

#include <gtest/gtest.h>

using namespace Core::Operations;
using Model::Automaton::TotalVolumePtr;

namespace {

size_t countMaterial(const TotalVolumePtr &v, uint32_t id)
{
    const std::vector<uint32_t> ids = v->materialIds();
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), id));
}

} // namespace

TEST(SubstrateBuilder, DefaultBlockSitsAtTheBottom)
{
    SubstrateParameters p;
    p.materialId = 1;
    TotalVolumePtr v = p.buildVolume();
    EXPECT_EQ(v->getSizeX(), 100u);
    EXPECT_EQ(v->getSizeZ(), 80u);
    EXPECT_EQ(v->getCellSizeX(), 1.0f);
    EXPECT_EQ(countMaterial(v, 1), 100u * 100u * 30u);
    const std::vector<uint32_t> ids = v->materialIds();
    EXPECT_EQ(ids[v->index(7, 9, 29)], 1u);
    EXPECT_EQ(ids[v->index(7, 9, 30)], 0u);
}

TEST(SubstrateBuilder, BlockLargerThanTheVolumeIsClipped)
{
    SubstrateParameters p;
    p.materialId = 3;
    p.volumeSizeX = 4;
    p.volumeSizeY = 5;
    p.volumeSizeZ = 6;
    p.deltaX = 2;
    p.deltaY = 0;
    p.deltaZ = 4;
    p.substrateSizeX = 10;
    p.substrateSizeY = 10;
    p.substrateSizeZ = 10;
    p.corner = Util::Vector3D(1, -2, 3);
    TotalVolumePtr v = p.buildVolume();
    EXPECT_EQ(countMaterial(v, 3), 2u * 5u * 2u);
    const std::vector<uint32_t> ids = v->materialIds();
    EXPECT_EQ(ids[v->index(1, 4, 5)], 0u);
    EXPECT_EQ(ids[v->index(2, 4, 5)], 3u);
    EXPECT_EQ(ids[v->index(3, 0, 3)], 0u);
    EXPECT_EQ(v->getPosition(), Util::Vector3D(1, -2, 3));
}

TEST(SubstrateBuilder, Balls)
{
    SubstrateParameters p;
    p.materialId = 1;
    p.spherical = true;
    p.volumeSizeX = p.volumeSizeY = p.volumeSizeZ = 9;
    p.centreX = p.centreY = p.centreZ = 4;
    p.radius = 1;
    TotalVolumePtr small = p.buildVolume();
    EXPECT_EQ(countMaterial(small, 1), 7u);
    EXPECT_EQ(small->materialIds()[small->index(4, 4, 5)], 1u);
    EXPECT_EQ(small->materialIds()[small->index(5, 5, 4)], 0u);

    // Centre at the corner: one eighth of a ball of radius 50.
    p.volumeSizeX = 100;
    p.volumeSizeY = 100;
    p.volumeSizeZ = 80;
    p.centreX = p.centreY = p.centreZ = 0;
    p.radius = 50;
    TotalVolumePtr corner = p.buildVolume();
    size_t expected = 0;
    for (int x = 0; x <= 50; ++x)
        for (int y = 0; y <= 50; ++y)
            for (int z = 0; z <= 50; ++z)
                if (x * x + y * y + z * z <= 2500)
                    ++expected;
    EXPECT_EQ(countMaterial(corner, 1), expected);
    EXPECT_NEAR(double(expected), 4.0 / 3.0 * 3.14159265 * 125000.0 / 8.0, 0.05 * expected);
    const std::vector<uint32_t> ids = corner->materialIds();
    EXPECT_EQ(ids[corner->index(50, 0, 0)], 1u);
    EXPECT_EQ(ids[corner->index(36, 36, 0)], 0u);
}

TEST(SubstrateParameters, ParameterMapRoundTrip)
{
    SubstrateParameters p;
    p.materialId = 9;
    p.volumeSizeX = 50;
    p.deltaZ = 3;
    p.corner = Util::Vector3D(1.5, 0, 2);
    const QMap<QString, QVariant> map = p.toParameterMap();
    EXPECT_EQ(map.value("Volume Size X").toUInt(), 50u);
    EXPECT_EQ(map.value("Material_Id").toUInt(), 9u);
    SubstrateParameters q;
    q.applyParameterMap(map);
    EXPECT_EQ(q.volumeSizeX, 50u);
    EXPECT_EQ(q.deltaZ, 3u);
    EXPECT_EQ(q.corner, Util::Vector3D(1.5, 0, 2));
    EXPECT_EQ(q.materialId, 9u);
}

TEST(CreateSubstrateOperation, CommitUndoRedoKeepTheSameVolume)
{
    OperationContext context;
    auto op = std::make_shared<CreateSubstrateOperation>(context);
    std::vector<std::string> messages;
    struct Log : Util::IObserver
    {
        Log(CommandInterpreter &i, std::vector<std::string> &m) : i(i), m(m) {}
        void update() override { m.push_back(i.getLastMessage()); }
        CommandInterpreter &i;
        std::vector<std::string> &m;
    };
    context.interpreter.addMessageObserver(std::make_shared<Log>(context.interpreter, messages));

    // Hands out prepared operations, as the menu's factory would.
    struct Factory : IOperationFactory
    {
        OperationPtr next;
        OperationPtr create(int32_t) override { return next; }
    };
    auto factory = std::make_shared<Factory>();
    context.setFactory(factory);

    // No dialog answer: nothing made, nothing printed, nothing in the history.
    factory->next = op;
    context.activate(2);
    EXPECT_EQ(context.scene.objectCount(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(context.history.undoCount(), 0u);

    auto made = std::make_shared<CreateSubstrateOperation>(context);
    made->setRectangularSubstrate(1, 5, 4, 3, Util::Vector3D(), 5, 4, 1, 0, 0, 0);
    factory->next = made;
    context.activate(2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Create Substrate: substrate created successfully.");
    ASSERT_EQ(context.scene.objectCount(), 1);
    const int32_t id = context.scene.objects()[0]->getId();
    EXPECT_EQ(context.history.undoName(), "Create Substrate");

    // A selected substrate that undo takes away is no longer selected, nor after redo.
    context.setObjectSelected(context.scene.objects()[0], true);
    EXPECT_TRUE(context.history.undo());
    EXPECT_EQ(context.scene.objectCount(), 0);
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_FALSE(made->getCreatedVolume()->isSelected());
    EXPECT_TRUE(context.history.redo());
    ASSERT_EQ(context.scene.objectCount(), 1);
    EXPECT_EQ(context.scene.objects()[0]->getId(), id);
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_EQ(made->getCreatedVolume()->getId(), id);
}
