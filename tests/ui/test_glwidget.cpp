#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/fieldlegend.h"
#include "UI/glwidget.h"
#include "UI/lampset.h"
#include "UI/mousehandler.h"
#include "UI/viewproperties.h"
#include "UI/viewtransform.h"
#include "Util/colorsettings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QtGui/qopengl.h>
#include <array>
#include <cmath>
#include <functional>

using Ui::GLWidget;
using Ui::LampSet;
using Ui::MouseHandler;
using Ui::ViewProperties;
using Ui::ViewTransform;

namespace {

constexpr double pi = 3.14159265358979323846;

// A cube of edge 40 centred on the origin: red, green while selected. It picks with
// the same cube, so clicks on it hit whatever the cell-volume painter does.
class CubeObject : public Model::Object
{
public:
    explicit CubeObject(float centreY = 0.0f) : centreY(centreY) {}
    Model::ObjectKind getType() const override { return Model::ObjectKind::ExtractedModel; }
    void draw(bool surfaces, bool, Util::Vector3D) override
    {
        ++draws;
        if (!surfaces)
            return;
        if (isSelected())
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        cube();
    }
    void drawForPicking() override { cube(); }
    std::shared_ptr<Object> clone() override { return nullptr; }
    void move(Util::Vector3D) override {}
    void hook(const Util::Vector4D &, const Util::Vector4D &) override {}

    int draws = 0;

private:
    void cube() const
    {
        // Counter-clockwise seen from outside, so back-face culling keeps the near sides.
        static const int corners[6][4][3] = {
            {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
            {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
            {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}};
        static const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0},
                                            {0, 1, 0},  {-1, 0, 0}, {1, 0, 0}};
        glBegin(GL_QUADS);
        for (int f = 0; f < 6; ++f) {
            glNormal3fv(normals[f]);
            for (const auto &c : corners[f])
                glVertex3f(c[0] * 40.0f - 20.0f, c[1] * 40.0f - 20.0f + centreY, c[2] * 40.0f - 20.0f);
        }
        glEnd();
    }

    float centreY;
};

// Draws nothing; the legend's query reports a field range for it.
class FieldObject : public CubeObject
{
public:
    FieldObject(float low, float high) : low(low), high(high) {}
    void draw(bool, bool, Util::Vector3D) override {}
    void drawForPicking() override {}
    float low;
    float high;
};

class FakeFieldQuery : public Ui::FieldLegend::IFieldQuery
{
public:
    bool fieldRange(const Model::Object &object, float *minimum, float *maximum) const override
    {
        const auto *field = dynamic_cast<const FieldObject *>(&object);
        if (!field)
            return false;
        *minimum = field->low;
        *maximum = field->high;
        return true;
    }
    Util::Vector4D scaleColor(const Model::Object &, int entry) const override
    {
        const double t = entry / 255.0;
        return {t, t, t, 1.0}; // grey scale
    }
};

bool isBlack(QRgb p) { return qRed(p) < 8 && qGreen(p) < 8 && qBlue(p) < 8; }
bool isRed(QRgb p) { return qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60; }
bool isGreen(QRgb p) { return qGreen(p) > 120 && qRed(p) < 60 && qBlue(p) < 60; }

// Whether any pixel within one pixel of (x, y) satisfies the test (lines may fall on
// either side of a pixel boundary).
bool near(const QImage &image, int x, int y, const std::function<bool(QRgb)> &test)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (test(image.pixel(x + dx, y + dy)))
                return true;
    return false;
}

