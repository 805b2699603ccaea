#pragma once

#include "Core/Processes/processdescriptor.h"
#include "UI/Operations/processdialog.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLayout;
class QPushButton;
class QSpinBox;

namespace Ui {
namespace Operations {

// The common frame of the process options dialogs: a form of labelled fields above OK
// and Cancel. Built from a process's descriptor it shows every field of the process,
// with the field's label, range, default, unit and help; a dialog with a layout of its
// own adds its fields in its constructor, the described ones through addField().
class FilmOptionsDialog : public ProcessDialog
{
    Q_OBJECT
public:
    // The options of a described process: one row per field, in its dialog order.
    explicit FilmOptionsDialog(const Core::Processes::ProcessDescriptor &process, QWidget *parent = nullptr);

    // The values of the fields added by addField(), by field key.
    void writeValues(Core::Processes::ParameterSet &values) const override;
    // Sets the fields added by addField() from process-list parameters; absent keys
    // leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters) override;

    // The field's box, or nullptr when the dialog has no such field of that kind.
    QDoubleSpinBox *numberBox(const QString &key) const;
    QSpinBox *countBox(const QString &key) const;
    QComboBox *materialBox(const QString &key) const;
    QPushButton *okButtonWidget() const { return okButton; }

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

    // A row for a described field: a spin box (whole numbers without decimals) or the
    // list of the materials the field accepts.
    QWidget *addField(const Core::Processes::ProcessDescriptor &process, const Core::Processes::ParameterField &field);
    // Binds a box the dialog laid out itself to a described field: writeValues() and
    // preset() treat it as one added by addField().
    void bindField(const Core::Processes::ParameterField &field, QWidget *widget);

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
    void addRow(QWidget *label, QWidget *field);
    // A row of several widgets under one label, whose buddy is `buddy`.
    void addRow(const QString &label, QLayout *row, QWidget *buddy);

private:
    struct BoundField
    {
        Core::Processes::ParameterField field;
        QWidget *widget;
    };
    const BoundField *bound(const QString &key) const;
    // OK stays disabled while any of the material lists is empty: there is nothing to
    // deposit or etch.
    void needMaterial(QComboBox *combo);

    std::vector<QComboBox *> materialLists;

    std::vector<BoundField> boundFields;
    QFormLayout *form;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
