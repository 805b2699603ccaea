#include "Model/Automaton/totalvolume.h"
#include "Util/colorsettings.h"
#include "Util/vector3d.h"

#include <algorithm>
#include <gtest/gtest.h>

using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;
using Util::Vector3D;
using Util::Vector4D;

TEST(Vectors, ComponentAccessArithmeticAndW)
{
    Vector4D v(1, 2, 3, 4);
    EXPECT_EQ(v.get(0), 1);
    EXPECT_EQ(v.get(2), 3);
    EXPECT_EQ(v.get(7), 4);
    EXPECT_EQ(v.get(-1), 4);
    v.at(9) = 8;
    EXPECT_EQ(v.w, 8);
    EXPECT_EQ(Vector4D(1, 1, 1, 1) + Vector4D(1, 2, 3, 4), Vector4D(2, 3, 4, 5));
    EXPECT_EQ(2.0 * Vector4D(1, 2, 3, 4), Vector4D(2, 4, 6, 8));
    Vector4D a(0, 0, 0, 5);
    a.assignXYZ(Vector4D(1, 2, 3, 9));
    EXPECT_EQ(a, Vector4D(1, 2, 3, 5));

    const Vector3D fromFour(Vector4D(1, 2, 3, 1));
    EXPECT_EQ(fromFour.w, 0);
    Vector3D copy = fromFour;
    EXPECT_EQ(copy, Vector4D(1, 2, 3, 0));
    EXPECT_EQ(Vector3D(2.5), Vector4D(2.5, 2.5, 2.5, 0));
}

TEST(Vectors, Vector3DTravelsInVariant)
{
    const QVariant v = QVariant::fromValue(Vector3D(1.5, 0, 2));
    EXPECT_EQ(Vector3D(v), Vector3D(1.5, 0, 2));
    EXPECT_EQ(Vector3D(QVariant(QStringLiteral("text"))), Vector3D());
    EXPECT_NE(QMetaType::type("Util::Vector3D"), static_cast<int>(QMetaType::UnknownType));
}

TEST(ColorSettings, TableVariantsAndObjectDefaults)
{
    EXPECT_EQ(Vector4D(Util::ColorSetting::BackgroundColor, Util::ColorVariant::LowColor), Vector4D(1, 1, 1, 0));
    EXPECT_EQ(Vector4D(Util::ColorSetting::ObjectColor, Util::ColorVariant::Custom), Vector4D(1, 0, 0, 1));
    EXPECT_EQ(Util::ColorSettings::name(Util::ColorSetting::ObjectTemporaryColor), QStringLiteral("Object Temporary Color"));
    EXPECT_EQ(Util::ColorSettings::activeVariant(), Util::ColorVariant::Default);

    TotalVolume a(1, 1, 1, 1, 1, 1, Vector3D(), {1});
    TotalVolume b(1, 1, 1, 1, 1, 1, Vector3D(), {1});
    EXPECT_EQ(b.getId(), a.getId() + 1);
    EXPECT_EQ(a.getColor(), Vector4D(0, 0, 0, 1));
    EXPECT_EQ(a.getOutlineColor(), Vector4D(1, 1, 1, 0));
    EXPECT_FALSE(a.isSelected());
    EXPECT_FALSE(a.isTemporary());
}

TEST(TotalVolume, IndexArithmeticAndBounds)
{
    TotalVolume one(1, 1, 1, 1, 1, 1, Vector3D(), {0});
    EXPECT_EQ(one.index(0, 0, 0), 0u);
    TotalVolume v(2, 3, 4, 1, 1, 1, Vector3D(), std::vector<uint32_t>(24, 0));
    EXPECT_EQ(v.index(1, 2, 3), 23u);
    uint32_t x, y, z;
    v.coordinates(17, &x, &y, &z);
    EXPECT_EQ(v.index(x, y, z), 17u);
    EXPECT_EQ(x, 1u);
    EXPECT_EQ(y, 1u);
    EXPECT_EQ(z, 1u);
    EXPECT_TRUE(v.contains(1, 2, 3));
    EXPECT_FALSE(v.contains(2, 0, 0));
    EXPECT_FALSE(v.contains(0, -1, 0));
    EXPECT_FALSE(v.contains(0, 0, 4));
}

