#pragma once

#include "UI/Operations/filmoptionsdialog.h"

class QRadioButton;

namespace Ui {
namespace Operations {

// Options of silicon oxidation: either the oxide thickness, or the time, temperature
// and pressure of a dry oxidation; each choice enables its own fields. Also the length
// units of the cell volume per micron.
class SimpleOxidationOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit SimpleOxidationOptionsDialog(QWidget *parent = nullptr);

    // The choice ("OxidationTimeSet"), the conversion and the values of the chosen way.
    void writeValues(Core::Processes::ParameterSet &values) const override;
    // Sets the fields and the choice from process-list parameters; absent keys leave
    // them as they are.
    void preset(const QMap<QString, QVariant> &parameters) override;

    QRadioButton *thicknessChoice() const { return thicknessButton; }
    QRadioButton *timeChoice() const { return timeButton; }
    QDoubleSpinBox *thicknessBox() const { return thickness; }
    QDoubleSpinBox *timeBox() const { return time; }
    QDoubleSpinBox *temperatureBox() const { return temperature; }
    QDoubleSpinBox *pressureBox() const { return pressure; }
    QDoubleSpinBox *conversionBox() const { return conversion; }
    bool isTimeSet() const;

private:
    void updateEnabled();

    const Core::Processes::ProcessDescriptor &process;
    QRadioButton *thicknessButton;
    QRadioButton *timeButton;
    QDoubleSpinBox *thickness;
    QDoubleSpinBox *time;
    QDoubleSpinBox *temperature;
    QDoubleSpinBox *pressure;
    QDoubleSpinBox *conversion;
};

} // namespace Operations
} // namespace Ui
