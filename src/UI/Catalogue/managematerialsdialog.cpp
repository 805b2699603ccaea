#include "UI/Catalogue/managematerialsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "UI/Catalogue/coloritemdelegate.h"
#include "UI/Catalogue/materialtableviewitem.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace Ui {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

// The table answers the display role only, so the name editor is filled from it: the
// user corrects the name rather than typing it again from nothing. A row is as tall as
// the editor, which opens in place.
class NameItemDelegate : public QStyledItemDelegate
{
public:
    explicit NameItemDelegate(QWidget *view) : QStyledItemDelegate(view)
    {
        QLineEdit editor(view);
        editorHeight = editor.sizeHint().height();
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, editorHeight));
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setText(index.data(Qt::DisplayRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    int editorHeight = 0;
};

} // namespace

ManageMaterialsDialog::ManageMaterialsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Manage Materials"));
    table = new MaterialTableViewItem(MaterialFactory::instance()->getMaterials(), this);

    view = new QTableView(this);
    view->setObjectName(QStringLiteral("tableView"));
    view->setModel(table);
    view->setItemDelegateForColumn(MaterialTableViewItem::NameColumn, new NameItemDelegate(view));
    view->setItemDelegateForColumn(MaterialTableViewItem::ColorColumn, new ColorItemDelegate(view));
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::SelectedClicked);
    view->setAlternatingRowColors(true);
    // Names stay on one line: a row sized while its column was still narrow would
    // otherwise keep the height of a wrapped name.
    view->setWordWrap(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(MaterialTableViewItem::IdColumn, QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(MaterialTableViewItem::NameColumn, QHeaderView::Stretch);
    // As wide as the colour's name beside its swatch, in the font the view is shown in.
    view->horizontalHeader()->setSectionResizeMode(MaterialTableViewItem::ColorColumn,
                                                   QHeaderView::ResizeToContents);

    btnAddMaterial = new QPushButton(QStringLiteral("Add Material"), this);
    btnAddMaterial->setObjectName(QStringLiteral("btnAddMaterial"));
    btnAddMaterial->setAutoDefault(false);
    connect(btnAddMaterial, &QPushButton::clicked, this, &ManageMaterialsDialog::on_btnAddMaterial_clicked);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout();
    bottom->addWidget(btnAddMaterial);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addLayout(bottom);
    resize(520, 520);
}

const std::vector<Material> &ManageMaterialsDialog::materials() const { return table->materials(); }

void ManageMaterialsDialog::on_btnAddMaterial_clicked()
{
    // The catalogue knows nothing yet of the rows added here: an id drawn twice is
    // drawn again.
    const auto catalogue = MaterialFactory::instance();
    uint32_t id = catalogue->generateUniqueMaterialId();
    for (int attempt = 0; attempt < 100000 && id != 0 && table->containsId(id); ++attempt)
        id = catalogue->generateUniqueMaterialId();
    if (id == 0 || table->containsId(id))
        return; // every user id is taken

    Material m;
    m.id = id;
    m.name = QStringLiteral("New Material");
    m.density = 1.0f;
    m.youngModulus = 1.0f;
    m.poissonRatio = 1.0f;
    m.color[0] = m.color[1] = m.color[2] = 0.5f;
    m.color[3] = 1.0f;
    table->appendMaterial(m);

    const QModelIndex name = table->index(table->rowCount() - 1, MaterialTableViewItem::NameColumn);
    view->setCurrentIndex(name);
    view->scrollTo(name);
}

} // namespace Ui