TEST(TotalVolume, CellsInIndexOrderAndCutSaturation)
{
    std::vector<uint32_t> ids(24);
    for (uint32_t i = 0; i < 24; ++i)
        ids[i] = i;
    TotalVolume v(2, 3, 4, 0.5f, 1, 2, Vector3D(1, 2, 3), ids);
    {
        const Model::Automaton::VoxelLock lock(v);
        Voxel *cells = lock.voxels();
        EXPECT_EQ(cells[v.index(1, 0, 2)].getMaterialId(), 14u);
        EXPECT_EQ(cells[5].getCount(), 0);
        EXPECT_FALSE(cells[5].isCut());
        for (int i = 0; i < 300; ++i)
            cells[0].addCut();
        EXPECT_EQ(cells[0].getCutCount(), 255u);
        cells[1].removeCut();
        EXPECT_EQ(cells[1].getCutCount(), 0u);
        cells[2].addCut();
        EXPECT_FALSE(cells[2].isSolid());
    }
    EXPECT_EQ(v.materialIds(), ids);
}

TEST(TotalVolume, CloneCopiesMaterialsOnly)
{
    TotalVolume v(2, 2, 2, 1, 1, 1, Vector3D(4, 5, 6), {1, 2, 3, 4, 5, 6, 7, 8});
    {
        const Model::Automaton::VoxelLock lock(v);
        Voxel *cells = lock.voxels();
        cells[3].addCut();
        cells[3].setCount(9);
    }
    v.setTopMask({true, false}, 1, 2);
    v.setProperty("p", 3);
    v.setSelected(true);

    auto copy = std::dynamic_pointer_cast<TotalVolume>(v.clone());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->getId(), v.getId());
    EXPECT_EQ(copy->materialIds(), v.materialIds());
    EXPECT_EQ(copy->getPosition(), Vector3D(4, 5, 6));
    {
        const Model::Automaton::VoxelLock lock(*copy);
        Voxel *c = lock.voxels();
        EXPECT_FALSE(c[3].isCut());
        EXPECT_EQ(c[3].getCount(), 0);
    }
    EXPECT_TRUE(copy->getTopMask().empty());
    EXPECT_TRUE(copy->propertyNames().isEmpty());
    EXPECT_FALSE(copy->isSelected());
    EXPECT_FALSE(copy->getLattice());
}

TEST(TotalVolume, LargeVolumesStartEmptyAndCloneLikeSmallOnes)
{
    // 100 x 100 x 50 cells take 11 MiB: enough for the cells to be mapped rather than
    // allocated with new[]. Every cell starts as a default cell, in both kinds.
    for (const uint32_t sizeZ : {2u, 50u}) {
        SCOPED_TRACE(sizeZ);
        TotalVolume v(100, 100, sizeZ, 1, 1, 1, Vector3D());
        const size_t n = v.getCellCount();
        {
            const Model::Automaton::VoxelLock lock(v);
            Voxel *cells = lock.voxels();
            size_t unlike = 0;
            for (size_t i = 0; i < n; ++i) {
                const Voxel &c = cells[i];
                unlike += c.getMaterialId() != 0 || c.isMarked() || c.getDistanceX() != 0.0f ||
                          c.getDistanceY() != 0.0f || c.getDistanceZ() != 0.0f || c.getCount() != 0 ||
                          c.isCut();
            }
            EXPECT_EQ(unlike, 0u);
            cells[0].setMaterialId(3);
            cells[n - 1].setMaterialId(4);
            cells[n - 1].addCut();
        }

        const auto copy = std::dynamic_pointer_cast<TotalVolume>(v.clone());
        ASSERT_TRUE(copy);
        const std::vector<uint32_t> ids = copy->materialIds();
        ASSERT_EQ(ids.size(), n);
        EXPECT_EQ(ids.front(), 3u);
        EXPECT_EQ(ids.back(), 4u);
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), std::ptrdiff_t(n - 2));
    }
}

TEST(TotalVolume, MovePropertiesAndMasks)
{
    TotalVolume v(2, 2, 2, 1, 1, 1, Vector3D(), std::vector<uint32_t>(8, 1));
    v.move(Vector3D(1, 2, 3));
    EXPECT_EQ(v.getPosition(), Vector3D(1, 2, 3));
    EXPECT_EQ(v.materialIds(), std::vector<uint32_t>(8, 1));

    EXPECT_FALSE(v.property("unknown").isValid());
    EXPECT_TRUE(v.propertyNames().isEmpty());
    v.setProperty("b", 1);
    v.setProperty("a", 2);
    EXPECT_EQ(v.propertyNames(), QStringList({"a", "b"}));

    v.setBottomMask({true, true, false}, 3, 1);
    int w = 0, h = 0;
    v.getBottomMaskSize(&w, &h);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 1);
    v.clearBottomMask();
    EXPECT_EQ(v.getBottomMask(), std::vector<bool>(3, false));
}

TEST(TotalVolume, ImpossibleSizeThrowsBadAlloc)
{
    EXPECT_THROW(TotalVolume::checkedCellCount(4000000000u, 4000000000u, 4000000000u), std::bad_alloc);
    EXPECT_EQ(TotalVolume::checkedCellCount(2, 3, 4), 24u);
}
