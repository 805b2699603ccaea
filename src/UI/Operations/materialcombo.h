#pragma once

#include <QtGlobal>
#include <cstdint>
#include <vector>

class QComboBox;
class QDialog;
class QDialogButtonBox;

namespace Ui {
namespace Operations {

// Fills a combo box with catalogue materials: name, a 100 x 100 swatch of the colour,
// and the material id as item data. With `ids` empty every material is listed, in
// catalogue order; otherwise only those ids, in the given order.
void fillMaterialCombo(QComboBox *combo, const std::vector<quint32> &ids = {});

// Fills a combo box with the dopants a doping dialog offers: the materials of the given
// catalogue process (13 simple doping, 15 ion implantation) except Si and Poly-Si.
void fillDopantCombo(QComboBox *combo, int32_t processId);

// OK and Cancel for a dialog that needs a material: OK is enabled only while the list
// holds one; the buttons accept and reject the dialog.
QDialogButtonBox *okCancelNeedingMaterial(QDialog *dialog, QComboBox *materials);

} // namespace Operations
} // namespace Ui
