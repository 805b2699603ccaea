#pragma once

#include "Core/Processes/processdescriptor.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>
#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Core {
namespace Operations {
class RandomWalkDopingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of random-walk doping, in the units a process engineer types: D in cm^2/s,
// the cell size in um, the time step in s, the surface concentration in cm^-3, the
// threshold in percent of it and the doping time in minutes. Leaving the cell size or
// the time step recomputes D, leaving D recomputes the time step, so that particles
// stay in a cell with probability 0.5. Numbers are shown with 6 significant digits; a
// value nobody edited keeps its full precision. OK stays disabled, with the reason
// shown, while the values cannot be simulated.
class RandomWalkDopingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RandomWalkDopingDialog(QWidget *parent = nullptr);

    // Hands the values, in SI units, to the operation.
    void applyTo(Core::Operations::RandomWalkDopingOperation &operation) const;

    // Sets the fields from process-list parameters (SI units); absent keys leave them.
    void preset(const QMap<QString, QVariant> &parameters);

    QComboBox *materialBox() const { return material; }
    QLineEdit *diffusionEdit() const { return edits[diffusion]; }
    QLineEdit *cellSizeEdit() const { return edits[cellSize]; }
    QLineEdit *timeStepEdit() const { return edits[timeStep]; }
    QLineEdit *concentrationEdit() const { return edits[concentration]; }
    QDoubleSpinBox *thresholdBox() const { return threshold; }
    QDoubleSpinBox *timeBox() const { return time; }
    QLabel *problemLabel() const { return problem; }
    QPushButton *okButton() const { return ok; }

    // The values in SI units.
    quint32 getDopantMaterial() const;
    double getDiffusionCoefficient() const; // m^2/s
    double getCellSize() const;             // m
    double getTimeStep() const;             // s
    double getSurfaceConcentration() const; // m^-3
    double getDopingThreshold() const;      // m^-3
    double getDopingTime() const;           // s

private:
    static const Core::Processes::ProcessDescriptor &descriptor();
    enum Field { diffusion, cellSize, timeStep, concentration, fieldCount };

    // The field's value in the dialog's unit: the text once edited, else the value set.
    double value(Field field) const;
    void setValue(Field field, double v);
    void fieldLeft(Field field);
    void updateState();

    QComboBox *material;
    std::array<QLineEdit *, fieldCount> edits{};
    std::array<double, fieldCount> values{};
    QDoubleSpinBox *threshold;
    QDoubleSpinBox *time;
    QLabel *problem;
    QPushButton *ok;
};

} // namespace Operations
} // namespace Ui
