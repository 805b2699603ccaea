#include "UI/Operations/createsubstratedialog.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"

#include "UI/Operations/materialcombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

using Core::Operations::SubstrateParameters;

namespace {

constexpr int largeLimit = 999999999;

QSpinBox *spinBox(int minimum, int maximum, int value)
{
    auto *box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

// The fields carry the short tips; the labels in front of them the long explanations.
void describe(QWidget *widget, const QString &toolTip, const QString &whatsThis = QString())
{
    widget->setToolTip(toolTip);
    if (!whatsThis.isEmpty())
        widget->setWhatsThis(whatsThis);
}

} // namespace

CreateSubstrateDialog::CreateSubstrateDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Create Substrate"));

    // Total volume.
    auto *volumeGroup = new QGroupBox(tr("Total Volume Dimensions and Position"));
    auto *volumeLayout = new QGridLayout(volumeGroup);
    const char *const sizeLabels[3] = {"Length", "Width", "Height"};
    const int volumeDefaults[3] = {100, 100, 80};
    const QString volumeTip = tr("Define the size of the total volume.");
    const QString volumeWhat =
        tr("The simulation is run on a volume of cells. This is the total size of the volume. "
           "Substrate and aditional deposited films must fit inside this volume.");
    for (int a = 0; a < 3; ++a) {
        auto *label = new QLabel(tr(sizeLabels[a]));
        volumeSizes[a] = spinBox(1, 10000, volumeDefaults[a]);
        describe(label, volumeWhat, volumeWhat);
        describe(volumeSizes[a], volumeTip, volumeWhat);
        volumeLayout->addWidget(label, 0, 2 * a);
        volumeLayout->addWidget(volumeSizes[a], 0, 2 * a + 1);
    }
    auto *cornerLabel = new QLabel(tr("Volume Lower Left Front Corner"));
    const QString cornerTip = tr("Define the position of the volume in the viewing space.");
    const QString cornerWhat =
        tr("This allows you to change where the volume will be placed. This is to avoid creating "
           "superimposed volumes. The coordinates indicate where the lower left front corner of "
           "the volume will be located.");
    describe(cornerLabel, cornerWhat, cornerWhat);
    volumeLayout->addWidget(cornerLabel, 1, 0, 1, 6);
    for (int a = 0; a < 3; ++a) {
        corners[a] = new QDoubleSpinBox;
        corners[a]->setRange(-1e9, 1e9);
        corners[a]->setValue(0.0);
        describe(corners[a], cornerTip, cornerWhat);
        volumeLayout->addWidget(corners[a], 2, 2 * a, 1, 2);
    }

    // Substrate.
    auto *substrateGroup = new QGroupBox(tr("Substrate Dimensions and position"));
    auto *substrateLayout = new QGridLayout(substrateGroup);
    auto *sizeLabel = new QLabel(tr("Size"));
    describe(sizeLabel, tr("Size of the substrate in cells."));
    substrateLayout->addWidget(sizeLabel, 0, 0);
    const int substrateDefaults[3] = {100, 100, 30};
    for (int a = 0; a < 3; ++a) {
        substrateSizes[a] = spinBox(1, largeLimit, substrateDefaults[a]);
        describe(substrateSizes[a], tr("Size of the substrate in cells."));
        substrateLayout->addWidget(substrateSizes[a], 0, a + 1);
    }
    auto *deltaLabel = new QLabel(tr("Lower Left Front Corner"));
    const QString deltaTip = tr("Location of the substrate relative to the total volume in cells.");
    const QString deltaWhat =
        tr("This allows you to displace the substrate inside the final volume. This might be "
           "desirable to, for example, etch the substrate from both sides. This can be done by "
           "increasing the Z displacement.");
    describe(deltaLabel, deltaWhat, deltaWhat);
    substrateLayout->addWidget(deltaLabel, 1, 0);
    for (int a = 0; a < 3; ++a) {
        deltas[a] = spinBox(0, largeLimit, 0);
        describe(deltas[a], deltaTip, deltaWhat);
        substrateLayout->addWidget(deltas[a], 1, a + 1);
    }
    rectangularWidgets = {sizeLabel, substrateSizes[0], substrateSizes[1], substrateSizes[2],
                          deltaLabel, deltas[0], deltas[1], deltas[2]};

