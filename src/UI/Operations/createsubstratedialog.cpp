#include "UI/Operations/createsubstratedialog.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"

#include "Core/Processes/processregistry.h"
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
#include <algorithm>
#include <climits>

namespace Ui {
namespace Operations {

using Core::Operations::SubstrateParameters;

namespace {

const Core::Processes::ParameterField &field(const QString &key)
{
    return *Core::Processes::ProcessRegistry::instance().byBatchType(11)->field(key);
}

int toInt(double value) { return static_cast<int>(std::clamp(value, double(INT_MIN), double(INT_MAX))); }

// A box with the range, default and tip of the field of that key.
QSpinBox *spinBox(const QString &key)
{
    const Core::Processes::ParameterField &f = field(key);
    auto *box = new QSpinBox;
    box->setRange(toInt(f.minimum), toInt(f.maximum));
    box->setValue(toInt(f.defaultValue));
    box->setToolTip(f.help);
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
    const QString volumeKeys[3] = {SubstrateParameters::keyVolumeSizeX, SubstrateParameters::keyVolumeSizeY,
                                   SubstrateParameters::keyVolumeSizeZ};
    const QString volumeWhat =
        tr("The simulation is run on a volume of cells. This is the total size of the volume. "
           "Substrate and aditional deposited films must fit inside this volume.");
    for (int a = 0; a < 3; ++a) {
        auto *label = new QLabel(field(volumeKeys[a]).label);
        volumeSizes[a] = spinBox(volumeKeys[a]);
        describe(label, volumeWhat, volumeWhat);
        volumeSizes[a]->setWhatsThis(volumeWhat);
        volumeLayout->addWidget(label, 0, 2 * a);
        volumeLayout->addWidget(volumeSizes[a], 0, 2 * a + 1);
    }
    const Core::Processes::ParameterField &corner = field(SubstrateParameters::keyCorner);
    auto *cornerLabel = new QLabel(corner.label);
    const QString cornerWhat =
        tr("This allows you to change where the volume will be placed. This is to avoid creating "
           "superimposed volumes. The coordinates indicate where the lower left front corner of "
           "the volume will be located.");
    describe(cornerLabel, cornerWhat, cornerWhat);
    volumeLayout->addWidget(cornerLabel, 1, 0, 1, 6);
    for (int a = 0; a < 3; ++a) {
        corners[a] = new QDoubleSpinBox;
        corners[a]->setRange(corner.minimum, corner.maximum);
        corners[a]->setValue(corner.defaultValue);
        describe(corners[a], corner.help, cornerWhat);
        volumeLayout->addWidget(corners[a], 2, 2 * a, 1, 2);
    }

    // Substrate.
    auto *substrateGroup = new QGroupBox(tr("Substrate Dimensions and position"));
    auto *substrateLayout = new QGridLayout(substrateGroup);
    const QString sizeKeys[3] = {SubstrateParameters::keySubstrateSizeX, SubstrateParameters::keySubstrateSizeY,
                                 SubstrateParameters::keySubstrateSizeZ};
    auto *sizeLabel = new QLabel(field(sizeKeys[0]).label);
    describe(sizeLabel, field(sizeKeys[0]).help);
    substrateLayout->addWidget(sizeLabel, 0, 0);
    for (int a = 0; a < 3; ++a) {
        substrateSizes[a] = spinBox(sizeKeys[a]);
        substrateLayout->addWidget(substrateSizes[a], 0, a + 1);
    }
    const QString deltaKeys[3] = {SubstrateParameters::keyDeltaX, SubstrateParameters::keyDeltaY,
                                  SubstrateParameters::keyDeltaZ};
    auto *deltaLabel = new QLabel(field(deltaKeys[0]).label);
    const QString deltaWhat =
        tr("This allows you to displace the substrate inside the final volume. This might be "
           "desirable to, for example, etch the substrate from both sides. This can be done by "
           "increasing the Z displacement.");
    describe(deltaLabel, deltaWhat, deltaWhat);
    substrateLayout->addWidget(deltaLabel, 1, 0);
    for (int a = 0; a < 3; ++a) {
        deltas[a] = spinBox(deltaKeys[a]);
        deltas[a]->setWhatsThis(deltaWhat);
        substrateLayout->addWidget(deltas[a], 1, a + 1);
    }
    rectangularWidgets = {sizeLabel, substrateSizes[0], substrateSizes[1], substrateSizes[2],
                          deltaLabel, deltas[0], deltas[1], deltas[2]};

    const Core::Processes::ParameterField &sphere = field(SubstrateParameters::keySpherical);
    spherical = new QCheckBox(sphere.label);
    spherical->setChecked(sphere.defaultValue != 0.0);
    describe(spherical, sphere.help);
    substrateLayout->addWidget(spherical, 2, 0, 1, 4);

    const QString centreKeys[3] = {SubstrateParameters::keyCentreX, SubstrateParameters::keyCentreY,
                                   SubstrateParameters::keyCentreZ};
    for (int a = 0; a < 3; ++a) {
        auto *label = new QLabel(field(centreKeys[a]).label);
        centres[a] = spinBox(centreKeys[a]);
        describe(label, field(centreKeys[a]).help);
        substrateLayout->addWidget(label, 3, a + 1);
        substrateLayout->addWidget(centres[a], 4, a + 1);
        sphericalWidgets << label << centres[a];
    }
    auto *radiusLabel = new QLabel(field(SubstrateParameters::keyRadius).label);
    radius = spinBox(SubstrateParameters::keyRadius);
    describe(radiusLabel, radius->toolTip());
    substrateLayout->addWidget(radiusLabel, 3, 0);
    substrateLayout->addWidget(radius, 4, 0);
    sphericalWidgets << radiusLabel << radius;

    const Core::Processes::ParameterField &materialField = field(SubstrateParameters::keyMaterial);
    auto *materialLabel = new QLabel(materialField.label);
    material = new QComboBox;
    fillMaterialCombo(material);
    describe(materialLabel, materialField.help);
    describe(material, materialField.help);
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
