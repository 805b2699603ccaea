#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>

class QComboBox;
class QPushButton;
class QSpinBox;

namespace Core {
namespace Operations {
class SpinCoatingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of Spin Coating ("Pour Material"): the material and the height, in cells, up
// to which the empty cells are filled; the height reaches at most the top of the volume.
class SpinCoatingOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // `volumeHeight` is the chosen volume's sizeZ (0 when no volume is chosen).
    explicit SpinCoatingOptionsDialog(uint32_t volumeHeight, QWidget *parent = nullptr);

    // Sets the fields from process-list parameters: "Maximum Height", the material by
    // "Material_Id" or "Material".
    void preset(const QMap<QString, QVariant> &parameters);
    void applyTo(Core::Operations::SpinCoatingOperation &operation) const;

    int getHeight() const;
    quint32 getMaterial() const;

    QComboBox *materialBox() const { return material; }
    QSpinBox *heightBox() const { return height; }
    QPushButton *okButtonWidget() const { return okButton; }

private:
    QComboBox *material;
    QSpinBox *height;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
