#include "UI/Operations/changevolumevisualizationdialog.h"

#include "Model/Materials/materialfactory.h"
#include "UI/Operations/materialcombo.h"
#include "Util/enumnumbers.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

int component(float value) { return std::clamp(static_cast<int>(value * 255.0f), 0, 255); }

} // namespace

ChangeVolumeVisualizationDialog::ChangeVolumeVisualizationDialog(QWidget *parent,
                                                                 const Core::Operations::VisualizationOptions &o)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change Volume Visualization Options"));
    tabWidget = new QTabWidget(this);

    // Si Visualization
    auto *siTab = new QWidget;
    auto *atomistic = new QGroupBox(QStringLiteral("Atomistic Visualization"), siTab);
    atoms = new QCheckBox(QStringLiteral("Render Si Atoms"), atomistic);
    surfaceAtomsOnly = new QCheckBox(QStringLiteral("Render surface atoms only"), atomistic);
    links = new QCheckBox(QStringLiteral("Render Si atom links"), atomistic);
    unitCellOutlines = new QCheckBox(QStringLiteral("Render Si unit cell outlines"), atomistic);
    unitCells = new QCheckBox(QStringLiteral("Render Si unit cells"), atomistic);
    auto *atomisticLayout = new QVBoxLayout(atomistic);
    for (QCheckBox *box : {atoms, surfaceAtomsOnly, links, unitCellOutlines, unitCells})
        atomisticLayout->addWidget(box);
    auto *voxel = new QGroupBox(QStringLiteral("Voxel Visualization"), siTab);
    emptyOutlines = new QCheckBox(QStringLiteral("Render Empty Voxel Outlines"), voxel);
    (new QVBoxLayout(voxel))->addWidget(emptyOutlines);
    auto *siLayout = new QVBoxLayout(siTab);
    siLayout->addWidget(atomistic);
    siLayout->addWidget(voxel);
    siLayout->addStretch();

    // Film Visualization
    auto *filmTab = new QWidget;
    film = new QComboBox(filmTab);
    fillMaterialCombo(film);
    swatch = new QGraphicsView(filmTab);
    swatch->setStyleSheet(QStringLiteral("background-color : #000000"));
    swatch->setFixedSize(60, 30);
    changeColour = new QPushButton(QStringLiteral("Change Color"), filmTab);
    changeColour->setAutoDefault(false);
    auto *filmForm = new QFormLayout;
    filmForm->addRow(QStringLiteral("Material"), film);
    auto *swatchRow = new QHBoxLayout;
    swatchRow->addWidget(swatch);
    swatchRow->addWidget(changeColour);
    swatchRow->addStretch();
    auto *filmLayout = new QVBoxLayout(filmTab);
    filmLayout->addLayout(filmForm);
    filmLayout->addLayout(swatchRow);
    filmLayout->addStretch();
    for (const Model::Materials::Material &m : Model::Materials::MaterialFactory::instance()->getMaterials())
        colourMap[m.id] = {m.color[0], m.color[1], m.color[2], m.color[3]};

    // Surface Generation
    auto *surfaceTab = new QWidget;
    algorithm = new QComboBox(surfaceTab);
    algorithm->addItems({QStringLiteral("Direct Cubic Surface Generation"), QStringLiteral("Marching Cubes"),
                         QStringLiteral("Octree Surface Generation"), QStringLiteral("Particle Count Field View")});
    distribution = new QComboBox(surfaceTab);
    distribution->addItems({QStringLiteral("Particle Distribution for N-Type Dopants"),
                            QStringLiteral("Particle Distribution for P-Type Dopants"),
                            QStringLiteral("Particle Distribution Signed Sum of Dopants")});
    colourScale = new QComboBox(surfaceTab);
    colourScale->addItems({QStringLiteral("Gray Scale"), QStringLiteral("Red to Blue"), QStringLiteral("Yellow to Blue")});
    distributionLabel = new QLabel(QStringLiteral("Distribution to Render"), surfaceTab);
    colourScaleLabel = new QLabel(QStringLiteral("Color Scale"), surfaceTab);
    auto *surfaceForm = new QFormLayout(surfaceTab);
    surfaceForm->addRow(QStringLiteral("Surface Generation Algorithm"), algorithm);
    surfaceForm->addRow(distributionLabel, distribution);
    surfaceForm->addRow(colourScaleLabel, colourScale);

    tabWidget->addTab(siTab, QStringLiteral("Si Visualization"));
    tabWidget->addTab(filmTab, QStringLiteral("Film Visualization"));
    tabWidget->addTab(surfaceTab, QStringLiteral("Surface Generation"));
    tabWidget->setCurrentIndex(0);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabWidget);
    layout->addWidget(buttons);

    atoms->setChecked(o.renderAtoms);
    surfaceAtomsOnly->setChecked(o.renderSurfaceAtomsOnly);
    links->setChecked(o.renderAtomLinks);
    unitCells->setChecked(o.renderUnitCells);
    unitCellOutlines->setChecked(o.renderUnitCellOutlines);
    emptyOutlines->setChecked(o.emptyVoxelOutlines);
    // The lists hold the choices in the order of their numbers.
    algorithm->setCurrentIndex(Util::toNumber(o.mode));
    distribution->setCurrentIndex(Util::toNumber(o.distribution));
    colourScale->setCurrentIndex(Util::toNumber(o.colourScale));
    surfaceAtomsOnly->setEnabled(o.renderAtoms);
    enableFieldControls();
    showSwatch();

    connect(atoms, &QCheckBox::toggled, surfaceAtomsOnly, &QWidget::setEnabled);
    connect(algorithm, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ChangeVolumeVisualizationDialog::enableFieldControls);
    connect(film, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ChangeVolumeVisualizationDialog::showSwatch);
    connect(changeColour, &QPushButton::clicked, this, &ChangeVolumeVisualizationDialog::changeFilmColor);
}

