// "Extract Model" by its factory number: the non-modal dialog's steps in order, the
// blocks and beams shown in the scene, the netlist saved, and the error boxes.
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "UI/Operations/extractmodeldialog.h"
#include "UI/glwidget.h"
#include "Util/colorsettings.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Core::Operations::OperationContext;
using Ui::Operations::ExtractModelDialog;

namespace {

// A silicon anchor (x 0..3) with a 10 x 2 x 1 oxide beam protruding along +x.
std::shared_ptr<Model::Automaton::TotalVolume> anchoredBeam(uint32_t beamMaterial = 3)
{
    std::vector<uint32_t> ids(16 * 6 * 6, 0);
    for (uint32_t x = 0; x < 14; ++x)
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t z = 0; z < 6; ++z)
                if (x < 4 || (y >= 1 && y < 3 && z == 2))
                    ids[(x * 6 + y) * 6 + z] = x < 4 ? 1 : beamMaterial;
    return std::make_shared<Model::Automaton::TotalVolume>(16, 6, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

ExtractModelDialog *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<ExtractModelDialog *>(w))
            if (dialog->isVisible())
                return dialog;
    return nullptr;
}

// Clicks step 3 and answers the modal box or file chooser that opens with `act`.
void runStepThree(ExtractModelDialog *dialog, std::function<void(QDialog *)> act)
{
    DialogTest::whenDialogOpens(std::move(act));
    QTest::mouseClick(dialog->stepThreeButton(), Qt::LeftButton);
}

} // namespace

TEST(ExtractModelDialog, StepsRunInOrderAndTheNetlistIsSaved)
{
    QTemporaryDir dir;
    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<DialogTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);
    auto volume = anchoredBeam();
    context.scene.add(volume);

    context.activate(1000);
    QPointer<ExtractModelDialog> dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(log->lines, std::vector<std::string>{"Model Extraction: Cell volume selected."});
    EXPECT_EQ(dialog->windowTitle(), "Extract Model");
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->size(), QSize(175, 247));
    QStringList labels;
    for (QLabel *label : dialog->findChildren<QLabel *>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{"Preprocessing", "Feature Detection", "Model Extraction",
                                   "Micrometres per model unit"}));
    EXPECT_EQ(dialog->unitBox()->value(), 1.0);
    EXPECT_GT(dialog->unitBox()->minimum(), 0.0);
    for (QWidget *w : dialog->findChildren<QWidget *>())
        EXPECT_TRUE(dialog->rect().contains(w->geometry())) << w->metaObject()->className();
    EXPECT_EQ(dialog->stepOneButton()->text(), "Run Step 1");
    EXPECT_TRUE(dialog->stepOneButton()->isEnabled());
    EXPECT_FALSE(dialog->stepTwoButton()->isEnabled());
    EXPECT_FALSE(dialog->stepThreeButton()->isEnabled());

    QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->stepOneButton()->isEnabled());
    EXPECT_TRUE(dialog->stepTwoButton()->isEnabled());
    EXPECT_FALSE(dialog->stepThreeButton()->isEnabled());
    EXPECT_TRUE(volume->getPainter()->isHidden());
    EXPECT_EQ(context.scene.objects().size(), 2u);

    QTest::mouseClick(dialog->stepTwoButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->stepTwoButton()->isEnabled());
    EXPECT_TRUE(dialog->stepThreeButton()->isEnabled());
    ASSERT_EQ(context.scene.objects().size(), 3u);

    // Saved where the user chooses, as often as wanted; the folder is offered again. The
    // oxide beam is 10 x 2 x 1 um at 1 um per model unit: effective mass
    // 3 x 2200 kg/m^3 x 2e-17 m^3 / 1.8751041^4, compliance (10 um)^3 / (3 x 7e10 Pa x 2 um x (1 um)^3 / 12).
    const QByteArray expected = "Model extracted by Kelvane\nc1 1 0 1.06776e-14 \nl1 1 0 0.0285714 \n.end \n";
    QString caption, start;
    QStringList filters;
    for (const char *name : {"beam.cir", "again.cir"}) {
        runStepThree(dialog, [&](QDialog *d) {
            auto *chooser = qobject_cast<QFileDialog *>(d);
            ASSERT_NE(chooser, nullptr);
            caption = chooser->windowTitle();
            filters = chooser->nameFilters();
            start = chooser->directory().absolutePath();
            DialogTest::chooseFile(chooser, dir.filePath(name));
        });
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(file.readAll(), expected);
    }
    EXPECT_EQ(caption, "Save netlist");
    EXPECT_EQ(filters, QStringList{"Circuit files *.cir"});
    EXPECT_EQ(start, QDir(dir.path()).absolutePath());
    EXPECT_EQ(ExtractModelDialog::lastDirectory(), dir.path());

    // Typed in as 2 micrometres per unit, the next netlist has a beam twice the size: 8
    // times the mass, half the compliance.
    dialog->unitBox()->selectAll();
    QTest::keyClicks(dialog->unitBox(), "2");
    QTest::keyClick(dialog->unitBox(), Qt::Key_Tab);
    EXPECT_EQ(dialog->unitBox()->value(), 2.0);
    runStepThree(dialog, [&](QDialog *d) {
        DialogTest::chooseFile(qobject_cast<QFileDialog *>(d), dir.filePath("double.cir"));
    });
    QFile doubled(dir.filePath("double.cir"));
    ASSERT_TRUE(doubled.open(QIODevice::ReadOnly));
    EXPECT_EQ(doubled.readAll(), "Model extracted by Kelvane\nc1 1 0 8.54206e-14 \nl1 1 0 0.0142857 \n.end \n");

    // A folder that is a plain file cannot take the netlist.
    QString title, text;
    runStepThree(dialog, [&](QDialog *d) {
        auto *chooser = qobject_cast<QFileDialog *>(d);
        ASSERT_NE(chooser, nullptr);
        DialogTest::whenModalAppears([&](QDialog *box) {
            title = box->windowTitle();
            text = qobject_cast<QMessageBox *>(box)->text();
            box->accept();
        });
        DialogTest::chooseFile(chooser, dir.filePath("beam.cir/inner.cir"));
    });
    EXPECT_EQ(title, "File Error");
    EXPECT_EQ(text, "Unable to save to selected file!");

    // Closing the window (here by Escape) ends the extraction and shows the volume again.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog); // deleted on close
    EXPECT_EQ(log->lines.back(), "Model Extraction: Model extracted.");
    EXPECT_EQ(context.scene.objects(), std::vector<Model::ObjectPtr>{volume});
    EXPECT_FALSE(volume->getPainter()->isHidden());
    EXPECT_EQ(context.getCurrentOperation(), nullptr);

    // An empty volume gives no model data; cancelling closes the window.
    context.scene.remove(volume);
    context.scene.add(std::make_shared<Model::Automaton::TotalVolume>(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D()));
    context.activate(1000);
    dialog = openDialog();
    ASSERT_TRUE(dialog);
    QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->stepTwoButton(), Qt::LeftButton);
    runStepThree(dialog, [&](QDialog *box) {
        title = box->windowTitle();
        text = qobject_cast<QMessageBox *>(box)->text();
        box->accept();
    });
    EXPECT_EQ(title, "No model data");
    EXPECT_EQ(text, "No model data was extracted.");
    context.cancelCurrentOperation();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog); // deleted on close
    EXPECT_EQ(log->lines.back(), "Extract Model: Operation canceled.");
    EXPECT_EQ(context.scene.objects().size(), 1u);

    // A beam of a material the catalogue does not know has no density or Young's
    // modulus: the box says so and nothing is offered to save.
    for (const Model::ObjectPtr &object : context.scene.objects())
        context.scene.remove(object);
    context.scene.add(anchoredBeam(9999));
    context.activate(1000);
    dialog = openDialog();
    ASSERT_TRUE(dialog);
    QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->stepTwoButton(), Qt::LeftButton);
    runStepThree(dialog, [&](QDialog *box) {
        title = box->windowTitle();
        auto *message = qobject_cast<QMessageBox *>(box);
        ASSERT_NE(message, nullptr);
        text = message->text();
        box->accept();
    });
    EXPECT_EQ(title, "Model Extraction");
    EXPECT_EQ(text, "No netlist can be written: the material (id 9999) of beam 1 is not in the material catalogue.");
    context.cancelCurrentOperation();
}

