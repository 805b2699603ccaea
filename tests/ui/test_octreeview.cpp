// The octree surface as the view draws it: as closed as the direct cubic faces, with no
// background showing through the seams between its faces of different sizes.
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/glwidget.h"
#include "Util/colorsettings.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <memory>
#include <vector>

namespace {

bool isBackground(const QImage &image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }

// Background pixels of `octree` well inside what `cubic` covers: each has all eight
// neighbours covered in the cubic picture, so no silhouette edge passes through it.
int cracks(const QImage &cubic, const QImage &octree)
{
    int count = 0;
    for (int y = 1; y + 1 < cubic.height(); ++y)
        for (int x = 1; x + 1 < cubic.width(); ++x) {
            if (!isBackground(octree, x, y))
                continue;
            bool inside = true;
            for (int dy = -1; dy <= 1 && inside; ++dy)
                for (int dx = -1; dx <= 1 && inside; ++dx)
                    inside = !isBackground(cubic, x + dx, y + dy);
            count += inside ? 1 : 0;
        }
    return count;
}

} // namespace

TEST(OctreeView, NoCracksWhereTheCubicViewHasNone)
{
    Util::ColorSettings::resetToDefaults();
    // A block whose sizes are no powers of two, with a pit and a step: its sides are tiled
    // by cubes of many sizes, whose edges end on the sides of larger ones.
    const uint32_t sx = 45, sy = 37, sz = 19;
    std::vector<uint32_t> ids(sx * sy * sz, 0u);
    for (uint32_t x = 0; x < sx; ++x)
        for (uint32_t y = 0; y < sy; ++y)
            for (uint32_t z = 0; z < sz; ++z) {
                const bool pit = x >= 11 && x < 24 && y >= 5 && y < 20 && z >= 9;
                const bool step = x >= 30 && z >= 14;
                if (!pit && !step)
                    ids[(x * sy + y) * sz + z] = 1u;
            }
    Core::Operations::OperationContext context;
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(sx, sy, sz, 1.0f, 1.0f, 1.0f,
                                                                  Util::Vector3D(), ids);
    volume->getPainter()->regenerate();
    context.scene.add(volume);
    Ui::GLWidget view(context);
    view.resize(640, 480);
    view.setShowAxis(false);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    const float rotations[][3] = {{-60, 0, 30}, {-60, 0, -130}, {-75, 0, 210}, {-30, 0, 75}, {200, 0, 35}};
    for (const auto &r : rotations) {
        view.setRotation(r[0], r[1], r[2]);
        view.fitView();
        volume->getPainter()->setMode(Model::Automaton::SurfaceMode::DirectCubic);
        volume->getPainter()->regenerate();
        const QImage cubic = view.grabFramebuffer();
        volume->getPainter()->setMode(Model::Automaton::SurfaceMode::Octree);
        volume->getPainter()->regenerate();
        const QImage octree = view.grabFramebuffer();
        EXPECT_EQ(cracks(cubic, octree), 0) << "turned " << r[0] << ", " << r[1] << ", " << r[2];
    }
}
