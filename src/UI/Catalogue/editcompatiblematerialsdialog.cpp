#include "UI/Catalogue/editcompatiblematerialsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace Ui {

using Model::Materials::Material;
using Model::Process::Process;

namespace {

QListWidget *materialList(const QString &objectName, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setMinimumWidth(200);
    return list;
}

// The ids of the selected rows, in list order.
std::vector<uint32_t> selectedIds(QListWidget *list)
{
    std::vector<uint32_t> ids;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            ids.push_back(list->item(row)->data(Qt::UserRole).toUInt());
    return ids;
}

} // namespace

EditCompatibleMaterialsDialog::EditCompatibleMaterialsDialog(QWidget *parent)
    : QDialog(parent), list(Model::Process::ProcessFactory::instance()->getProcesses()),
      materials(Model::Materials::MaterialFactory::instance()->getMaterials())
{
    setWindowTitle(QStringLiteral("Edit Compatible Materials"));

    cbxProcess = new QComboBox(this);
    cbxProcess->setObjectName(QStringLiteral("cbxProcess"));
    for (const Process &p : list)
        cbxProcess->addItem(p.name, p.id);
    auto *processLabel = new QLabel(QStringLiteral("Process"), this);
    processLabel->setBuddy(cbxProcess);

    lstAvailable = materialList(QStringLiteral("lstAvailable"), this);
    lstCompatible = materialList(QStringLiteral("lstCompatible"), this);
    auto *availableLabel = new QLabel(QStringLiteral("Available Materials"), this);
    availableLabel->setBuddy(lstAvailable);
    auto *compatibleLabel = new QLabel(QStringLiteral("Compatible Materials"), this);
    compatibleLabel->setBuddy(lstCompatible);

    btnInsert = new QPushButton(QStringLiteral(">>"), this);
    btnInsert->setObjectName(QStringLiteral("btnInsert"));
    btnRemove = new QPushButton(QStringLiteral("<<"), this);
    btnRemove->setObjectName(QStringLiteral("btnRemove"));
    for (QPushButton *b : {btnInsert, btnRemove})
        b->setAutoDefault(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *processRow = new QHBoxLayout();
    processRow->addWidget(processLabel);
    processRow->addWidget(cbxProcess, 1);

    auto *moves = new QVBoxLayout();
    moves->addStretch(1);
    moves->addWidget(btnInsert);
    moves->addWidget(btnRemove);
    moves->addStretch(1);

    auto *grid = new QGridLayout();
    grid->addWidget(availableLabel, 0, 0);
    grid->addWidget(compatibleLabel, 0, 2);
    grid->addWidget(lstAvailable, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(lstCompatible, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(processRow);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(560, 420);

    connect(cbxProcess, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EditCompatibleMaterialsDialog::on_cbxProcess_currentIndexChanged);
    connect(btnInsert, &QPushButton::clicked, this, &EditCompatibleMaterialsDialog::on_btnInsert_clicked);
    connect(btnRemove, &QPushButton::clicked, this, &EditCompatibleMaterialsDialog::on_btnRemove_clicked);
    connect(lstAvailable, &QListWidget::itemSelectionChanged, this, &EditCompatibleMaterialsDialog::updateButtons);
    connect(lstCompatible, &QListWidget::itemSelectionChanged, this, &EditCompatibleMaterialsDialog::updateButtons);

    on_cbxProcess_currentIndexChanged(cbxProcess->currentIndex());
}

Process *EditCompatibleMaterialsDialog::current()
{
    if (currentIndex < 0 || currentIndex >= static_cast<int>(list.size()))
        return nullptr;
    Process *p = &list[static_cast<size_t>(currentIndex)];
    return p->id == 0 ? nullptr : p;
}

void EditCompatibleMaterialsDialog::on_cbxProcess_currentIndexChanged(int index)
{
    currentIndex = -1;
    if (index >= 0 && index < cbxProcess->count()) {
        const int32_t id = cbxProcess->itemData(index).toInt();
        const auto it = std::find_if(list.begin(), list.end(), [id](const Process &p) { return p.id == id; });
        if (it != list.end())
            currentIndex = static_cast<int>(it - list.begin());
    }
    refreshLists();
}

void EditCompatibleMaterialsDialog::on_btnInsert_clicked()
{
    Process *p = current();
    if (!p)
        return;
    for (uint32_t id : selectedIds(lstAvailable))
        p->compatibleMaterials.push_back(id);
    lstAvailable->clearSelection();
    lstCompatible->clearSelection();
    refreshLists();
}

void EditCompatibleMaterialsDialog::on_btnRemove_clicked()
{
    Process *p = current();
    if (!p)
        return;
    std::vector<uint32_t> &ids = p->compatibleMaterials;
    for (uint32_t id : selectedIds(lstCompatible))
        ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
    lstAvailable->clearSelection();
    lstCompatible->clearSelection();
    refreshLists();
}

QString EditCompatibleMaterialsDialog::materialName(uint32_t id) const
{
    const auto it = std::find_if(materials.begin(), materials.end(), [id](const Material &m) { return m.id == id; });
    // A process file may name a material this catalogue lacks: say which id it is
    // rather than showing it as "Empty".
    return it != materials.end() ? it->name : QStringLiteral("Unknown material %1").arg(id);
}

void EditCompatibleMaterialsDialog::refreshLists()
{
    const Process *p = current();
    if (p) {
        lstCompatible->clear();
        for (uint32_t id : p->compatibleMaterials) {
            auto *item = new QListWidgetItem(materialName(id), lstCompatible);
            item->setData(Qt::UserRole, id);
        }
        lstAvailable->clear();
        for (const Material &m : materials) {
            if (std::find(p->compatibleMaterials.begin(), p->compatibleMaterials.end(), m.id) !=
                p->compatibleMaterials.end())
                continue;
            auto *item = new QListWidgetItem(m.name, lstAvailable);
            item->setData(Qt::UserRole, m.id);
        }
    }
    updateButtons();
}

void EditCompatibleMaterialsDialog::updateButtons()
{
    const bool editable = current() != nullptr;
    btnInsert->setEnabled(editable && !lstAvailable->selectedItems().isEmpty());
    btnRemove->setEnabled(editable && !lstCompatible->selectedItems().isEmpty());
}

} // namespace Ui
