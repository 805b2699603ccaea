#include "Core/Operations/ObjectOperations/copyobject.h"
#include "Core/Operations/ObjectOperations/deleteobject.h"
#include "Core/Operations/ObjectOperations/moveobject.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

struct Factory : IOperationFactory
{
    explicit Factory(OperationContext &c) : context(c) {}
    OperationPtr create(int32_t typeId) override
    {
        switch (typeId) {
        case 1: return std::make_shared<CopyObject>(context);
        case 4: return std::make_shared<DeleteObject>(context);
        case 7: return std::make_shared<MoveObject>(context);
        default: return nullptr;
        }
    }
    OperationContext &context;
};

class ObjectOperations : public ::testing::Test
{
protected:
    ObjectOperations()
    {
        context.setFactory(std::make_shared<Factory>(context));
        for (auto &v : volumes) {
            v = std::make_shared<TotalVolume>(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(1, 2, 3));
            context.scene.add(v);
        }
    }
    static bool at(const TotalVolumePtr &v, double x, double y, double z)
    {
        const Util::Vector3D p = v->getPosition();
        return p.x == x && p.y == y && p.z == z;
    }
    bool inScene(const Model::ObjectPtr &o) const
    {
        const auto all = context.scene.objects();
        return std::find(all.begin(), all.end(), o) != all.end();
    }

    OperationContext context;
    TotalVolumePtr volumes[2];
};

} // namespace

TEST_F(ObjectOperations, MoveByTypedDistanceUndoRedoAndInvalidLines)
{
    context.setObjectSelected(volumes[0], true);
    context.setObjectSelected(volumes[1], true);
    context.activate(7);
    EXPECT_EQ(context.interpreter.getLastMessage(), "Move: Left click or enter the distance into the console (x, y, z):");
    EXPECT_TRUE(volumes[0]->isTemporary());

    // A line that is no point keeps the ghosts and the wait.
    context.interpreter.submit("ten");
    EXPECT_EQ(context.interpreter.getLastMessage(), "Invalid entry. Enter the x, y, z coordinates.");
    EXPECT_TRUE(volumes[1]->isTemporary());
    EXPECT_TRUE(at(volumes[1], 1, 2, 3));

    context.interpreter.submit("10, 0, 0");
    EXPECT_EQ(context.interpreter.getLastMessage(), "Move: Object(s) moved");
    EXPECT_TRUE(at(volumes[0], 11, 2, 3) && at(volumes[1], 11, 2, 3));
    EXPECT_FALSE(volumes[0]->isTemporary());
    EXPECT_EQ(context.getCurrentOperation(), nullptr);
    EXPECT_FALSE(context.viewState.hasClickRequest());

    ASSERT_TRUE(context.history.undo());
    EXPECT_TRUE(at(volumes[0], 1, 2, 3) && at(volumes[1], 1, 2, 3));
    ASSERT_TRUE(context.history.redo());
    EXPECT_TRUE(at(volumes[0], 11, 2, 3) && at(volumes[1], 11, 2, 3));
}

TEST_F(ObjectOperations, EscapeRestoresAndTheClickPathMovesByTheDifference)
{
    context.setObjectSelected(volumes[0], true);
    context.activate(7);
    context.cancelCurrentOperation();
    EXPECT_EQ(context.interpreter.getLastMessage(), "Move: Operation canceled");
    EXPECT_FALSE(volumes[0]->isTemporary());
    EXPECT_TRUE(at(volumes[0], 1, 2, 3));
    EXPECT_FALSE(context.viewState.hasClickRequest());

    // Two clicks: the reference point, then the destination.
    context.setObjectSelected(volumes[0], true);
    context.activate(7);
    ASSERT_TRUE(context.viewState.hasClickRequest());
    EXPECT_TRUE(context.viewState.deliverClick(Util::Vector3D(5, 5, 0)));
    EXPECT_EQ(context.interpreter.getLastMessage(), "Move: Left click on destination.");
    EXPECT_TRUE(at(volumes[0], 1, 2, 3));
    EXPECT_TRUE(context.viewState.deliverClick(Util::Vector3D(8, 1, 0)));
    EXPECT_TRUE(at(volumes[0], 4, -2, 3));
    EXPECT_FALSE(volumes[1]->isTemporary());
    EXPECT_FALSE(context.viewState.deliverClick(Util::Vector3D(0, 0, 0)));
    ASSERT_TRUE(context.history.undo());
    EXPECT_TRUE(at(volumes[0], 1, 2, 3));
}

TEST_F(ObjectOperations, CopyAddsADisplacedCloneAndEscapeAddsNone)
{
    context.setObjectSelected(volumes[0], true);
    context.activate(1);
    context.cancelCurrentOperation(); // Escape, which also clears the selection
    context.clearSelection();
    EXPECT_EQ(context.interpreter.getLastMessage(), "Copy: Operation canceled");
    EXPECT_EQ(context.scene.objects().size(), 2u);

    context.activate(1);
    EXPECT_EQ(context.interpreter.getLastMessage(), "Copy: Select the object(s) to be copied and press Enter");
    EXPECT_TRUE(context.isSelectionMode());
    context.setObjectSelected(volumes[0], true);
    context.interpreter.submit("");
    context.interpreter.submit("0, 0, 5");
    EXPECT_EQ(context.interpreter.getLastMessage(), "Copy: Object(s) copied");
    ASSERT_EQ(context.scene.objects().size(), 3u);
    const auto copy = std::dynamic_pointer_cast<TotalVolume>(context.scene.objects().back());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, volumes[0]);
    EXPECT_TRUE(at(copy, 1, 2, 8));
    EXPECT_TRUE(at(volumes[0], 1, 2, 3));
    EXPECT_FALSE(copy->isTemporary());

    ASSERT_TRUE(context.history.undo());
    EXPECT_FALSE(inScene(copy));
    ASSERT_TRUE(context.history.redo());
    EXPECT_TRUE(inScene(copy));
}

TEST_F(ObjectOperations, DeleteWaitsForASelectionAndUndoBringsItBack)
{
    context.activate(4);
    EXPECT_EQ(context.interpreter.getLastMessage(), "Delete: Select the objects to be deleted and press Return/Enter");
    EXPECT_TRUE(context.isSelectionMode());
    context.setObjectSelected(volumes[1], true);
    context.interpreter.submit("");
    EXPECT_EQ(context.interpreter.getLastMessage(), "Delete: objects deleted.");
    EXPECT_FALSE(inScene(volumes[1]));
    EXPECT_TRUE(inScene(volumes[0]));
    ASSERT_TRUE(context.history.undo());
    EXPECT_TRUE(inScene(volumes[1]));
    ASSERT_TRUE(context.history.redo());
    EXPECT_FALSE(inScene(volumes[1]));

    context.activate(4);
    context.cancelCurrentOperation();
    EXPECT_EQ(context.interpreter.getLastMessage(), "Delete: Operation canceled.");
    EXPECT_EQ(context.getCurrentOperation(), nullptr);
}