void wheel(QWidget *w, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(at, QPointF(w->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// Presses, moves and releases through the window, as the window system would.
void drag(QWidget *w, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from, QPoint to)
{
    QWindow *window = w->windowHandle();
    QTest::mousePress(window, button, modifiers, from);
    QTest::mouseMove(window, from + (to - from) / 2);
    QTest::mouseMove(window, to);
    QTest::mouseRelease(window, button, modifiers, to);
}

void click(QWidget *w, QPoint at)
{
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

std::vector<float> floats(const QList<QVariant> &arguments)
{
    return arguments.at(0).value<std::vector<float>>();
}

// A shown 400 x 300 view of its own context, colours at the default scheme.
struct GLWidgetView : ::testing::Test
{
    void SetUp() override
    {
        Util::ColorSettings::resetToDefaults();
        view = std::make_unique<GLWidget>(context);
        view->resize(400, 300);
    }
    void show()
    {
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        QApplication::setActiveWindow(view.get());
        // Without a window manager activation may not be reported; the shortcuts only
        // need the active window set above.
        (void)QTest::qWaitForWindowActive(view.get(), 1000);
    }
    QImage frame() { return view->grabFramebuffer(); }
    QPoint centre() const { return QPoint(200, 150); }

    Core::Operations::OperationContext context;
    std::unique_ptr<GLWidget> view;
};

// --- camera, lamps and mouse arithmetic ----------------------------------------------

TEST(GLWidgetCamera, AnglesMatrixAndPan)
{
    ViewTransform camera;
    camera.setRotation(-60.0f, 0.0f, 30.0f);
    // A null turn only re-reads the angles from the matrix.
    camera.rotate(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(camera.angleX, -60.0f, 1e-3f);
    EXPECT_NEAR(camera.angleY, 0.0f, 1e-3f);
    EXPECT_NEAR(camera.angleZ, 30.0f, 1e-3f);

    // The pan, expressed in model axes, shows up on screen as the screen displacement.
    camera.setScreenPosition(10.0f, 4.0f);
    const float *m = camera.rotationMatrix;
    const float p[3] = {camera.panX, camera.panY, camera.panZ};
    for (int row = 0; row < 3; ++row) {
        const float onScreen = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2];
        EXPECT_NEAR(onScreen, row == 0 ? 10.0f : (row == 1 ? 4.0f : 0.0f), 1e-4f) << row;
    }

    // A trackball turn comes before the current rotation: from the top view a turn about
    // the screen's z, then one about its x, read back as (30, 0, 90).
    camera.setRotation(0.0f, 0.0f, 0.0f);
    camera.rotate(90.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(camera.angleZ, 90.0f, 1e-3f);
    camera.rotate(30.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(camera.angleX, 30.0f, 1e-3f);
    EXPECT_NEAR(camera.angleY, 0.0f, 1e-3f);
    EXPECT_NEAR(camera.angleZ, 90.0f, 1e-3f);
}

TEST(GLWidgetCamera, LampPositionsCountAndSwitching)
{
    LampSet lamps;
    ASSERT_EQ(lamps.getCount(), 1);
    EXPECT_EQ(lamps.active, 1);
    EXPECT_TRUE(lamps.isEnabled(1));
    const float *p = lamps.getPosition(1);
    EXPECT_NEAR(p[0], 0.5 * std::sqrt(0.5) * 300.0, 1e-3);
    EXPECT_NEAR(p[1], std::sqrt(0.75) * std::sqrt(0.5) * 300.0, 1e-3);
    EXPECT_NEAR(p[2], std::sqrt(0.5) * 300.0, 1e-3);
    EXPECT_EQ(p[3], 1.0f);

    // Lamps beyond the count are left alone.
    lamps.setRadius(2, 100.0f);
    lamps.setEnabled(2, true);
    EXPECT_FALSE(lamps.isEnabled(2));
    EXPECT_EQ(lamps.radius[1], 0.0f);
    lamps.switchActive();
    EXPECT_EQ(lamps.active, 1);

    // A second lamp keeps its w of 0 whatever its angles.
    lamps.setCount(2);
    lamps.setAngles(2, static_cast<float>(pi / 2), 0.0f);
    lamps.setRadius(2, 100.0f);
    p = lamps.getPosition(2);
    EXPECT_NEAR(p[0], 0.0, 1e-4);
    EXPECT_NEAR(p[1], 100.0, 1e-4);
    EXPECT_NEAR(p[2], 0.0, 1e-4);
    EXPECT_EQ(p[3], 0.0f);
    lamps.switchActive();
    EXPECT_EQ(lamps.active, 2);
    lamps.switchActive();
    EXPECT_EQ(lamps.active, 1);
    lamps.setCount(20);
    EXPECT_EQ(lamps.getCount(), LampSet::maxLamps);
}

TEST(GLWidgetCamera, MouseHandlerLiftsAndTurns)
{
    MouseHandler handler;
    handler.setSize(400, 300);
    EXPECT_EQ(handler.getRadius(), 150.0f);

    // The widget centre lies on top of the trackball: z = (w + h) / 2; y points up.
    handler.press(QPoint(200, 150), MouseHandler::Trackball);
    EXPECT_NEAR(handler.current().z, 350.0f, 1e-3f);
    handler.press(QPoint(230, 110), MouseHandler::Lamp);
    EXPECT_EQ(handler.current().x, 30.0f);
    EXPECT_EQ(handler.current().y, 40.0f);
    EXPECT_NEAR(handler.current().z, std::sqrt(150.0 * 150.0 - 2500.0), 1e-3);
    float azimuth = 0.0f;
    float elevation = 0.0f;
    handler.lampAngles(&azimuth, &elevation);
    EXPECT_NEAR(azimuth, std::atan2(40.0, 30.0), 1e-5);
    EXPECT_NEAR(elevation, std::atan2(std::sqrt(22500.0 - 2500.0), 50.0), 1e-5);
    // Outside the lamp sphere the height is 0.
    handler.press(QPoint(390, 150), MouseHandler::Lamp);
    EXPECT_EQ(handler.current().z, 0.0f);

    // Pan: the difference of the last two positions.
    handler.press(QPoint(100, 100), MouseHandler::Pan);
    handler.move(QPoint(112, 95));
    EXPECT_EQ(handler.dx(), 12.0f);
    EXPECT_EQ(handler.dy(), 5.0f);

    // A one-pixel drag starting near the edge turns the view by a fraction of a degree,
    // not by the tens of degrees the two trackball heights would give.
    handler.press(QPoint(390, 150), MouseHandler::Trackball);
    handler.move(QPoint(391, 150));
    float angle = 0.0f, nx = 0.0f, ny = 0.0f, nz = 0.0f;
    ASSERT_TRUE(handler.trackballRotation(&angle, &nx, &ny, &nz));
    EXPECT_LT(angle, 1.0f);
    EXPECT_NEAR(ny, 1.0f, 1e-4f); // a horizontal drag turns about the screen's y axis
    handler.move(QPoint(391, 150));
    EXPECT_FALSE(handler.trackballRotation(&angle, &nx, &ny, &nz));
}

TEST(GLWidgetCamera, LegendRangeOverFieldVolumes)
{
    Ui::FieldLegend legend;
    const std::vector<Model::ObjectPtr> objects = {std::make_shared<FieldObject>(2.0f, 5.0f),
                                                   std::make_shared<CubeObject>(),
                                                   std::make_shared<FieldObject>(-1.5f, 3.0f)};
    // Without a query that knows field views, there is no legend.
    EXPECT_FALSE(legend.update(objects));
    legend.setQuery(std::make_shared<FakeFieldQuery>());
    ASSERT_TRUE(legend.update(objects));
    EXPECT_EQ(legend.getMinimum(), -1.5f);
    EXPECT_EQ(legend.getMaximum(), 5.0f);
    EXPECT_EQ(legend.minimumText(), "-1.500000e+00");
    EXPECT_EQ(legend.maximumText(), "5.000000e+00");
    EXPECT_FALSE(legend.update({std::make_shared<CubeObject>()}));
}

// --- the shown view ------------------------------------------------------------------

TEST_F(GLWidgetView, DrawsCellVolumeOverBackground)
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        10, 10, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, -5, -5), std::vector<uint32_t>(1000, 1));
    volume->getPainter()->regenerate();
    context.scene.add(volume);
    view->setShowAxis(false);
    view->setZoom(10.0f);
    show();

    const QImage image = frame();
    ASSERT_EQ(image.size(), QSize(400, 300));
    EXPECT_FALSE(isBlack(image.pixel(200, 150)));
    EXPECT_TRUE(isBlack(image.pixel(2, 2)));
    EXPECT_TRUE(isBlack(image.pixel(397, 297)));
    EXPECT_EQ(view->getDepth(), static_cast<int>(std::sqrt(2.0) * 400));

    // Surfaces off: only the background is left.
    view->setRenderObjects(false);
    EXPECT_TRUE(isBlack(frame().pixel(200, 150)));
}

// Makes a material invisible (alpha 0) for the lifetime of the object, so that what
// lies inside its cells can be seen.
class InvisibleMaterial
{
public:
    explicit InvisibleMaterial(uint32_t id)
        : catalogue(Model::Materials::MaterialFactory::instance()), saved(catalogue->getMaterial(id))
    {
        Model::Materials::Material clear = saved;
        clear.color[3] = 0.0f;
        catalogue->setMaterial(clear);
    }
    ~InvisibleMaterial() { catalogue->setMaterial(saved); }
    InvisibleMaterial(const InvisibleMaterial &) = delete;
    InvisibleMaterial &operator=(const InvisibleMaterial &) = delete;

private:
    std::shared_ptr<Model::Materials::MaterialFactory> catalogue;
    Model::Materials::Material saved;
};

// Pixels of the frame by atom colour: hue within 12 degrees of the colour's own, clearly
// saturated and lit.
std::array<int, 4> atomPixels(const QImage &image)
{
    using R = Model::Automaton::SiLatticeRenderer;
    std::array<int, 4> counts{};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (c.hsvSaturation() < 80 || c.value() < 60)
                continue;
            for (int k = 0; k < R::colorCount; ++k) {
                const int hue = QColor(R::atomRgb[k][0], R::atomRgb[k][1], R::atomRgb[k][2]).hsvHue();
                const int d = std::abs(c.hsvHue() - hue) % 360;
                if (std::min(d, 360 - d) <= 12)
                    ++counts[static_cast<size_t>(k)];
            }
        }
    return counts;
}

// "Render Si Atoms" on: the silicon's atoms appear as coloured spheres (its cells made
// invisible); a cut box hides the atoms outside it.
TEST_F(GLWidgetView, LatticeViewShowsColouredAtomsAndHonoursTheCutBox)
{
    const InvisibleMaterial clearSilicon(1);
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        8, 8, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(-4, -4, -3), std::vector<uint32_t>(8 * 8 * 6, 1));
    volume->createLattice();
    volume->getPainter()->regenerate();
    context.scene.add(volume);
    view->setShowAxis(false);
    view->setZoom(20.0f);
    show();
    // Atoms off (the default): nothing but the background.
    std::array<int, 4> counts = atomPixels(frame());
    EXPECT_EQ(counts, (std::array<int, 4>{0, 0, 0, 0}));

    volume->getPainter()->setRenderAtoms(true);
    volume->getPainter()->regenerate();
    counts = atomPixels(frame());
    // The top face shows two-bonded (green) atoms, the side faces three-bonded ones
    // (orange) among others.
    EXPECT_GT(counts[Model::Automaton::SiLatticeRenderer::Green], 200);
    EXPECT_GT(counts[Model::Automaton::SiLatticeRenderer::Orange] + counts[Model::Automaton::SiLatticeRenderer::Blue] +
                  counts[Model::Automaton::SiLatticeRenderer::Yellow],
              50);
    const int whole = counts[0] + counts[1] + counts[2] + counts[3];

    // Zoomed in on the middle (the depth range shrinks with the zoom, but still holds the
    // top face), the atoms in view stay drawn.
    view->setZoom(60.0f);
    counts = atomPixels(frame());
    EXPECT_GT(counts[0] + counts[1] + counts[2] + counts[3], 200);
    view->setZoom(20.0f);

    // Half the volume cut away: fewer atoms; a box without height: none.
    volume->getPainter()->setCutLimits({0, 0, 0}, {4, 8, 6});
    volume->getPainter()->regenerate();
    counts = atomPixels(frame());
    const int half = counts[0] + counts[1] + counts[2] + counts[3];
    EXPECT_GT(half, 100);
    EXPECT_LT(half, whole * 3 / 4);
    volume->getPainter()->setCutLimits({0, 0, 3}, {8, 8, 3});
    volume->getPainter()->regenerate();
    EXPECT_EQ(atomPixels(frame()), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(GLWidgetView, ClickInSelectionModeTogglesCellVolume)
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        10, 10, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, -5, -5), std::vector<uint32_t>(1000, 1));
    volume->getPainter()->regenerate();
    context.scene.add(volume);
    view->setShowAxis(false);
    view->setZoom(10.0f);
    show();
    context.setSelectionMode(true);
    const QRgb before = frame().pixel(centre());

    click(view.get(), centre());
    ASSERT_EQ(context.selectedObjects().size(), 1u);
    EXPECT_EQ(context.selectedObjects()[0], volume);
    EXPECT_TRUE(volume->isSelected());
    const QRgb highlighted = frame().pixel(centre());
    EXPECT_NE(highlighted, before);

    click(view.get(), centre());
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_FALSE(volume->isSelected());
    EXPECT_EQ(frame().pixel(centre()), before);
}

