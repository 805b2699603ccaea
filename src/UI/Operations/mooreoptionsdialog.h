#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace Core {
namespace Operations {
class MooreNeighborhoodDepositionOperation;
class MooreNeighborhoodEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of Moore deposition and etching: a count of cells and a material from the
// whole catalogue.
class MooreOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::MooreNeighborhoodDepositionOperation &operation) const;
    void applyTo(Core::Operations::MooreNeighborhoodEtchingOperation &operation) const;

    enum class Mode { Deposition, Etching };

    explicit MooreOptionsDialog(Mode mode, QWidget *parent = nullptr);

    // Sets the fields from process-list parameters ("Thickness" for deposition, "Depth"
    // for etching; the material by "Material_Id" or "Material").
    void preset(const QMap<QString, QVariant> &parameters);

    QSpinBox *countBox() const { return count; }
    QLabel *countLabel() const { return valueLabel; }
    QComboBox *materialBox() const { return material; }
    QPushButton *okButtonWidget() const { return okButton; }
    int getCount() const;
    quint32 getMaterial() const;

private:
    Mode mode;
    QLabel *valueLabel;
    QSpinBox *count;
    QComboBox *material;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