TEST(ExtractModelDialog, ViewDrawsBlocksInPaletteColoursAndNotTheHiddenVolume)
{
    Util::ColorSettings::resetToDefaults();
    OperationContext context;
    Ui::GLWidget view(context);
    view.resize(400, 300);
    view.setShowAxis(false);
    view.setZoom(10.0f);
    // A volume behind the model, hidden while the model is shown.
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        10, 10, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, -5, -5), std::vector<uint32_t>(1000, 1));
    volume->getPainter()->regenerate();
    volume->getPainter()->setHidden(true);
    context.scene.add(volume);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRgb background = view.grabFramebuffer().pixel(200, 150);
    EXPECT_EQ(qRed(background) + qGreen(background) + qBlue(background), 0);

    // One block, 10 x 10 cells and 28 layers (about 10 units high) around the origin:
    // drawn in the palette's first colour, red.
    Model::ModelExtraction::BlockList blocks{
        std::make_shared<Model::ModelExtraction::RectangularCuboidEnvelope>(0, 0, 0, 10, 10, 28, 3)};
    auto model = std::make_shared<Model::ModelExtraction::ExtractedModel>(blocks);
    model->move(Util::Vector3D(-5, -5, -5));
    context.scene.add(model);
    const QRgb drawn = view.grabFramebuffer().pixel(200, 150);
    EXPECT_GT(qRed(drawn), 60);
    EXPECT_LT(qGreen(drawn), qRed(drawn) / 3);
    EXPECT_LT(qBlue(drawn), qRed(drawn) / 3);
}
