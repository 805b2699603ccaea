// The process-list editor's step dialogs: every process type's dialog preset from a
// step, written back into a step that the batch run accepts, and the list of types a
// user can add.
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/saveimagestepdialog.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "Util/vector3d.h"
#include "dialogtestsupport.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessListRunner;
using Ui::StepEditor;
using Parameters = QMap<QString, QVariant>;
using namespace DialogTest;

namespace {

Parameters params(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    Parameters map;
    for (const auto &v : values)
        map.insert(QString::fromLatin1(v.first), v.second);
    return map;
}

ProcessData written(int32_t type, const Parameters &preset)
{
    const std::unique_ptr<StepEditor> editor = StepEditor::create(type, nullptr);
    EXPECT_TRUE(editor && editor->dialog()) << type;
    ProcessData step(type);
    if (editor) {
        editor->preset(preset);
        editor->write(step);
    }
    return step;
}

// Each parameter as the list file stores it: type, text and visibility.
std::map<std::string, std::string> stored(const ProcessData &step)
{
    std::map<std::string, std::string> result;
    for (auto it = step.getParameters().cbegin(); it != step.getParameters().cend(); ++it)
        result[it.key().toStdString()] = (Core::BatchRun::ProcessListFile::typeText(it.value()) + " " +
                                          Core::BatchRun::ProcessListFile::dataText(it.value()).left(60) + " " +
                                          (step.getParameterVisibility(it.key()) ? "shown" : "hidden"))
                                             .toStdString();
    return result;
}

// The value the dialog gave back is the one it was preset with.
void expectPresetKept(const Parameters &preset, const ProcessData &step)
{
    for (auto it = preset.cbegin(); it != preset.cend(); ++it) {
        const std::string what = step.getProcessName().toStdString() + ": " + it.key().toStdString();
        ASSERT_TRUE(step.hasParameter(it.key())) << what;
        const QVariant back = step.getParameters().value(it.key());
        // The presets carry the types the list stores; what the run reads is shown,
        // except the material ids.
        EXPECT_STREQ(back.typeName(), it.value().typeName()) << what;
        EXPECT_EQ(step.getParameterVisibility(it.key()), !it.key().endsWith(QLatin1String("_Id"))) << what;
        switch (it.value().userType()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::UInt:
        case QMetaType::Int: {
            const double expected = it.value().toDouble();
            EXPECT_NEAR(back.toDouble(), expected, std::abs(expected) * 1e-6) << what;
            break;
        }
        default:
            EXPECT_EQ(Core::BatchRun::ProcessListFile::dataText(back), Core::BatchRun::ProcessListFile::dataText(it.value())) << what;
        }
    }
}

// Opaque (black or red) everywhere except a transparent (white) rectangle.
void writeMaskImage(const QString &file, int width, int height, QRgb opaque, QRect open)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(opaque);
    for (int x = open.left(); x <= open.right(); ++x)
        for (int y = open.top(); y <= open.bottom(); ++y)
            image.setPixel(x, y, qRgb(255, 255, 255));
    ASSERT_TRUE(image.save(file));
}

const QRgb black = qRgb(0, 0, 0);
const QRgb red = qRgb(255, 0, 0);

