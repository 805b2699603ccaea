#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QDoubleSpinBox;
class QLabel;

namespace Core {
namespace Operations {
class AtomisticSiWetEtchingOperation;
class ContinousWetEtchOperation;
} // namespace Operations
} // namespace Core

namespace Ui {
namespace Operations {

// Options of the two silicon wet etches: how far the (100) surface is etched down.
class BCAEtchingDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString helpText;

    explicit BCAEtchingDialog(QWidget *parent = nullptr);

    // Hands the depth to the operation.
    void applyTo(Core::Operations::AtomisticSiWetEtchingOperation &operation) const;
    void applyTo(Core::Operations::ContinousWetEtchOperation &operation) const;

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
