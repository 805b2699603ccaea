#include "UI/Operations/materialcombo.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QColor>
#include <QComboBox>
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

} // namespace Operations
} // namespace Ui
