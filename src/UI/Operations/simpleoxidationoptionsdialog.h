#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QDoubleSpinBox;
class QPushButton;
class QRadioButton;

namespace Core {
namespace Operations {
class SimpleSiOxidationOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of silicon oxidation: either the oxide thickness, or the time, temperature
// and pressure of a dry oxidation; each choice enables its own fields. Also the length
// units of the cell volume per micron.
class SimpleOxidationOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SimpleOxidationOptionsDialog(QWidget *parent = nullptr);

    // Hands the chosen values to the operation.
    void applyTo(Core::Operations::SimpleSiOxidationOperation &operation) const;
    // Sets the fields and the choice from process-list parameters; absent keys leave
    // them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QRadioButton *thicknessChoice() const { return thicknessButton; }
    QRadioButton *timeChoice() const { return timeButton; }
    QDoubleSpinBox *thicknessBox() const { return thickness; }
    QDoubleSpinBox *timeBox() const { return time; }
    QDoubleSpinBox *temperatureBox() const { return temperature; }
    QDoubleSpinBox *pressureBox() const { return pressure; }
    QDoubleSpinBox *conversionBox() const { return conversion; }
    QPushButton *okButtonWidget() const { return okButton; }

    bool isTimeSet() const;

private:
    void updateEnabled();

    QRadioButton *thicknessButton;
    QRadioButton *timeButton;
    QDoubleSpinBox *thickness;
    QDoubleSpinBox *time;
    QDoubleSpinBox *temperature;
    QDoubleSpinBox *pressure;
    QDoubleSpinBox *conversion;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
