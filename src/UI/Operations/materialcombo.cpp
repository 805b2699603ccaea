#include "UI/Operations/materialcombo.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QColor>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QIcon>
#include <QPixmap>

namespace Ui {
namespace Operations {

namespace {

QIcon swatch(const Model::Materials::Material &m)
{
    QPixmap pixmap(100, 100);
    pixmap.fill(QColor::fromRgbF(m.color[0], m.color[1], m.color[2], m.color[3]));
    return QIcon(pixmap);
}

} // namespace

void fillMaterialCombo(QComboBox *combo, const std::vector<quint32> &ids)
{
    auto catalogue = Model::Materials::MaterialFactory::instance();
    std::vector<Model::Materials::Material> materials;
    if (ids.empty()) {
        materials = catalogue->getMaterials();
    } else {
        for (quint32 id : ids)
            materials.push_back(catalogue->getMaterial(id));
    }
    for (const auto &m : materials)
        combo->addItem(swatch(m), m.name, m.id);
}

void fillDopantCombo(QComboBox *combo, int32_t processId)
{
    constexpr quint32 silicon = 1;
    constexpr quint32 polySilicon = 16;
    std::vector<quint32> ids;
    for (uint32_t id : Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterials) {
        if (id != silicon && id != polySilicon)
            ids.push_back(id);
    }
    fillMaterialCombo(combo, ids);
}

QDialogButtonBox *okCancelNeedingMaterial(QDialog *dialog, QComboBox *materials)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    auto follow = [ok, materials] { ok->setEnabled(materials->count() > 0); };
    QObject::connect(materials->model(), &QAbstractItemModel::rowsInserted, buttons, follow);
    QObject::connect(materials->model(), &QAbstractItemModel::rowsRemoved, buttons, follow);
    QObject::connect(materials->model(), &QAbstractItemModel::modelReset, buttons, follow);
    follow();
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace Operations
} // namespace Ui