TEST_F(GLWidgetView, ClickPicksOnlyInSelectionModeAndOnlyWithoutDrag)
{
    auto cube = std::make_shared<CubeObject>();
    context.scene.add(cube);
    view->setShowAxis(false);
    show();
    EXPECT_TRUE(isRed(frame().pixel(centre())));

    // Selection mode off: a click selects nothing.
    click(view.get(), centre());
    EXPECT_TRUE(context.selectedObjects().empty());

    context.setSelectionMode(true);
    // Beside the cube: nothing is hit.
    click(view.get(), QPoint(20, 20));
    EXPECT_TRUE(context.selectedObjects().empty());

    click(view.get(), centre());
    ASSERT_EQ(context.selectedObjects().size(), 1u);
    EXPECT_TRUE(cube->isSelected());
    EXPECT_TRUE(isGreen(frame().pixel(centre())));

    click(view.get(), centre());
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_TRUE(isRed(frame().pixel(centre())));

    // A drag rotates the view and selects nothing.
    QSignalSpy rotations(view.get(), &GLWidget::rotationChanged);
    const std::vector<float> angles = view->getRotation();
    drag(view.get(), Qt::LeftButton, Qt::NoModifier, centre(), centre() + QPoint(40, 20));
    EXPECT_TRUE(context.selectedObjects().empty());
    EXPECT_NE(view->getRotation(), angles);
    ASSERT_GE(rotations.count(), 2); // the press and every move
    EXPECT_EQ(floats(rotations.last()), view->getRotation());
}

