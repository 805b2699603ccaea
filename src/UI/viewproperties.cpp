#include "UI/viewproperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace Ui {
namespace {

constexpr double degreesPerRadian = 57.29577951308232;
constexpr double distanceLimit = 1.0e6;

QGroupBox *group(const QString &title, QFormLayout **form)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(title);
    *form = new QFormLayout(box);
    return box;
}

} // namespace

ViewProperties::ViewProperties(const Values &values, int mode, QWidget *parent)
    : QDialog(parent), lamps(values.lamps)
{
    setWindowTitle(QStringLiteral("Set vew and lighting"));
    if (lamps.empty())
        lamps.emplace_back();
    if (lamps.size() > static_cast<size_t>(maxLamps))
        lamps.resize(maxLamps);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->addTab(buildViewTab(), tr("View"));
    tabs->addTab(buildLampTab(), tr("Lighting"));
    tabs->setCurrentIndex(mode == LampMode ? LampMode : ViewMode);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    axisXBox->setValue(values.axisX);
    axisYBox->setValue(values.axisY);
    axisZBox->setValue(values.axisZ);
    angleXBox->setValue(values.angleX);
    angleYBox->setValue(values.angleY);
    angleZBox->setValue(values.angleZ);
    screenXBox->setValue(values.screenX);
    screenYBox->setValue(values.screenY);
    zoomBox->setValue(values.zoomValue);

    const int active = std::clamp(values.activeLamp, 1, lampCount());
    fillLampSelector(active - 1);

    connect(lampSelector, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ViewProperties::lampchanged);
    connect(addButton, &QPushButton::clicked, this, &ViewProperties::addLamp);
    connect(deleteButton, &QPushButton::clicked, this, &ViewProperties::deleteLamp);
    connect(radiusBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &ViewProperties::radiusChanged);
    connect(thetaBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &ViewProperties::angletetaChanged);
    connect(phiBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &ViewProperties::anglefiChanged);
    connect(enabledBox, &QCheckBox::toggled, this, &ViewProperties::visibleChanged);
}

QDoubleSpinBox *ViewProperties::spinBox(const char *name, double minimum, double maximum, int decimals)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(decimals);
    box->setRange(minimum, maximum);
    box->setKeyboardTracking(false);
    return box;
}

QWidget *ViewProperties::buildViewTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("viewTab"));
    auto *layout = new QVBoxLayout(page);
    QFormLayout *form = nullptr;

    QGroupBox *axes = group(QStringLiteral("Position in relation to the axes"), &form);
    axisXBox = spinBox("axisX", -distanceLimit, distanceLimit, 3);
    axisYBox = spinBox("axisY", -distanceLimit, distanceLimit, 3);
    axisZBox = spinBox("axisZ", -distanceLimit, distanceLimit, 3);
    form->addRow(QStringLiteral("X"), axisXBox);
    form->addRow(QStringLiteral("Y"), axisYBox);
    form->addRow(QStringLiteral("Z"), axisZBox);
    layout->addWidget(axes);

    QGroupBox *rotation = group(QStringLiteral("Rotation Angles"), &form);
    angleXBox = spinBox("angleX", -360.0, 360.0, 3);
    angleYBox = spinBox("angleY", -360.0, 360.0, 3);
    angleZBox = spinBox("angleZ", -360.0, 360.0, 3);
    form->addRow(QStringLiteral("X Axis"), angleXBox);
    form->addRow(QStringLiteral("Y Axis"), angleYBox);
    form->addRow(QStringLiteral("Z axis"), angleZBox);
    layout->addWidget(rotation);

    QGroupBox *screen = group(QStringLiteral("Position in relation to the screen"), &form);
    screenXBox = spinBox("screenX", -distanceLimit, distanceLimit, 3);
    screenYBox = spinBox("screenY", -distanceLimit, distanceLimit, 3);
    form->addRow(QStringLiteral("Position X"), screenXBox);
    form->addRow(QStringLiteral("Position Y"), screenYBox);
    layout->addWidget(screen);

    QGroupBox *zoom = group(QStringLiteral("Vew zoom"), &form);
    // The view's zoom becomes 1 / value, so the value never reaches 0.
    zoomBox = spinBox("zoom", 1.0e-6, 1.0e6, 6);
    zoomBox->setSingleStep(0.1);
    form->addRow(QStringLiteral("Zoom"), zoomBox);
    layout->addWidget(zoom);
    layout->addStretch();
    return page;
}