    spherical = new QCheckBox(tr("Spherical Substrate"));
    describe(spherical, tr("Create a spherical substrate."));
    substrateLayout->addWidget(spherical, 2, 0, 1, 4);

    const char *const centreLabels[3] = {"Center X", "Center Y", "Center Z"};
    const QString centreTip =
        tr("Define the center position of the substrate relative to the total volume in cells.");
    for (int a = 0; a < 3; ++a) {
        auto *label = new QLabel(tr(centreLabels[a]));
        centres[a] = spinBox(0, largeLimit, 0);
        describe(label, centreTip);
        describe(centres[a], centreTip);
        substrateLayout->addWidget(label, 3, a + 1);
        substrateLayout->addWidget(centres[a], 4, a + 1);
        sphericalWidgets << label << centres[a];
    }
    auto *radiusLabel = new QLabel(tr("Radius"));
    radius = spinBox(1, largeLimit, 50);
    describe(radiusLabel, tr("Define the radius of the substrate."));
    describe(radius, tr("Define the radius of the substrate."));
    substrateLayout->addWidget(radiusLabel, 3, 0);
    substrateLayout->addWidget(radius, 4, 0);
    sphericalWidgets << radiusLabel << radius;

    auto *materialLabel = new QLabel(tr("Substrate Material"));
    material = new QComboBox;
    fillMaterialCombo(material);
    describe(materialLabel, tr("Material the substrate will be composed of."));
    describe(material, tr("Material the substrate will be composed of."));
    auto *materialRow = new QHBoxLayout;
    materialRow->addWidget(materialLabel);
    materialRow->addWidget(material, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(volumeGroup);
    layout->addWidget(substrateGroup);
    layout->addLayout(materialRow);
    layout->addWidget(buttons);

    connect(volumeSizes[0], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateLimitX);
    connect(volumeSizes[1], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateLimitY);
    connect(volumeSizes[2], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateLimitZ);
    connect(substrateSizes[0], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateSubstrateDispX);
    connect(substrateSizes[1], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateSubstrateDispY);
    connect(substrateSizes[2], QOverload<int>::of(&QSpinBox::valueChanged), this, &CreateSubstrateDialog::updateSubstrateDispZ);
    connect(spherical, &QCheckBox::toggled, this, &CreateSubstrateDialog::toggleSubsShape);

    // The coupling holds from the start.
    updateLimitX(volumeSizes[0]->value());
    updateLimitY(volumeSizes[1]->value());
    updateLimitZ(volumeSizes[2]->value());
    toggleSubsShape(spherical->isChecked());
}

void CreateSubstrateDialog::updateLimitXY(int axis, int value)
{
    substrateSizes[axis]->setMaximum(value);
    substrateSizes[axis]->setValue(value);
    deltas[axis]->setMaximum(0);
    centres[axis]->setMaximum(value - 1);
}

void CreateSubstrateDialog::updateLimitX(int value) { updateLimitXY(0, value); }
void CreateSubstrateDialog::updateLimitY(int value) { updateLimitXY(1, value); }

void CreateSubstrateDialog::updateLimitZ(int value)
{
    substrateSizes[2]->setMaximum(value);
    deltas[2]->setMaximum(value - substrateSizes[2]->value());
    centres[2]->setMaximum(value - 1);
}

void CreateSubstrateDialog::updateDisplacement(int axis, int value)
{
    deltas[axis]->setMaximum(volumeSizes[axis]->value() - value);
}

void CreateSubstrateDialog::updateSubstrateDispX(int value) { updateDisplacement(0, value); }
void CreateSubstrateDialog::updateSubstrateDispY(int value) { updateDisplacement(1, value); }
void CreateSubstrateDialog::updateSubstrateDispZ(int value) { updateDisplacement(2, value); }

void CreateSubstrateDialog::toggleSubsShape(bool sphericalOn)
{
    for (QWidget *w : rectangularWidgets)
        w->setEnabled(!sphericalOn);
    for (QWidget *w : sphericalWidgets)
        w->setEnabled(sphericalOn);
}

void CreateSubstrateDialog::preset(const QMap<QString, QVariant> &map)
{
    using P = SubstrateParameters;
    auto setBox = [&map](const QString &key, QSpinBox *box) {
        if (map.contains(key))
            box->setValue(static_cast<int>(std::min<uint>(map.value(key).toUInt(), INT_MAX)));
    };
    // A corner no document could hold is not taken over; the boxes keep their values.
    if (map.contains(P::keyCorner) && Util::Vector3D(map.value(P::keyCorner)).isStorable()) {
        const Util::Vector3D c(map.value(P::keyCorner));
        corners[0]->setValue(c.x);
        corners[1]->setValue(c.y);
        corners[2]->setValue(c.z);
    }
    // Volume sizes first, so that their coupling runs before the substrate values land.
    setBox(P::keyVolumeSizeX, volumeSizes[0]);
    setBox(P::keyVolumeSizeY, volumeSizes[1]);
    setBox(P::keyVolumeSizeZ, volumeSizes[2]);
    if (map.contains(P::keySpherical))
        spherical->setChecked(map.value(P::keySpherical).toBool());
    setBox(P::keySubstrateSizeX, substrateSizes[0]);
    setBox(P::keySubstrateSizeY, substrateSizes[1]);
    setBox(P::keySubstrateSizeZ, substrateSizes[2]);
    setBox(P::keyDeltaX, deltas[0]);
    setBox(P::keyDeltaY, deltas[1]);
    setBox(P::keyDeltaZ, deltas[2]);
    setBox(P::keyCentreX, centres[0]);
    setBox(P::keyCentreY, centres[1]);
    setBox(P::keyCentreZ, centres[2]);
    setBox(P::keyRadius, radius);
    if (map.contains(P::keyMaterialId)) {
        const int index = material->findData(map.value(P::keyMaterialId).toUInt());
        if (index >= 0)
            material->setCurrentIndex(index);
    } else if (map.contains(P::keyMaterial)) {
        const int index = material->findText(map.value(P::keyMaterial).toString());
        if (index >= 0)
            material->setCurrentIndex(index);
    }
}

SubstrateParameters CreateSubstrateDialog::parameters() const
{
    SubstrateParameters p;
    p.materialId = material->currentData().toUInt();
    p.volumeSizeX = static_cast<uint32_t>(volumeSizes[0]->value());
    p.volumeSizeY = static_cast<uint32_t>(volumeSizes[1]->value());
    p.volumeSizeZ = static_cast<uint32_t>(volumeSizes[2]->value());
    p.corner = Util::Vector3D(corners[0]->value(), corners[1]->value(), corners[2]->value());
    p.spherical = spherical->isChecked();
    p.substrateSizeX = static_cast<uint32_t>(substrateSizes[0]->value());
    p.substrateSizeY = static_cast<uint32_t>(substrateSizes[1]->value());
    p.substrateSizeZ = static_cast<uint32_t>(substrateSizes[2]->value());
    p.deltaX = static_cast<uint32_t>(deltas[0]->value());
    p.deltaY = static_cast<uint32_t>(deltas[1]->value());
    p.deltaZ = static_cast<uint32_t>(deltas[2]->value());
    p.centreX = static_cast<uint32_t>(centres[0]->value());
    p.centreY = static_cast<uint32_t>(centres[1]->value());
    p.centreZ = static_cast<uint32_t>(centres[2]->value());
    p.radius = static_cast<uint32_t>(radius->value());
    return p;
}

void CreateSubstrateDialog::applyTo(Core::Operations::CreateSubstrateOperation &operation) const
{
    const Core::Operations::SubstrateParameters p = parameters();
    if (p.spherical)
        operation.setSphericalSubstrate(p.materialId, p.volumeSizeX, p.volumeSizeY, p.volumeSizeZ, p.corner,
                                        p.centreX, p.centreY, p.centreZ, p.radius);
    else
        operation.setRectangularSubstrate(p.materialId, p.volumeSizeX, p.volumeSizeY, p.volumeSizeZ, p.corner,
                                          p.substrateSizeX, p.substrateSizeY, p.substrateSizeZ, p.deltaX,
                                          p.deltaY, p.deltaZ);
}

} // namespace Operations
} // namespace Ui
