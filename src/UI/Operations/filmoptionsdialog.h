#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QPushButton;

namespace Ui {
namespace Operations {

// The common frame of the deposition and etching options dialogs: a form of labelled
// fields above OK and Cancel. Subclasses add their fields in their constructor.
class FilmOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // "<name of catalogue process processId> Options".
    static QString processTitle(int processId);
    // The material ids the process catalogue allows for a process, leaving out ids the
    // material catalogue does not hold.
    static std::vector<quint32> processMaterials(int processId);
    // Every material id of the material catalogue.
    static std::vector<quint32> allMaterials();

    // Selects the item whose id is parameters[idKey], or else whose text is
    // parameters[nameKey]; nothing changes when neither matches.
    static void presetMaterial(QComboBox *combo, const QMap<QString, QVariant> &parameters,
                               const QString &idKey, const QString &nameKey);
    // Sets the box from parameters[key] when it holds a number.
    static void presetNumber(QDoubleSpinBox *box, const QMap<QString, QVariant> &parameters,
                             const QString &key);

protected:
    explicit FilmOptionsDialog(QWidget *parent);

    // A thickness or depth: 0 to 1e9, default 10, suffix " units".
    QDoubleSpinBox *addLength(const QString &label, int decimals = 2);
    // "Horizontal ratio": 3 decimals, `minimum` to 1e9, default 0.5.
    QDoubleSpinBox *addRatio(double minimum);
    // A list of the given materials with colour icons. While a list is empty, OK stays
    // disabled: there is nothing to deposit or etch.
    QComboBox *addMaterialList(const QString &label, const std::vector<quint32> &ids);
    // The dopants of a doping process (fillDopantCombo); OK stays disabled while empty.
    QComboBox *addDopantList(const QString &label, int processId);
    void addRow(const QString &label, QWidget *field);
    void addRow(QWidget *field);

private:
    QFormLayout *form;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
