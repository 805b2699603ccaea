#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/createsubstratedialog.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <type_traits>

using namespace Core::Operations;
using Ui::Operations::CreateSubstrateDialog;

using DialogTest::Log;

namespace {

// Runs `act` on the next modal dialog once it is open.
void whenDialogOpens(std::function<void(CreateSubstrateDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<CreateSubstrateDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

void clickButton(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>()->button(which)->click();
}

} // namespace

TEST(CreateSubstrateDialog, DefaultsRangesAndCoupling)
{
    CreateSubstrateDialog d;
    EXPECT_EQ(d.windowTitle(), "Create Substrate");
    // Every help text is some control's tool tip.
    QStringList tips;
    for (const QWidget *w : d.findChildren<QWidget *>())
        tips << w->toolTip();
    for (const char *text :
         {"Define the size of the total volume.",
          "The simulation is run on a volume of cells. This is the total size of the volume. Substrate and "
          "aditional deposited films must fit inside this volume.",
          "Size of the substrate in cells.", "Location of the substrate relative to the total volume in cells.",
          "This allows you to displace the substrate inside the final volume. This might be desirable to, for "
          "example, etch the substrate from both sides. This can be done by increasing the Z displacement.",
          "Create a spherical substrate.",
          "Define the center position of the substrate relative to the total volume in cells.",
          "Define the radius of the substrate.", "Define the position of the volume in the viewing space.",
          "This allows you to change where the volume will be placed. This is to avoid creating superimposed "
          "volumes. The coordinates indicate where the lower left front corner of the volume will be located.",
          "Material the substrate will be composed of."})
        EXPECT_TRUE(tips.contains(QString::fromLatin1(text))) << text;
    EXPECT_EQ(d.volumeSize(0)->value(), 100);
    EXPECT_EQ(d.volumeSize(2)->value(), 80);
    EXPECT_EQ(d.volumeSize(2)->maximum(), 10000);
    EXPECT_EQ(d.substrateSize(2)->value(), 30);
    EXPECT_EQ(d.radiusBox()->value(), 50);
    EXPECT_EQ(d.delta(2)->maximum(), 50);
    EXPECT_EQ(d.delta(0)->maximum(), 0);
    EXPECT_EQ(d.centre(2)->maximum(), 79);
    EXPECT_EQ(d.materialBox()->count(),
              int(Model::Materials::MaterialFactory::instance()->getMaterials().size()));
    EXPECT_EQ(d.materialBox()->currentData().toUInt(), 1u);
    EXPECT_EQ(d.materialBox()->itemIcon(0).availableSizes().value(0), QSize(100, 100));

    // Length follows into the substrate size, which then frees the displacement.
    d.volumeSize(0)->setValue(60);
    EXPECT_EQ(d.substrateSize(0)->value(), 60);
    EXPECT_EQ(d.substrateSize(0)->maximum(), 60);
    EXPECT_EQ(d.centre(0)->maximum(), 59);
    d.substrateSize(0)->setValue(40);
    EXPECT_EQ(d.delta(0)->maximum(), 20);

    // Height keeps the substrate height, limited to the new maximum.
    d.volumeSize(2)->setValue(20);
    EXPECT_EQ(d.substrateSize(2)->value(), 20);
    EXPECT_EQ(d.delta(2)->maximum(), 0);
    d.volumeSize(2)->setValue(100);
    EXPECT_EQ(d.substrateSize(2)->value(), 20);
    EXPECT_EQ(d.delta(2)->maximum(), 80);

    EXPECT_TRUE(d.substrateSize(1)->isEnabled());
    EXPECT_FALSE(d.radiusBox()->isEnabled());
    d.sphericalBox()->setChecked(true);
    EXPECT_FALSE(d.substrateSize(1)->isEnabled());
    EXPECT_FALSE(d.delta(1)->isEnabled());
    EXPECT_TRUE(d.radiusBox()->isEnabled());
    EXPECT_TRUE(d.centre(2)->isEnabled());
}

TEST(CreateSubstrateDialog, PresetFromParameterMap)
{
    CreateSubstrateDialog d;
    QMap<QString, QVariant> map;
    map.insert("Volume Size X", 50u);
    map.insert("Volume Size Z", 30u);
    map.insert("Substrate Size X", 20u);
    map.insert("Substrate Delta X", 10u);
    map.insert("Substrate Size Z", 10u);
    map.insert("Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(1, 2, 3)));
    map.insert("Material", QString("Thermal Si02"));
    d.preset(map);
    EXPECT_EQ(d.volumeSize(0)->value(), 50);
    EXPECT_EQ(d.substrateSize(0)->value(), 20);
    EXPECT_EQ(d.delta(0)->value(), 10);
    EXPECT_EQ(d.substrateSize(2)->value(), 10);
    EXPECT_EQ(d.corner(1)->value(), 2.0);
    EXPECT_EQ(d.materialBox()->currentData().toUInt(), 3u);
    // A corner that no document could hold leaves the boxes as they are.
    for (const Util::Vector3D &bad : {Util::Vector3D(1e39, 0, 0), Util::Vector3D(std::nan(""), 5, 5),
                                      Util::Vector3D(0, 0, std::numeric_limits<double>::infinity())}) {
        QMap<QString, QVariant> corner;
        corner.insert("Lower Left Front Corner", QVariant::fromValue(bad));
        d.preset(corner);
        EXPECT_EQ(d.corner(0)->value(), 1.0);
        EXPECT_EQ(d.corner(1)->value(), 2.0);
        EXPECT_EQ(d.corner(2)->value(), 3.0);
    }
    map.insert("Material_Id", 4u);
    map.insert("SphericalSubstrate", true);
    map.insert("Substrate Radius", 7u);
    d.preset(map);
    EXPECT_EQ(d.materialBox()->currentData().toUInt(), 4u);
    EXPECT_TRUE(d.sphericalBox()->isChecked());
    EXPECT_EQ(d.radiusBox()->value(), 7);
    const SubstrateParameters p = d.parameters();
    EXPECT_TRUE(p.spherical);
    EXPECT_EQ(p.radius, 7u);
    EXPECT_EQ(p.volumeSizeX, 50u);
}

TEST(CreateSubstrateDialog, MenuNumberTwoThroughTheRealDialog)
{
    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);

    // Cancel: nothing created, nothing printed.
    whenDialogOpens([](CreateSubstrateDialog *d) { clickButton(d, QDialogButtonBox::Cancel); });
    context.activate(2);
    EXPECT_EQ(context.scene.objectCount(), 0);
    EXPECT_TRUE(log->lines.empty());
    EXPECT_EQ(context.history.undoCount(), 0u);

    whenDialogOpens([](CreateSubstrateDialog *d) { clickButton(d, QDialogButtonBox::Ok); });
    context.activate(2);
    ASSERT_EQ(context.scene.objectCount(), 1);
    ASSERT_EQ(log->lines.size(), 1u);
    EXPECT_EQ(log->lines[0], "Create Substrate: substrate created successfully.");
    auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context.scene.objects()[0]);
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->getSizeX(), 100u);
    EXPECT_EQ(volume->getSizeY(), 100u);
    EXPECT_EQ(volume->getSizeZ(), 80u);
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 1u), 100 * 100 * 30);
    EXPECT_EQ(context.history.undoName(), "Create Substrate");

    const int32_t id = volume->getId();
    context.history.undo();
    EXPECT_EQ(context.scene.objectCount(), 0);
    context.history.redo();
    ASSERT_EQ(context.scene.objectCount(), 1);
    EXPECT_EQ(context.scene.objects()[0]->getId(), id);
}

