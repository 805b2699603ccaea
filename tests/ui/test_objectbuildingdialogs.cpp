// The glue, extract-film and cut-plane dialogs driven as a user drives them: their
// texts and limits, the coupling of the cut limits, Preview, and the volumes made.
#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/cutcellvolumedialog.h"
#include "UI/Operations/extractfilmdialog.h"
#include "UI/Operations/gluesubstratedialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::Operations::CutCellVolumeDialog;
using Ui::Operations::ExtractFilmDialog;
using Ui::Operations::GlueSubstrateDialog;

namespace {

using Corner = std::array<int32_t, 3>;

TotalVolumePtr filledVolume(uint32_t sx, uint32_t sy, uint32_t sz, uint32_t material, uint32_t height)
{
    std::vector<uint32_t> ids(size_t(sx) * sy * sz, 0u);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = i % sz < height ? material : 0u;
    return std::make_shared<TotalVolume>(sx, sy, sz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

Corner cutMin(const TotalVolumePtr &v)
{
    Corner lower, upper;
    v->getPainter()->getCutLimits(&lower, &upper);
    return lower;
}

Corner cutMax(const TotalVolumePtr &v)
{
    Corner lower, upper;
    v->getPainter()->getCutLimits(&lower, &upper);
    return upper;
}

QStringList texts(const QList<QLabel *> &labels)
{
    QStringList result;
    for (QLabel *l : labels)
        result << l->text();
    return result;
}

QStringList groupTitles(QDialog *dialog)
{
    QStringList result;
    for (QGroupBox *g : dialog->findChildren<QGroupBox *>())
        result << g->title();
    return result;
}

// Opaque faces of a solid block of a x b x c cells.
size_t boxFaces(size_t a, size_t b, size_t c) { return 2 * (a * b + b * c + a * c); }

struct Harness
{
    Harness()
    {
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        context.interpreter.addMessageObserver(log);
    }
    OperationContext context;
    std::shared_ptr<DialogTest::Log> log = std::make_shared<DialogTest::Log>(context.interpreter);
};

} // namespace

TEST(CutCellVolumeDialog, LimitsFollowEachOtherResetAndPreviewApplyLive)
{
    Harness h;
    const auto volume = filledVolume(10, 12, 14, 5, 14);
    volume->getPainter()->setCutLimits({1, 2, 3}, {9, 11, 13});
    volume->getPainter()->regenerate();
    h.context.scene.add(volume);

    QString title;
    QStringList groups, labels;
    std::vector<int> values, ranges;
    QStringList help;
    Corner beforePreview{}, live{};
    size_t liveFaces = 0;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CutCellVolumeDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        // Typed limits take effect when the field loses the focus, as in a window in use.
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        title = dialog->windowTitle();
        groups = groupTitles(dialog);
        labels = texts(dialog->findChildren<QGroupBox *>().front()->findChildren<QLabel *>());
        for (int axis = 0; axis < 3; ++axis) {
            values.insert(values.end(), {dialog->lowerBox(axis)->value(), dialog->upperBox(axis)->value()});
            ranges.insert(ranges.end(), {dialog->lowerBox(axis)->minimum(), dialog->lowerBox(axis)->maximum(),
                                         dialog->upperBox(axis)->minimum(), dialog->upperBox(axis)->maximum()});
            help << dialog->lowerBox(axis)->toolTip() << dialog->upperBox(axis)->toolTip();
        }
        help << dialog->resetButton()->toolTip() << dialog->previewBox()->text() << dialog->previewBox()->toolTip();
        EXPECT_FALSE(dialog->previewBox()->isChecked());

        // Each field drives its slider and each slider its field.
        dialog->lowerSlider(1)->setValue(4);
        EXPECT_EQ(dialog->lowerBox(1)->value(), 4);
        dialog->upperBox(2)->setValue(12);
        EXPECT_EQ(dialog->upperSlider(2)->value(), 12);

        // A lower limit raised to the upper one pushes it up; an upper limit lowered to
        // the lower one pushes it down.
        dialog->upperBox(0)->setValue(5);
        DialogTest::type(dialog->lowerBox(0), "7");
        QTest::keyClick(dialog->lowerBox(0), Qt::Key_Tab);
        EXPECT_EQ(dialog->lowerBox(0)->value(), 7);
        EXPECT_EQ(dialog->upperBox(0)->value(), 8);
        EXPECT_EQ(dialog->upperSlider(0)->value(), 8);
        dialog->upperSlider(1)->setValue(3);
        EXPECT_EQ(dialog->lowerBox(1)->value(), 2);
        // Typing "11" into the upper limit does not stop at 1 on the way.
        DialogTest::type(dialog->upperBox(1), "11");
        QTest::keyClick(dialog->upperBox(1), Qt::Key_Tab);
        EXPECT_EQ(dialog->upperBox(1)->value(), 11);
        EXPECT_EQ(dialog->lowerBox(1)->value(), 2);
        dialog->upperBox(2)->setValue(1);
        EXPECT_EQ(dialog->lowerBox(2)->value(), 0);

        QTest::mouseClick(dialog->resetButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->getLower(), (Corner{0, 0, 0}));
        EXPECT_EQ(dialog->getUpper(), (Corner{10, 12, 14}));
        beforePreview = cutMin(volume);

        QTest::mouseClick(dialog->previewBox(), Qt::LeftButton);
        dialog->lowerBox(2)->setValue(4);
        live = cutMin(volume);
        liveFaces = volume->getPainter()->getOpaqueFaces().size();
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    h.context.activate(16);

    EXPECT_EQ(title, "Cut Cell Volume");
    EXPECT_EQ(groups, (QStringList{"X Axis Limits", "Y Axis Limits", "Z Axis Limits"}));
    EXPECT_EQ(labels, (QStringList{"Lower Limit", "Upper Limit"}));
    EXPECT_EQ(values, (std::vector<int>{1, 9, 2, 11, 3, 13}));
    EXPECT_EQ(ranges, (std::vector<int>{0, 9, 1, 10, 0, 11, 1, 12, 0, 13, 1, 14}));
    EXPECT_EQ(help, (QStringList{"Lower X cutoff limit.", "Upper X cutoff limit.", "Lower Y cutoff limit.",
                                 "Upper Y cutoff limit.", "Lower Z cuttoff limit", "Upper Z cutoff limit.",
                                 "Reset to original values.", "Preview",
                                 "Check to preview changes, it might be slow for large structures."}));
    // Nothing was applied before Preview was checked; after that, every change at once.
    EXPECT_EQ(beforePreview, (Corner{1, 2, 3}));
    EXPECT_EQ(live, (Corner{0, 0, 4}));
    EXPECT_EQ(liveFaces, boxFaces(10, 12, 10));
    EXPECT_EQ(cutMax(volume), (Corner{10, 12, 14}));
    EXPECT_EQ(h.log->lines, (std::vector<std::string>{"Change Cut Planes: Cell volume selected.",
                                                      "Change Cut Planes: Cut planes changed."}));
    EXPECT_TRUE(h.context.history.undoName().empty());
    // Number 16 makes an operation whose own number is 2.
    const OperationPtr made = h.context.getFactory()->create(16);
    EXPECT_EQ(made->getTypeId(), 2);
    EXPECT_EQ(h.context.getFactory()->create(12)->getTypeId(), 12);
    EXPECT_EQ(h.context.getFactory()->create(8)->getTypeId(), 8);

    // Accepted without Preview: applied and drawn on acceptance.
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CutCellVolumeDialog *>(d);
        dialog->upperBox(0)->setValue(6);
        EXPECT_EQ(cutMax(volume)[0], 10);
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    h.context.activate(16);
    EXPECT_EQ(cutMax(volume), (Corner{6, 12, 14}));
    EXPECT_EQ(volume->getPainter()->getOpaqueFaces().size(), boxFaces(6, 12, 10));

    // A previewed box that is cancelled goes away again.
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CutCellVolumeDialog *>(d);
        QTest::mouseClick(dialog->previewBox(), Qt::LeftButton);
        dialog->lowerBox(0)->setValue(3);
        live = cutMin(volume);
        DialogTest::press(dialog, QDialogButtonBox::Cancel);
    });
    h.context.activate(16);
    EXPECT_EQ(live, (Corner{3, 0, 4}));
    EXPECT_EQ(cutMin(volume), (Corner{0, 0, 4}));
    EXPECT_EQ(volume->getPainter()->getOpaqueFaces().size(), boxFaces(6, 12, 10));
    EXPECT_EQ(h.log->lines.back(), "Change Cut Planes: Operation Canceled!");
}