TEST_F(GLWidgetView, ClickTogglesTheFirstObjectUnderThePointer)
{
    // Top view: model y is up on screen. Two cubes above the centre, one over the other,
    // and one below it.
    auto upper = std::make_shared<CubeObject>(60.0f);
    auto hidden = std::make_shared<CubeObject>(60.0f);
    auto lower = std::make_shared<CubeObject>(-60.0f);
    context.scene.add(upper);
    context.scene.add(hidden);
    context.scene.add(lower);
    view->setRotation(0.0f, 0.0f, 0.0f);
    view->setShowAxis(false);
    show();
    context.setSelectionMode(true);

    click(view.get(), QPoint(200, 90));
    ASSERT_EQ(context.selectedObjects().size(), 1u);
    EXPECT_EQ(context.selectedObjects()[0], upper); // first in drawing order
    EXPECT_FALSE(hidden->isSelected());
    EXPECT_FALSE(lower->isSelected());
    const QImage image = frame();
    EXPECT_TRUE(isGreen(image.pixel(200, 90)));
    EXPECT_TRUE(isRed(image.pixel(200, 210)));

    click(view.get(), QPoint(200, 210));
    EXPECT_EQ(context.selectedObjects(), (std::vector<Model::ObjectPtr>{upper, lower}));
    EXPECT_TRUE(isGreen(frame().pixel(200, 210)));
}

