#pragma once

#include "Core/Operations/Visualization/changetotalvolumevisualizationoptions.h"

#include <QDialog>
#include <array>
#include <map>

class QCheckBox;
class QComboBox;
class QGraphicsView;
class QLabel;
class QPushButton;
class QTabWidget;

namespace Ui {
namespace Operations {

// What a cell volume's painter draws, on three tabs: the lattice switches and
// empty-cell outlines, the material colours, and the surface generator with the field
// view's distribution and colour scale.
class ChangeVolumeVisualizationDialog : public QDialog
{
    Q_OBJECT
public:
    using Colour = std::array<float, 4>;

    ChangeVolumeVisualizationDialog(QWidget *parent, const Core::Operations::VisualizationOptions &current);

    Core::Operations::VisualizationOptions options() const;
    // Material id -> colour (red, green, blue, alpha in 0..1), as edited.
    const std::map<uint32_t, Colour> &colours() const { return colourMap; }
    // The swatch's style sheet text for a colour.
    static QString swatchStyle(const Colour &colour);

    QTabWidget *tabs() const { return tabWidget; }
    QCheckBox *atomsBox() const { return atoms; }
    QCheckBox *surfaceAtomsOnlyBox() const { return surfaceAtomsOnly; }
    QCheckBox *linksBox() const { return links; }
    QCheckBox *unitCellOutlinesBox() const { return unitCellOutlines; }
    QCheckBox *unitCellsBox() const { return unitCells; }
    QCheckBox *emptyOutlinesBox() const { return emptyOutlines; }
    QComboBox *algorithmBox() const { return algorithm; }
    QComboBox *distributionBox() const { return distribution; }
    QComboBox *colourScaleBox() const { return colourScale; }
    QComboBox *filmBox() const { return film; }
    QGraphicsView *swatchView() const { return swatch; }
    QPushButton *changeColourButton() const { return changeColour; }

public slots:
    void changeFilmColor();

private:
    void showSwatch();
    void enableFieldControls();

    QTabWidget *tabWidget;
    QCheckBox *atoms;
    QCheckBox *surfaceAtomsOnly;
    QCheckBox *links;
    QCheckBox *unitCellOutlines;
    QCheckBox *unitCells;
    QCheckBox *emptyOutlines;
    QComboBox *algorithm;
    QLabel *distributionLabel;
    QComboBox *distribution;
    QLabel *colourScaleLabel;
    QComboBox *colourScale;
    QComboBox *film;
    QGraphicsView *swatch;
    QPushButton *changeColour;
    std::map<uint32_t, Colour> colourMap;
};

} // namespace Operations
} // namespace Ui
