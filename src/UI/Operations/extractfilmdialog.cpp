#include "UI/Operations/extractfilmdialog.h"

#include "UI/Operations/materialcombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

ExtractFilmDialog::ExtractFilmDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Extract Film"));
    setModal(true);
    materials = new QComboBox;
    fillMaterialCombo(materials);
    flip = new QCheckBox(tr("Invert film after extraction"));

    auto *form = new QFormLayout;
    form->addRow(tr("Select Film to Extract"), materials);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(flip);
    layout->addWidget(okCancelNeedingMaterial(this, materials));
}

uint32_t ExtractFilmDialog::getMaterialId() const { return materials->currentData().toUInt(); }

bool ExtractFilmDialog::getFlip() const { return flip->isChecked(); }

} // namespace Operations
} // namespace Ui
