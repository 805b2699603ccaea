#pragma once

#include <QtGlobal>
#include <vector>

class QComboBox;

namespace Ui {
namespace Operations {

// Fills a combo box with catalogue materials: name, a 100 x 100 swatch of the colour,
// and the material id as item data. With `ids` empty every material is listed, in
// catalogue order; otherwise only those ids, in the given order.
void fillMaterialCombo(QComboBox *combo, const std::vector<quint32> &ids = {});

} // namespace Operations
} // namespace Ui
