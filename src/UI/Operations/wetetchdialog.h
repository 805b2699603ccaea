#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QDoubleSpinBox;
class QLabel;

namespace Core {
namespace Operations {
class AtomisticWetEtchOperation;
class ContinuousWetEtchOperation;
} // namespace Operations
} // namespace Core

namespace Ui {
namespace Operations {

// Options of the two silicon wet etches: how far the (100) surface is etched down.
class WetEtchDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString helpText;

    explicit WetEtchDialog(QWidget *parent = nullptr);

    // Hands the depth to the operation.
    void applyTo(Core::Operations::AtomisticWetEtchOperation &operation) const;
    void applyTo(Core::Operations::ContinuousWetEtchOperation &operation) const;

    // Sets the depth from a process-list step's "Depth", when it holds a number.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *depthBox() const { return depth; }
    QLabel *depthLabel() const { return label; }
    double getDepth() const;

private:
    QLabel *label;
    QDoubleSpinBox *depth;
};

} // namespace Operations
} // namespace Ui