// The values a user would give each step of a small flow on a 24 x 20 x 16 volume, all
// different from the dialogs' defaults, in an order that makes sense as a process.
std::vector<std::pair<int32_t, Parameters>> flow()
{
    return {
        {11, params({{"Volume Size X", 24u}, {"Volume Size Y", 20u}, {"Volume Size Z", 16u},
                     {"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(-12, -10, 0))},
                     {"SphericalSubstrate", false}, {"Substrate Size X", 24u}, {"Substrate Size Y", 20u},
                     {"Substrate Size Z", 6u}, {"Substrate Delta X", 0u}, {"Substrate Delta Y", 0u},
                     {"Substrate Delta Z", 0u}, {"Material_Id", 1u}})},
        {15, params({{"OxidationTimeSet", false}, {"Oxidation Thickness", 0.02}, {"Micron Conversion", 50.0}})},
        {4, params({{"Material_Id", 16u}, {"Thickness", 1.5f}})},
        {16, params({{"Material_Id", 4u}, {"Film Thickness", 1.25f}})},
        {9, params({{"Material_Id", 11u}, {"Maximum Height", 12u}})},
        {0, params({{"Material_Id", 11u}, {"Top Mask File", QStringLiteral("allsteps-top.png")}, {"Top Mask Width", 24u},
                    {"Bottom Mask File", QStringLiteral("allsteps-bottom.png")}, {"Bottom Mask Width", 6u}})},
        {18, params({{"Material_Id", 3u}, {"Etch Depth", 2.5f}, {"Horizontal to Vertical Ratio", 0.125f}})},
        {5, params({{"Material_Id", 3u}, {"Depth", 1.5f}})},
        {1, params({{"Depth", 2.5f}})},
        {20, params({{"Depth", 0.75f}})},
        {13, params({{"Material_Id", 11u}, {"Etch Depth", 3u}, {"EtchDirectionValue", 3u}})},
        {3, params({{"Material_Id", 11u}, {"Depth", 2.0f}})},
        {2, params({{"Material_Id", 6u}, {"Thickness", 2.0f}})},
        {12, params({{"Material_Id", 9u}, {"Thickness", 1.5}, {"Horizontal to Vertical Ratio", 0.25}, {"DepositOn", 3}})},
        {7, params({{"Film Thickness", 1.0f}, {"Conducting Material_Id", 9u}, {"Deposited Material_Id", 7u}})},
        {17, params({{"Material_Id", 10u}, {"Film Thickness", 1.0f}, {"Horizontal to Vertical Ratio", 0.75f}})},
        {6, params({{"Maximum Height", 14u}, {"Minimum Height", 1u}})},
        {8, params({{"Doped Material_Id", 15u}, {"Doping Depth", 1.5f}})},
        {14, params({{"Doped Material_Id", 15u}, {"Implantation Depth", 2.0f}, {"Vertical Spread", 0.75f},
                     {"Annealing Distance", 0.5f}})},
        {19, params({{"Material_Id", 15u}, {"Cell Size", 1e-7f}, {"Time Step Duration", 300.0f},
                     {"Diffusion Coefficient", 2e-18f}, {"Surface Concentration", 1e24f}, {"Doping Threshold", 2e23f},
                     {"Doping Time", 1500.0f}})},
        {10, params({{"Filename", QString()}})},
        // The shipped example leaves a picture of its result.
        {10, params({{"Filename", QStringLiteral("allsteps.png")}})},
    };
}

} // namespace

