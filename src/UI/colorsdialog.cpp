#include "UI/colorsdialog.h"

#include "Util/colorsettings.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

namespace {
// The settings behind the four swatches, in swatch order.
const Util::ColorSetting swatchSettings[4] = {Util::ColorSetting::BackgroundColor, Util::ColorSetting::GridColor,
                                              Util::ColorSetting::ObjectColor, Util::ColorSetting::OutlineColor};
const char *const swatchLabels[4] = {"Background Color", "Grid Color", "Default Object Color",
                                     "Default Object Outline Color"};
} // namespace

ColorsDialog::ColorsDialog(QWidget *parent)
    : QDialog(parent), currentVariant(Util::ColorSettings::activeVariant())
{
    setWindowTitle(tr("Change Default Colors"));
    auto *form = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        swatches[i] = new QPushButton;
        swatches[i]->setFixedSize(60, 24);
        connect(swatches[i], &QPushButton::clicked, this, [this, i] { pickColor(i); });
        form->addRow(tr(swatchLabels[i]), swatches[i]);
    }
    auto *defaults = new QPushButton(tr("Load Default Colors"));
    auto *low = new QPushButton(tr("Load Low Color Scheme"));
    connect(defaults, &QPushButton::clicked, this, &ColorsDialog::loadDefaultColors);
    connect(low, &QPushButton::clicked, this, &ColorsDialog::loadLowColorScheme);
    auto *schemes = new QHBoxLayout;
    schemes->addWidget(defaults);
    schemes->addWidget(low);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(schemes);
    layout->addWidget(buttons);
    loadVariant(currentVariant);
}

void ColorsDialog::loadVariant(Util::ColorVariant variant)
{
    currentVariant = variant;
    for (int i = 0; i < 4; ++i) {
        colors[i] = Util::ColorSettings::get(swatchSettings[i], variant);
        showSwatch(i);
    }
}

void ColorsDialog::loadDefaultColors() { loadVariant(Util::ColorVariant::Default); }
void ColorsDialog::loadLowColorScheme() { loadVariant(Util::ColorVariant::LowColor); }

void ColorsDialog::setSwatchColor(int swatch, const Util::Vector4D &color)
{
    colors[swatch] = color;
    currentVariant = Util::ColorVariant::Custom;
    showSwatch(swatch);
}

void ColorsDialog::pickColor(int swatch)
{
    const Util::Vector4D &c = colors[swatch];
    const QColor start(int(c.x * 255), int(c.y * 255), int(c.z * 255), int(c.w * 255));
    const QColor chosen = QColorDialog::getColor(start, this, tr("Select new color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (chosen.isValid())
        setSwatchColor(swatch, Util::Vector4D(chosen.redF(), chosen.greenF(), chosen.blueF(), chosen.alphaF()));
}

void ColorsDialog::showSwatch(int swatch)
{
    const Util::Vector4D &c = colors[swatch];
    auto hex = [](double v) { return QString("%1").arg(int(v * 255) & 0xFF, 2, 16, QLatin1Char('0')); };
    swatches[swatch]->setStyleSheet(QString("background-color : #%1%2%3;\n").arg(hex(c.x), hex(c.y), hex(c.z)) +
                                    QStringLiteral("border: none;"));
}

} // namespace Ui