TEST(ExtractFilmDialog, ChosenMaterialAndFlipMakeTheFilm)
{
    Harness h;
    // Copper at z 0..1 under a gold layer at z 2..4.
    auto volume = filledVolume(3, 3, 6, 5, 2);
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (uint32_t x = 0; x < 3; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 2; z <= 4; ++z)
                    cells[volume->index(x, y, z)].setMaterialId(9);
    }
    h.context.scene.add(volume);
    h.context.setObjectSelected(volume, true);

    QString title, label, flipText;
    std::vector<quint32> listed;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<ExtractFilmDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        label = DialogTest::labelOf(dialog->materialBox());
        flipText = dialog->flipBox()->text();
        listed = DialogTest::ids(dialog->materialBox());
        DialogTest::choose(dialog->materialBox(), 9);
        QTest::mouseClick(dialog->flipBox(), Qt::LeftButton);
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    h.context.activate(8);

    EXPECT_EQ(title, "Extract Film");
    EXPECT_EQ(label, "Select Film to Extract");
    EXPECT_EQ(flipText, "Invert film after extraction");
    EXPECT_EQ(listed.size(), Model::Materials::MaterialFactory::instance()->getMaterials().size());
    ASSERT_EQ(h.context.scene.objectCount(), 2);
    auto film = std::dynamic_pointer_cast<TotalVolume>(h.context.scene.objects().back());
    ASSERT_NE(film, volume);
    const std::vector<uint32_t> ids = film->materialIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 9u), 27);
    EXPECT_EQ(ids[film->index(2, 0, 0)], 9u);
    EXPECT_EQ(ids[film->index(2, 0, 2)], 9u);
    EXPECT_EQ(ids[film->index(2, 0, 3)], 0u);
    EXPECT_EQ(film->getPosition().x, 13.0);
    EXPECT_EQ(h.log->lines.back(), "Extract Film: film extracted.");
}