TEST(StepEditors, EveryTypeKeepsItsValuesSavesAndRuns)
{
    // Relative mask names: the list stays valid wherever it is copied, with the masks in it.
    writeMaskImage(QStringLiteral("allsteps-top.png"), 24, 20, black, QRect(8, 6, 8, 8));
    writeMaskImage(QStringLiteral("allsteps-bottom.png"), 6, 4, red, QRect(0, 0, 3, 4));

    Core::BatchRun::ProcessList list;
    std::vector<int32_t> types;
    for (const auto &entry : flow()) {
        const ProcessData first = written(entry.first, entry.second);
        SCOPED_TRACE(first.getProcessName().toStdString());
        expectPresetKept(entry.second, first);
        // A dialog preset from a written step gives the same step again.
        EXPECT_EQ(stored(written(entry.first, first.getParameters())), stored(first));
        // Next to every material id: its name (shown), its opaque colour (hidden).
        for (const QString &key : first.getParameters().keys()) {
            if (!key.endsWith(QLatin1String("_Id")))
                continue;
            const QString word = key.left(key.size() - 3);
            const auto material = Model::Materials::MaterialFactory::instance()->getMaterial(
                first.getProcessParameter(key).toUInt());
            EXPECT_FALSE(first.getParameterVisibility(key));
            EXPECT_EQ(first.getProcessParameter(word).toString(), material.name);
            EXPECT_TRUE(first.getParameterVisibility(word));
            const QColor colour = first.getProcessParameter(word + "_Color").value<QColor>();
            EXPECT_EQ(colour, QColor::fromRgbF(material.color[0], material.color[1], material.color[2]));
            EXPECT_FALSE(first.getParameterVisibility(word + "_Color"));
        }
        list.push_back(first);
        types.push_back(entry.first);
    }
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    EXPECT_EQ(types.size(), 21u);

    // The masks came from the images, with the open rectangle; the bits stay hidden.
    const ProcessData &lithography = list[5];
    EXPECT_EQ(lithography.getProcessParameter("Top Mask Width").toUInt(), 24u);
    EXPECT_EQ(lithography.getProcessParameter("Top Mask Height").toUInt(), 20u);
    const auto top = lithography.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>();
    EXPECT_EQ(std::count(top.begin(), top.end(), 1), 24 * 20 - 64);
    const auto bottom = lithography.getProcessParameter("Bottom Mask").value<Core::BatchRun::MaskBitmap>();
    EXPECT_EQ(std::count(bottom.begin(), bottom.end(), 1), 12);
    EXPECT_FALSE(lithography.getParameterVisibility("Top Mask"));
    EXPECT_TRUE(lithography.getParameterVisibility("Top Mask Width"));
    EXPECT_TRUE(lithography.getParameterVisibility("Bottom Mask File"));

    // Saved and loaded back unchanged; it runs to the end.
    const QString file = QDir(TestEnv::workDir()).filePath("allsteps.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(file, list));
    Core::BatchRun::ProcessList loaded;
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::load(file, loaded));
    ASSERT_EQ(loaded.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(stored(loaded[i]), stored(list[i])) << i;
    // How examples/allsteps.plst is made: KELVANE_WRITE_ALLSTEPS=<path> names the copy.
    const QString example = qEnvironmentVariable("KELVANE_WRITE_ALLSTEPS");
    if (!example.isEmpty()) {
        QFile::remove(example);
        EXPECT_TRUE(QFile::copy(file, example));
    }

    Core::Operations::OperationContext context;
    ProcessListRunner runner(context);
    QStringList images;
    runner.setImageSaver([&images](const QString &name) {
        images << name;
        return true;
    });
    std::vector<int32_t> results;
    runner.setStepObserver([&results](const ProcessListRunner::StepReport &r) { results.push_back(r.result); });
    const ProcessListRunner::Summary summary = runner.run(loaded);
    EXPECT_EQ(summary.outcome, ProcessListRunner::Outcome::Completed);
    EXPECT_EQ(summary.stepsRun, static_cast<int>(loaded.size()));
    EXPECT_EQ(results, std::vector<int32_t>(loaded.size(), 0));
    EXPECT_EQ(images, QStringList({QString(), QStringLiteral("allsteps.png")}));

    // The other shape of Create Substrate and the other way of Si Oxidation write only
    // their own values, and run too.
    const ProcessData ball = written(11, params({{"Volume Size X", 20u}, {"Volume Size Y", 20u}, {"Volume Size Z", 20u},
                                                 {"SphericalSubstrate", true}, {"Substrate Center X", 10u},
                                                 {"Substrate Center Y", 9u}, {"Substrate Center Z", 8u},
                                                 {"Substrate Radius", 6u}}));
    EXPECT_TRUE(ball.hasParameter("Substrate Radius"));
    EXPECT_FALSE(ball.hasParameter("Substrate Size X"));
    EXPECT_FALSE(list[0].hasParameter("Substrate Radius"));
    const Parameters byTime = params({{"OxidationTimeSet", true}, {"Oxidation Time", 0.5},
                                      {"Oxidation Temperature", 1373.0}, {"Oxidation Pressure", 0.5}});
    const ProcessData oxidation = written(15, byTime);
    expectPresetKept(byTime, oxidation);
    EXPECT_EQ(stored(written(15, oxidation.getParameters())), stored(oxidation));
    EXPECT_FALSE(oxidation.hasParameter("Oxidation Thickness"));
    EXPECT_FALSE(list[1].hasParameter("Oxidation Time"));
    EXPECT_FALSE(oxidation.getProcessParameter("OxidationThicknessSet").toBool());
    EXPECT_EQ(runner.run({ball, oxidation}).outcome, ProcessListRunner::Outcome::Completed);
}

TEST(StepEditors, PhotolithographyKeepsTheStoredMaskWhenItsImageIsGone)
{
    // A list carries its masks; opening the step where the image file does not exist
    // must not lose them (nor warn about a file the user never touches).
    const std::unique_ptr<StepEditor> editor = StepEditor::create(0, nullptr);
    const Core::BatchRun::MaskBitmap bits = {1, 0, 0, 1, 1, 0};
    editor->preset(params({{"Material_Id", 12u}, {"Top Mask", QVariant::fromValue(bits)}, {"Top Mask Width", 3u},
                           {"Top Mask Height", 2u}, {"Top Mask File", "gone/mask.png"},
                           {"Bottom Mask", QVariant::fromValue(Core::BatchRun::MaskBitmap())}, {"Bottom Mask Width", 0u},
                           {"Bottom Mask Height", 0u}, {"Bottom Mask File", QString()}}));
    ProcessData step(0);
    editor->write(step);
    EXPECT_EQ(step.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>(), bits);
    EXPECT_EQ(step.getProcessParameter("Top Mask Width").toUInt(), 3u);
    EXPECT_EQ(step.getProcessParameter("Top Mask Height").toUInt(), 2u);
    EXPECT_EQ(step.getProcessParameter("Top Mask File").toString(), "gone/mask.png");
    EXPECT_EQ(step.getProcessParameter("Bottom Mask Width").toUInt(), 0u);
    EXPECT_EQ(step.getProcessParameter("Material").toString(), "Photoresist -");

    // Removing the mask in the dialog does remove it.
    auto *dialog = qobject_cast<Ui::Operations::PhotolithographyDialog *>(editor->dialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->topBox()->fileField()->text(), "gone/mask.png");
    QTest::mouseClick(dialog->topBox()->removeButton(), Qt::LeftButton);
    ProcessData removed(0);
    editor->write(removed);
    EXPECT_TRUE(removed.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>().empty());
    EXPECT_EQ(removed.getProcessParameter("Top Mask Width").toUInt(), 0u);
    EXPECT_EQ(removed.getProcessParameter("Top Mask File").toString(), QString());
}

TEST(StepEditors, AcceptedDialogsWriteWhatTheUserEntered)
{
    // Anisotropic deposition: the numbers shown, the id hidden beside the material's
    // name (shown) and its opaque colour (hidden).
    const std::unique_ptr<StepEditor> editor = StepEditor::create(17, nullptr);
    whenDialogOpens([](QDialog *d) {
        auto *dialog = qobject_cast<Ui::Operations::FilmOptionsDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        type(dialog->numberBox("Film Thickness"), "3.5");
        type(dialog->numberBox("Horizontal to Vertical Ratio"), "0.25");
        choose(dialog->materialBox("Material"), 9);
        press(d, QDialogButtonBox::Ok);
    });
    ASSERT_EQ(editor->dialog()->exec(), QDialog::Accepted);
    ProcessData step(17);
    editor->write(step);
    EXPECT_EQ(step.getParameters().keys(), QStringList({"Film Thickness", "Horizontal to Vertical Ratio", "Material",
                                                       "Material_Color", "Material_Id"}));
    EXPECT_EQ(step.getProcessParameter("Film Thickness").userType(), QMetaType::Float);
    EXPECT_EQ(step.getProcessParameter("Film Thickness").toFloat(), 3.5f);
    EXPECT_TRUE(step.getParameterVisibility("Film Thickness"));
    EXPECT_EQ(step.getProcessParameter("Horizontal to Vertical Ratio").toFloat(), 0.25f);
    EXPECT_TRUE(step.getParameterVisibility("Horizontal to Vertical Ratio"));
    EXPECT_EQ(step.getProcessParameter("Material_Id").userType(), QMetaType::UInt);
    EXPECT_EQ(step.getProcessParameter("Material_Id").toUInt(), 9u);
    EXPECT_FALSE(step.getParameterVisibility("Material_Id"));
    EXPECT_EQ(step.getProcessParameter("Material").toString(), "Au (bulk)");
    EXPECT_TRUE(step.getParameterVisibility("Material"));
    const QColor colour = step.getProcessParameter("Material_Color").value<QColor>();
    EXPECT_EQ(colour, QColor::fromRgbF(0.5, 1.0, 0.5));
    EXPECT_EQ(colour.alpha(), 255);
    EXPECT_FALSE(step.getParameterVisibility("Material_Color"));

    // Save Image: Browse asks where to save the picture, the name lands in the step.
    const std::unique_ptr<StepEditor> image = StepEditor::create(10, nullptr);
    const QString target = QDir(TestEnv::workDir()).filePath("shot.png");
    QFile::remove(target); // an earlier test may have drawn it; the chooser would ask to replace it
    QString caption;
    QStringList filters;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<Ui::SaveImageStepDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            caption = chooser->windowTitle();
            filters = chooser->nameFilters();
            DialogTest::chooseFile(chooser, target);
        });
        QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
        press(d, QDialogButtonBox::Ok);
    });
    ASSERT_EQ(image->dialog()->exec(), QDialog::Accepted);
    EXPECT_EQ(caption, "Save Screen Image");
    EXPECT_EQ(filters, QStringList{"Images (*.png *.xpm *.jpg)"});
    ProcessData save(10);
    image->write(save);
    EXPECT_EQ(QDir::fromNativeSeparators(save.getProcessParameter("Filename").toString()), target);
    EXPECT_TRUE(save.getParameterVisibility("Filename"));
}

