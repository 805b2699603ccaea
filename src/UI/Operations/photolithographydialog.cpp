#include "UI/Operations/photolithographydialog.h"

#include "Core/Processes/processregistry.h"

#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

const QString PhotolithographyDialog::topFailureText = QStringLiteral(
    "Top Mask file not found!<br/>Please verify the filename is correct and you have the correct permissions.");
const QString PhotolithographyDialog::bottomFailureText = QStringLiteral(
    "Bottom mask not found error!<br/>Please verify if the filename is correct and you have the correct "
    "permissions.");

PhotolithographyDialog::PhotolithographyDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Photolithography Options"));
    auto *layout = new QVBoxLayout(this);
    top = new MaskFileBox(tr("Top Mask"), topFailureText);
    bottom = new MaskFileBox(tr("Bottom Mask"), bottomFailureText);
    layout->addWidget(top);
    layout->addWidget(bottom);

    auto *film = new QGroupBox(tr("Select Film"));
    auto *filmLayout = new QFormLayout(film);
    material = new QComboBox;
    fillMaterialCombo(material);
    filmLayout->addRow(tr("Resist"), material);
    layout->addWidget(film);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok = buttons->button(QDialogButtonBox::Ok);
    // Without a material there is nothing to develop.
    ok->setEnabled(material->count() > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(top, &MaskFileBox::maskChanged, this, &PhotolithographyDialog::topMaskChanged);
    connect(bottom, &MaskFileBox::maskChanged, this, &PhotolithographyDialog::bottomMaskChanged);
}

void PhotolithographyDialog::preset(const QMap<QString, QVariant> &parameters)
{
    const auto presetMask = [&parameters](MaskFileBox *box, const QString &fileKey, const QString &widthKey) {
        if (parameters.contains(fileKey) && parameters.value(widthKey).toUInt() != 0) {
            box->fileField()->setText(parameters.value(fileKey).toString());
            box->apply();
        }
    };
    presetMask(top, QStringLiteral("Top Mask File"), QStringLiteral("Top Mask Width"));
    presetMask(bottom, QStringLiteral("Bottom Mask File"), QStringLiteral("Bottom Mask Width"));
    const Core::Processes::ParameterField &resist =
        *Core::Processes::ProcessRegistry::instance().byBatchType(0)->field(QStringLiteral("Material"));
    int index = -1;
    if (parameters.contains(resist.listKey()))
        index = material->findData(parameters.value(resist.listKey()).toUInt());
    else if (parameters.contains(resist.key))
        index = material->findText(parameters.value(resist.key).toString());
    if (index >= 0)
        material->setCurrentIndex(index);
}

const Core::Operations::Mask &PhotolithographyDialog::getTopMask() const { return top->getMask(); }
const Core::Operations::Mask &PhotolithographyDialog::getBottomMask() const { return bottom->getMask(); }
QString PhotolithographyDialog::getTopMaskFile() const { return top->getMaskFile(); }
QString PhotolithographyDialog::getBottomMaskFile() const { return bottom->getMaskFile(); }
quint32 PhotolithographyDialog::getMaterial() const { return material->currentData().toUInt(); }

void PhotolithographyDialog::setColumnCounts(int sizeX, int sizeY)
{
    top->setColumnCounts(sizeX, sizeY);
    bottom->setColumnCounts(sizeX, sizeY);
}

} // namespace Operations
} // namespace Ui