// Simulation > Glue Substrate in the main window: the base and the top are selected in
// turn, the dialog shows the measures, and a taller, flipped result replaces both.
TEST(GlueSubstrateDialog, MainWindowGluesTheSelectedVolumes)
{
    auto *window = new Ui::MainWindow();
    window->resize(800, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    OperationContext &context = window->getPresenter().getContext();
    const auto base = filledVolume(6, 5, 8, 1, 3);
    // The top is 4 x 5 with copper at z 1..2 and gold on it at z 3, only at x 0.
    const auto top = filledVolume(4, 5, 6, 0, 0);
    {
        Model::Automaton::VoxelLock cells(*top);
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t y = 0; y < 5; ++y) {
                cells[top->index(x, y, 1)].setMaterialId(5);
                cells[top->index(x, y, 2)].setMaterialId(5);
                cells[top->index(x, y, 3)].setMaterialId(x == 0 ? 9 : 0);
            }
    }
    base->getPainter()->regenerate();
    top->getPainter()->regenerate();
    context.scene.add(base);
    context.scene.add(top);

    QAction *glue = nullptr;
    for (QAction *a : window->menu("menuSimulation")->actions())
        if (a->text() == "Glue Substrate")
            glue = a;
    ASSERT_NE(glue, nullptr);
    context.setObjectSelected(base, true);
    glue->trigger();
    EXPECT_EQ(context.interpreter.getLastMessage(), "Glue Volumes: select the top cell volume and press Enter/Return.");
    context.setObjectSelected(top, true);

    QString title, flipText, flipHelp;
    QStringList groups;
    std::vector<int> sizes, shifts;
    std::vector<bool> enabled;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<GlueSubstrateDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        groups = groupTitles(dialog);
        for (int axis = 0; axis < 3; ++axis) {
            sizes.insert(sizes.end(), {dialog->sizeBox(axis)->value(), dialog->sizeBox(axis)->minimum()});
            enabled.push_back(dialog->sizeBox(axis)->isEnabled());
        }
        for (int axis = 0; axis < 2; ++axis)
            shifts.insert(shifts.end(), {dialog->shiftBox(axis)->value(), dialog->shiftBox(axis)->maximum()});
        flipText = dialog->flipBox()->text();
        flipHelp = dialog->flipBox()->toolTip();
        DialogTest::type(dialog->sizeBox(2), "9");
        DialogTest::type(dialog->shiftBox(0), "1");
        QTest::mouseClick(dialog->flipBox(), Qt::LeftButton);
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    window->view()->setFocus();
    QTest::keyClick(window->view(), Qt::Key_Return);

    EXPECT_EQ(title, "Glue Substrate");
    EXPECT_EQ(groups, (QStringList{"Final Volume Size", "Top Substrate Displacement"}));
    // Stacked height 3 + 3; the default adds one empty layer.
    EXPECT_EQ(sizes, (std::vector<int>{6, 6, 5, 5, 7, 6}));
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(shifts, (std::vector<int>{0, 2, 0, 0}));
    EXPECT_EQ(flipText, "Invert Top Substrate");
    EXPECT_EQ(flipHelp, "Flips the top substrate around the Y axis.");

    const std::vector<Model::ObjectPtr> objects = context.scene.objects();
    ASSERT_EQ(objects.size(), 1u);
    const auto result = std::dynamic_pointer_cast<TotalVolume>(objects.front());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->getSizeX(), 6u);
    EXPECT_EQ(result->getSizeY(), 5u);
    EXPECT_EQ(result->getSizeZ(), 9u);
    const std::vector<uint32_t> ids = result->materialIds();
    // Flipped and moved by 1: the gold of the top's x 0 rests on the base at x 4.
    EXPECT_EQ(ids[result->index(4, 2, 2)], 1u);
    EXPECT_EQ(ids[result->index(4, 2, 3)], 9u);
    EXPECT_EQ(ids[result->index(3, 2, 3)], 0u);
    EXPECT_EQ(ids[result->index(1, 2, 4)], 5u);
    EXPECT_EQ(ids[result->index(1, 2, 5)], 5u);
    EXPECT_EQ(ids[result->index(0, 2, 4)], 0u);
    EXPECT_EQ(ids[result->index(5, 2, 4)], 0u);
    EXPECT_EQ(ids[result->index(4, 2, 6)], 0u);
    EXPECT_TRUE(window->action("actionUndo")->isEnabled());

    window->close();
    QApplication::processEvents();
}