TEST_F(GLWidgetView, WheelZoomsAndMovesLampRadius)
{
    show();
    QSignalSpy zooms(view.get(), &GLWidget::zoomChanged);
    wheel(view.get(), 120);
    EXPECT_NEAR(view->getZoom(), 1.1f, 1e-5f);
    ASSERT_EQ(zooms.count(), 1);
    EXPECT_NEAR(zooms.at(0).at(0).toFloat(), 110.0f, 1e-3f);
    wheel(view.get(), -120);
    EXPECT_NEAR(view->getZoom(), 1.0f, 1e-5f);
    EXPECT_NEAR(zooms.at(1).at(0).toFloat(), 100.0f, 1e-3f);

    // Shift: the active lamp's radius, by the same factor from 1 up.
    QSignalSpy lampMoves(view.get(), &GLWidget::lampPositionChanged);
    wheel(view.get(), 120, Qt::ShiftModifier);
    EXPECT_NEAR(view->getLamps().getRadius(1), 330.0f, 1e-3f);
    EXPECT_NEAR(view->getZoom(), 1.0f, 1e-5f);
    ASSERT_EQ(lampMoves.count(), 1);
    const std::vector<float> reported = floats(lampMoves.at(0));
    ASSERT_EQ(reported.size(), 4u);
    EXPECT_EQ(reported[0], 1.0f);
    EXPECT_NEAR(reported[1], 330.0f, 1e-3f);
    EXPECT_NEAR(reported[2], pi / 3, 1e-5);
    EXPECT_NEAR(reported[3], pi / 4, 1e-5);

    // Below 1 the radius jumps to 2 or 0.
    ViewProperties::Values values = view->viewPropertiesValues();
    values.lamps[0].radius = 0.5;
    view->applyViewProperties(values);
    wheel(view.get(), 120, Qt::ShiftModifier);
    EXPECT_EQ(view->getLamps().getRadius(1), 2.0f);
    view->applyViewProperties(values);
    wheel(view.get(), -120, Qt::ShiftModifier);
    EXPECT_EQ(view->getLamps().getRadius(1), 0.0f);
    EXPECT_EQ(view->getLamps().getPosition(1)[2], 0.0f);
}

TEST_F(GLWidgetView, KeysMoveAxisAndSwitchLamp)
{
    show();
    QSignalSpy moves(view.get(), &GLWidget::axisPositionChanged);
    const std::vector<float> start = view->getAxisPosition();
    QTest::keyClick(view.get(), Qt::Key_Q);
    EXPECT_EQ(view->getAxisPosition(), (std::vector<float>{start[0] + 5, start[1], start[2]}));
    QTest::keyClick(view.get(), Qt::Key_A);
    EXPECT_EQ(view->getAxisPosition(), start);
    ASSERT_EQ(moves.count(), 2);
    EXPECT_EQ(floats(moves.at(0)), (std::vector<float>{5, 0, 0}));
    EXPECT_EQ(floats(moves.at(1)), start);

    QTest::keyClick(view.get(), Qt::Key_W);
    QTest::keyClick(view.get(), Qt::Key_E);
    QTest::keyClick(view.get(), Qt::Key_E);
    EXPECT_EQ(view->getAxisPosition(), (std::vector<float>{0, 5, 10}));
    QTest::keyClick(view.get(), Qt::Key_S);
    QTest::keyClick(view.get(), Qt::Key_D);
    EXPECT_EQ(view->getAxisPosition(), (std::vector<float>{0, 0, 5}));
    EXPECT_EQ(moves.count(), 7);

    // One lamp: L keeps lamp 1; with two it alternates.
    QTest::keyClick(view.get(), Qt::Key_L);
    EXPECT_EQ(view->getActiveLamp(), 1);
    ViewProperties::Values values = view->viewPropertiesValues();
    values.lamps.push_back(ViewProperties::Lamp());
    view->applyViewProperties(values);
    EXPECT_EQ(view->getActiveLamp(), 1);
    QTest::keyClick(view.get(), Qt::Key_L);
    EXPECT_EQ(view->getActiveLamp(), 2);
    QTest::keyClick(view.get(), Qt::Key_L);
    EXPECT_EQ(view->getActiveLamp(), 1);
}

