#pragma once

#include "UI/Operations/processdialog.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QDoubleSpinBox;
class QLabel;

namespace Ui {
namespace Operations {

// Options of the two silicon wet etches: how far the (100) surface is etched down.
class WetEtchDialog : public ProcessDialog
{
    Q_OBJECT
public:

    explicit WetEtchDialog(QWidget *parent = nullptr);

    // The depth, as "Depth".
    void writeValues(Core::Processes::ParameterSet &values) const override;
    // Sets the depth from a process-list step's "Depth", when it holds a number.
    void preset(const QMap<QString, QVariant> &parameters) override;

    QDoubleSpinBox *depthBox() const { return depth; }
    QLabel *depthLabel() const { return label; }
    double getDepth() const;

private:
    QLabel *label;
    QDoubleSpinBox *depth;
};

} // namespace Operations
} // namespace Ui