TEST(StepEditors, ProcessTypeListAndPourHeight)
{
    const std::vector<std::pair<QString, int32_t>> expected = {
        {"Anisotropic Deposition", 17}, {"Anisotropic Etching", 18}, {"Create Substrate", 11}, {"CVD", 4},
        {"Doping", 8}, {"Electroplating", 7}, {"Ion Implantation", 14}, {"Isotropic Etching", 5},
        {"Isotropic Deposition", 16}, {"Moore Deposition", 2}, {"Moore Etching", 3}, {"Photolithography", 0},
        {"Planarization", 6}, {"Pour Material", 9}, {"PVD", 12}, {"RIE", 13}, {"Save Image", 10},
        {"Si Wet Etching", 1}, {"Si Wet Etching (CCA)", 20}, {"Thermal Oxidation", 15},
        {"Doping (Random Walk CA)", 19}};
    EXPECT_EQ(Ui::processTypeEntries(), expected);
    EXPECT_EQ(StepEditor::create(21, nullptr), nullptr);
    EXPECT_EQ(StepEditor::create(-1, nullptr), nullptr);

    // The pour height reaches the top of a known volume; before any volume, far beyond.
    const auto heightLimit = [](uint32_t volumeHeight) {
        const auto editor = StepEditor::create(9, nullptr, volumeHeight);
        return qobject_cast<Ui::Operations::SpinCoatingOptionsDialog *>(editor->dialog())->heightBox()->maximum();
    };
    EXPECT_EQ(heightLimit(16), 16);
    EXPECT_EQ(heightLimit(0), 999999999);
    // A new Planarization keeps the whole height, known or not, so it removes nothing.
    const auto planarizationMaximum = [](uint32_t volumeHeight) {
        const auto editor = StepEditor::create(6, nullptr, volumeHeight);
        return qobject_cast<Ui::Operations::PlanarizationOptionsDialog *>(editor->dialog())->getMaximumHeight();
    };
    EXPECT_EQ(planarizationMaximum(16), 16);
    EXPECT_EQ(planarizationMaximum(0), 999999999);
}