QWidget *ViewProperties::buildLampTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("lampTab"));
    auto *layout = new QVBoxLayout(page);

    auto *row = new QHBoxLayout;
    lampSelector = new QComboBox;
    lampSelector->setObjectName(QStringLiteral("lampSelector"));
    enabledBox = new QCheckBox(QStringLiteral("Enabled"));
    enabledBox->setObjectName(QStringLiteral("lampEnabled"));
    deleteButton = new QPushButton(QStringLiteral("Delete"));
    deleteButton->setObjectName(QStringLiteral("deleteLamp"));
    deleteButton->setAutoDefault(false);
    addButton = new QPushButton(tr("Add Lamp"));
    addButton->setObjectName(QStringLiteral("addLamp"));
    addButton->setAutoDefault(false);
    row->addWidget(lampSelector, 1);
    row->addWidget(enabledBox);
    row->addWidget(deleteButton);
    row->addWidget(addButton);
    layout->addLayout(row);

    QFormLayout *form = nullptr;
    QGroupBox *position = group(QStringLiteral("Relative position"), &form);
    radiusBox = spinBox("lampRadius", 0.0, distanceLimit, 3);
    thetaBox = spinBox("lampTheta", -360.0, 360.0, 3);
    phiBox = spinBox("lampPhi", -90.0, 90.0, 3);
    form->addRow(tr("Radius"), radiusBox);
    form->addRow(QStringLiteral("Angle θ"), thetaBox);
    form->addRow(QStringLiteral("Angle φ"), phiBox);
    layout->addWidget(position);
    layout->addStretch();
    return page;
}

void ViewProperties::fillLampSelector(int selectIndex)
{
    {
        const QSignalBlocker block(lampSelector);
        lampSelector->clear();
        for (int i = 1; i <= lampCount(); ++i)
            lampSelector->addItem(QStringLiteral("Lamp %1").arg(i));
        lampSelector->setCurrentIndex(std::clamp(selectIndex, 0, lampCount() - 1));
    }
    lampchanged(lampSelector->currentIndex());
}

void ViewProperties::updateLampButtons()
{
    addButton->setEnabled(lampCount() < maxLamps);
    deleteButton->setEnabled(lampCount() > 1);
}

ViewProperties::Lamp *ViewProperties::currentLamp()
{
    const int i = lampSelector->currentIndex();
    if (i < 0 || i >= lampCount())
        return nullptr;
    return &lamps[static_cast<size_t>(i)];
}

int ViewProperties::chosenLamp() const
{
    return std::max(0, lampSelector->currentIndex()) + 1;
}

void ViewProperties::lampchanged(int indexlamp)
{
    if (indexlamp < 0 || indexlamp >= lampCount())
        return;
    const Lamp &lamp = lamps[static_cast<size_t>(indexlamp)];
    const QSignalBlocker b1(radiusBox);
    const QSignalBlocker b2(thetaBox);
    const QSignalBlocker b3(phiBox);
    const QSignalBlocker b4(enabledBox);
    radiusBox->setValue(lamp.radius);
    thetaBox->setValue(lamp.azimuth * degreesPerRadian);
    phiBox->setValue(lamp.elevation * degreesPerRadian);
    enabledBox->setChecked(lamp.enabled);
    updateLampButtons();
}

void ViewProperties::addLamp()
{
    if (lampCount() >= maxLamps)
        return;
    lamps.emplace_back();
    fillLampSelector(lampCount() - 1);
}

void ViewProperties::deleteLamp()
{
    const int i = lampSelector->currentIndex();
    if (lampCount() <= 1 || i < 0 || i >= lampCount())
        return;
    lamps.erase(lamps.begin() + i);
    fillLampSelector(std::min(i, lampCount() - 1));
}

void ViewProperties::radiusChanged(double value)
{
    if (Lamp *lamp = currentLamp())
        lamp->radius = value;
}

void ViewProperties::angletetaChanged(double value)
{
    if (Lamp *lamp = currentLamp())
        lamp->azimuth = value / degreesPerRadian;
}

void ViewProperties::anglefiChanged(double value)
{
    if (Lamp *lamp = currentLamp())
        lamp->elevation = value / degreesPerRadian;
}

void ViewProperties::visibleChanged(bool value)
{
    if (Lamp *lamp = currentLamp())
        lamp->enabled = value;
}

ViewProperties::Values ViewProperties::values() const
{
    Values v;
    v.activeLamp = chosenLamp();
    v.axisX = axisXBox->value();
    v.axisY = axisYBox->value();
    v.axisZ = axisZBox->value();
    v.angleX = angleXBox->value();
    v.angleY = angleYBox->value();
    v.angleZ = angleZBox->value();
    v.screenX = screenXBox->value();
    v.screenY = screenYBox->value();
    v.zoomValue = zoomBox->value();
    v.lamps = lamps;
    return v;
}

} // namespace Ui