TEST(OperationFactory, NumbersBuiltSoFar)
{
    OperationContext context;
    Ui::OperationFactory factory(context, nullptr);
    OperationPtr substrate = factory.create(2);
    ASSERT_TRUE(substrate);
    EXPECT_TRUE(std::dynamic_pointer_cast<CreateSubstrateOperation>(substrate));
    EXPECT_EQ(substrate->getName(), "Create Substrate");
    EXPECT_EQ(substrate->getTypeId(), 2);
    EXPECT_TRUE(substrate->getOptionsObserver());

    // Documents and masks: class, name and number.
    const auto check = [&](int number, const char *name, auto *type) {
        using Type = std::remove_pointer_t<decltype(type)>;
        const OperationPtr made = factory.create(number);
        ASSERT_TRUE(made) << number;
        EXPECT_TRUE(std::dynamic_pointer_cast<Type>(made)) << number;
        EXPECT_EQ(made->getName(), name);
        EXPECT_EQ(made->getTypeId(), number);
    };
    check(9, "Save document", static_cast<Core::Operations::SaveDocumentOperation *>(nullptr));
    check(10, "Save Document As", static_cast<Core::Operations::SaveDocumentAsOperation *>(nullptr));
    check(11, "Open document", static_cast<Core::Operations::OpenDocumentOperation *>(nullptr));
    check(20, "Photolithography", static_cast<Core::Operations::PhotolithographyOperation *>(nullptr));
    check(34, "Masked Cut", static_cast<Core::Operations::MaskedCutCellVolumeOperation *>(nullptr));
    check(35, "Remove Cuts", static_cast<Core::Operations::RemoveCutsFromVolumeOperation *>(nullptr));
    for (int n : {0, 5, 21, 25, -1, 38, 999, 1001})
        EXPECT_FALSE(factory.create(n)) << n;
}