TEST_F(GLWidgetView, RightDragPansAndShiftMovesTheVolumeWithThePointer)
{
    view->setZoom(2.0f);
    show();
    QSignalSpy pans(view.get(), &GLWidget::viewPositionChanged);
    drag(view.get(), Qt::RightButton, Qt::NoModifier, centre(), centre() + QPoint(20, -10));
    // Pixels over the zoom, y up.
    EXPECT_EQ(view->getScreenPosition(), (std::vector<float>{10.0f, 5.0f}));
    ASSERT_GE(pans.count(), 2);
    EXPECT_EQ(floats(pans.last()), (std::vector<float>{10.0f, 5.0f}));
    EXPECT_EQ(view->getAxisPosition(), (std::vector<float>{0, 0, 0}));

    // With Shift the model translation changes, along the screen axes as seen on screen.
    view->setRotation(-90.0f, 0.0f, 0.0f); // front view
    QSignalSpy axisMoves(view.get(), &GLWidget::axisPositionChanged);
    drag(view.get(), Qt::RightButton, Qt::ShiftModifier, centre(), centre() + QPoint(20, -10));
    const std::vector<float> axis = view->getAxisPosition();
    const ViewTransform camera = view->getCamera();
    const float *m = camera.rotationMatrix;
    for (int row = 0; row < 3; ++row) {
        const float onScreen = m[row] * axis[0] + m[4 + row] * axis[1] + m[8 + row] * axis[2];
        EXPECT_NEAR(onScreen, row == 0 ? 10.0f : (row == 1 ? 5.0f : 0.0f), 1e-4f) << row;
    }
    EXPECT_GE(axisMoves.count(), 2);
    EXPECT_EQ(view->getScreenPosition(), (std::vector<float>{10.0f, 5.0f}));
}

TEST_F(GLWidgetView, ShiftLeftPressAimsTheActiveLamp)
{
    show();
    QSignalSpy lampMoves(view.get(), &GLWidget::lampPositionChanged);
    QTest::mousePress(view->windowHandle(), Qt::LeftButton, Qt::ShiftModifier, QPoint(230, 110));
    const LampSet lamps = view->getLamps();
    EXPECT_NEAR(lamps.getAzimuth(1), std::atan2(40.0, 30.0), 1e-5);
    EXPECT_NEAR(lamps.getElevation(1), std::atan2(std::sqrt(22500.0 - 2500.0), 50.0), 1e-5);
    EXPECT_EQ(lamps.getRadius(1), 300.0f);
    ASSERT_EQ(lampMoves.count(), 1);
    EXPECT_EQ(floats(lampMoves.at(0))[0], 1.0f);
    QTest::mouseRelease(view->windowHandle(), Qt::LeftButton, Qt::ShiftModifier, QPoint(230, 110));
    // A lamp press is no click: nothing is picked, the rotation stays.
    EXPECT_NEAR(view->getRotation()[0], -60.0f, 1e-4f);
}