Core::Operations::VisualizationOptions ChangeVolumeVisualizationDialog::options() const
{
    Core::Operations::VisualizationOptions o;
    o.renderAtoms = atoms->isChecked();
    o.renderSurfaceAtomsOnly = surfaceAtomsOnly->isChecked();
    o.renderAtomLinks = links->isChecked();
    o.renderUnitCells = unitCells->isChecked();
    o.renderUnitCellOutlines = unitCellOutlines->isChecked();
    o.emptyVoxelOutlines = emptyOutlines->isChecked();
    using namespace Model::Automaton;
    o.mode = Util::fromNumber(algorithm->currentIndex(), surfaceModes).value_or(SurfaceMode::DirectCubic);
    o.distribution = Util::fromNumber(distribution->currentIndex(), fieldDistributions).value_or(FieldDistribution::TypeN);
    o.colourScale = Util::fromNumber(colourScale->currentIndex(), colorScaleTypes).value_or(ColorScaleType::GrayScale);
    return o;
}

QString ChangeVolumeVisualizationDialog::swatchStyle(const Colour &c)
{
    return QStringLiteral("background-color : #%1%2%3")
        .arg(component(c[0]), 2, 16, QLatin1Char('0'))
        .arg(component(c[1]), 2, 16, QLatin1Char('0'))
        .arg(component(c[2]), 2, 16, QLatin1Char('0'));
}

void ChangeVolumeVisualizationDialog::enableFieldControls()
{
    const bool field = algorithm->currentIndex() == Util::toNumber(Model::Automaton::SurfaceMode::FieldView);
    for (QWidget *w : {static_cast<QWidget *>(distributionLabel), static_cast<QWidget *>(distribution),
                       static_cast<QWidget *>(colourScaleLabel), static_cast<QWidget *>(colourScale)})
        w->setEnabled(field);
}

void ChangeVolumeVisualizationDialog::showSwatch()
{
    const auto it = colourMap.find(film->currentData().toUInt());
    if (it != colourMap.end())
        swatch->setStyleSheet(swatchStyle(it->second));
}

void ChangeVolumeVisualizationDialog::changeFilmColor()
{
    const auto it = colourMap.find(film->currentData().toUInt());
    if (it == colourMap.end())
        return;
    const Colour &c = it->second;
    const QColor chosen = QColorDialog::getColor(QColor::fromRgbF(c[0], c[1], c[2], c[3]), this,
                                                 QStringLiteral("Select new film color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return;
    it->second = {static_cast<float>(chosen.redF()), static_cast<float>(chosen.greenF()),
                  static_cast<float>(chosen.blueF()), static_cast<float>(chosen.alphaF())};
    showSwatch();
}

} // namespace Operations
} // namespace Ui