TEST_F(GLWidgetView, AxisCrossGridAndLampMarkers)
{
    view->resize(400, 400);
    view->setRotation(0.0f, 0.0f, 0.0f); // top view: model x right, y up
    show();
    QImage image = frame();
    // The x arrow is red from the centre to 50 pixels right; the y arrow green upwards.
    EXPECT_TRUE(near(image, 225, 200, isRed));
    EXPECT_TRUE(near(image, 200, 175, isGreen));
    EXPECT_TRUE(isBlack(image.pixel(180, 105)));

    // Grid lines every 10 units in the grid colour (0.4 grey in the default scheme).
    const auto grey = [](QRgb p) { return std::abs(qRed(p) - 102) < 6 && std::abs(qBlue(p) - 102) < 6; };
    view->setRenderGrid(true);
    image = frame();
    // (Pixel (col, row) shows model (col - 200, 200 - row).)
    EXPECT_TRUE(near(image, 180, 105, grey));  // on x = -20
    EXPECT_TRUE(near(image, 105, 320, grey));  // on y = -120
    EXPECT_FALSE(near(image, 185, 105, grey)); // between lines
    view->setGridSpacing(25.0f);
    EXPECT_EQ(view->getGridSpacing(), 25.0f);
    view->setGridSpacing(0.0f);
    EXPECT_EQ(view->getGridSpacing(), 25.0f);
    image = frame();
    EXPECT_TRUE(near(image, 175, 110, grey));
    EXPECT_FALSE(near(image, 180, 110, grey));
    view->setRenderGrid(false);

    // Lamp 1 sits at (106, 184, 212) in camera space: its marker's rays reach from 12 to
    // 24 pixels around it, yellow for the active lamp.
    const auto yellow = [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60; };
    const int lampX = 200 + 106;
    const int lampY = 200 - 184;
    EXPECT_FALSE(near(frame(), lampX + 18, lampY, yellow));
    view->setShowLights(true);
    EXPECT_TRUE(near(frame(), lampX + 18, lampY, yellow));
}

TEST_F(GLWidgetView, LegendBarShowsTheFieldScale)
{
    context.scene.add(std::make_shared<FieldObject>(0.0f, 100.0f));
    view->setShowAxis(false);
    show();
    // No field view known: no bar.
    EXPECT_TRUE(isBlack(frame().pixel(30, 275)));

    view->setFieldQuery(std::make_shared<FakeFieldQuery>());
    const QImage image = frame();
    // The bar spans 90 % of the width, 20 pixels high, 5 % above the bottom edge; grey
    // scale from dark at the minimum to light at the maximum.
    const QRgb low = image.pixel(30, 275);
    const QRgb high = image.pixel(370, 275);
    EXPECT_LT(qRed(low), 40);
    EXPECT_GT(qRed(high), 215);
    EXPECT_EQ(qRed(high), qBlue(high));
    EXPECT_TRUE(isBlack(image.pixel(200, 200)));
}

TEST_F(GLWidgetView, RepaintsWhenTheContextNotifies)
{
    auto cube = std::make_shared<CubeObject>();
    context.scene.add(cube);
    show();
    QTRY_VERIFY(cube->draws > 0);
    QSignalSpy frames(view.get(), &QOpenGLWidget::frameSwapped);
    const int drawn = cube->draws;
    context.notifyUpdate();
    EXPECT_TRUE(frames.wait(3000));
    EXPECT_GT(cube->draws, drawn);
}

// --- the view-properties dialog ------------------------------------------------------

// Runs f on the dialog the view opens, then closes the dialog in any case.
void onDialog(const std::function<void(ViewProperties *)> &f)
{
    QTimer::singleShot(0, [f] {
        auto *dialog = qobject_cast<ViewProperties *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no view-properties dialog";
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        f(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

QPushButton *button(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    return dialog->findChild<QDialogButtonBox *>()->button(which);
}

TEST_F(GLWidgetView, ViewPropertiesAcceptedAppliesCameraAndLamps)
{
    show();
    view->setZoom(4.0f);
    QSignalSpy zooms(view.get(), &GLWidget::zoomChanged);
    onDialog([](ViewProperties *d) {
        EXPECT_EQ(d->windowTitle(), "Set vew and lighting");
        EXPECT_EQ(d->findChild<QTabWidget *>()->currentIndex(), ViewProperties::ViewMode);
        QStringList groups;
        for (QGroupBox *g : d->findChildren<QGroupBox *>())
            groups << g->title();
        EXPECT_TRUE(groups.contains("Position in relation to the axes"));
        EXPECT_TRUE(groups.contains("Rotation Angles"));
        EXPECT_TRUE(groups.contains("Position in relation to the screen"));
        EXPECT_TRUE(groups.contains("Vew zoom"));
        EXPECT_TRUE(groups.contains("Relative position"));

        auto *zoom = d->findChild<QDoubleSpinBox *>("zoom");
        EXPECT_DOUBLE_EQ(zoom->value(), 0.25); // 1 / zoom
        EXPECT_DOUBLE_EQ(d->findChild<QDoubleSpinBox *>("angleX")->value(), -60.0);
        zoom->setValue(0.5);
        d->findChild<QDoubleSpinBox *>("angleX")->setValue(-90.0);
        d->findChild<QDoubleSpinBox *>("angleZ")->setValue(180.0);
        d->findChild<QDoubleSpinBox *>("axisZ")->setValue(-12.5);
        d->findChild<QDoubleSpinBox *>("screenX")->setValue(7.0);

        auto *selector = d->findChild<QComboBox *>("lampSelector");
        auto *remove = d->findChild<QPushButton *>("deleteLamp");
        EXPECT_EQ(selector->count(), 1);
        EXPECT_EQ(selector->itemText(0), "Lamp 1");
        EXPECT_EQ(remove->text(), "Delete");
        EXPECT_FALSE(remove->isEnabled()); // the last lamp stays
        EXPECT_DOUBLE_EQ(d->findChild<QDoubleSpinBox *>("lampRadius")->value(), 300.0);
        EXPECT_NEAR(d->findChild<QDoubleSpinBox *>("lampTheta")->value(), 60.0, 1e-3);
        EXPECT_NEAR(d->findChild<QDoubleSpinBox *>("lampPhi")->value(), 45.0, 1e-3);

        QTest::mouseClick(d->findChild<QPushButton *>("addLamp"), Qt::LeftButton);
        EXPECT_EQ(selector->count(), 2);
        EXPECT_EQ(selector->itemText(1), "Lamp 2");
        EXPECT_EQ(selector->currentIndex(), 1);
        EXPECT_TRUE(remove->isEnabled());
        d->findChild<QDoubleSpinBox *>("lampRadius")->setValue(50.0);
        d->findChild<QDoubleSpinBox *>("lampTheta")->setValue(90.0);
        d->findChild<QDoubleSpinBox *>("lampPhi")->setValue(0.0);
        // Lamp 1 switched off, then lamp 2 shown again.
        selector->setCurrentIndex(0);
        EXPECT_DOUBLE_EQ(d->findChild<QDoubleSpinBox *>("lampRadius")->value(), 300.0);
        d->findChild<QCheckBox *>("lampEnabled")->setChecked(false);
        selector->setCurrentIndex(1);
        EXPECT_DOUBLE_EQ(d->findChild<QDoubleSpinBox *>("lampRadius")->value(), 50.0);
        EXPECT_TRUE(d->findChild<QCheckBox *>("lampEnabled")->isChecked());
        QTest::mouseClick(button(d, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(view->showViewProperties(ViewProperties::ViewMode));

    EXPECT_FLOAT_EQ(view->getZoom(), 2.0f);
    ASSERT_GE(zooms.count(), 1);
    EXPECT_FLOAT_EQ(zooms.last().at(0).toFloat(), 200.0f);
    EXPECT_EQ(view->getRotation(), (std::vector<float>{-90.0f, 0.0f, 180.0f}));
    EXPECT_EQ(view->getAxisPosition(), (std::vector<float>{0.0f, 0.0f, -12.5f}));
    EXPECT_EQ(view->getScreenPosition(), (std::vector<float>{7.0f, 0.0f}));
    LampSet lamps = view->getLamps();
    ASSERT_EQ(lamps.getCount(), 2);
    EXPECT_EQ(lamps.active, 2); // the added lamp, chosen when accepted
    EXPECT_FALSE(lamps.isEnabled(1));
    EXPECT_TRUE(lamps.isEnabled(2));
    EXPECT_NEAR(lamps.getPosition(2)[0], 0.0f, 1e-4f);
    EXPECT_NEAR(lamps.getPosition(2)[1], 50.0f, 1e-4f);
    EXPECT_NEAR(lamps.getPosition(2)[2], 0.0f, 1e-4f);

    // Opened on the lamp tab; deleting the active lamp 2 and cancelling changes nothing.
    onDialog([](ViewProperties *d) {
        EXPECT_EQ(d->findChild<QTabWidget *>()->currentIndex(), ViewProperties::LampMode);
        auto *selector = d->findChild<QComboBox *>("lampSelector");
        EXPECT_EQ(selector->currentIndex(), 1);
        QTest::mouseClick(d->findChild<QPushButton *>("deleteLamp"), Qt::LeftButton);
        EXPECT_EQ(selector->count(), 1);
        QTest::mouseClick(button(d, QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(view->showViewProperties(ViewProperties::LampMode));
    EXPECT_EQ(view->getLamps().getCount(), 2);

    // Accepted, the deletion leaves one lamp, and it becomes the active one.
    onDialog([](ViewProperties *d) {
        QTest::mouseClick(d->findChild<QPushButton *>("deleteLamp"), Qt::LeftButton);
        QTest::mouseClick(button(d, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(view->showViewProperties(ViewProperties::LampMode));
    lamps = view->getLamps();
    EXPECT_EQ(lamps.getCount(), 1);
    EXPECT_EQ(lamps.active, 1);
    EXPECT_FALSE(lamps.isEnabled(1));
}

} // namespace
