#include "UI/Catalogue/materialtableviewitem.h"

#include <QColor>
#include <algorithm>
#include <utility>

namespace Ui {

using Model::Materials::Material;

namespace {

int byte(float component) { return std::clamp(static_cast<int>(component * 255.0f), 0, 255); }

} // namespace

MaterialTableViewItem::MaterialTableViewItem(std::vector<Material> materials, QObject *parent)
    : QAbstractTableModel(parent), list(std::move(materials))
{
}

int MaterialTableViewItem::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list.size());
}

int MaterialTableViewItem::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant MaterialTableViewItem::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    const Material &m = list[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case IdColumn:
        return QVariant::fromValue(static_cast<uint>(m.id));
    case NameColumn:
        return m.name;
    case ColorColumn:
        return QColor(byte(m.color[0]), byte(m.color[1]), byte(m.color[2]), byte(m.color[3]));
    default:
        return QVariant();
    }
}

QVariant MaterialTableViewItem::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return QStringLiteral("%1").arg(section + 1);
    switch (section) {
    case IdColumn:
        return QStringLiteral("Material Id");
    case NameColumn:
        return QStringLiteral("Material Name");
    case ColorColumn:
        return QStringLiteral("Color");
    default:
        return QStringLiteral("Column %1").arg(section);
    }
}

Qt::ItemFlags MaterialTableViewItem::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool userMaterial = list[static_cast<size_t>(index.row())].id >= firstUserId;
    if (index.column() == ColorColumn || (index.column() == NameColumn && userMaterial))
        f |= Qt::ItemIsEditable;
    return f;
}

bool MaterialTableViewItem::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() ||
        !(flags(index) & Qt::ItemIsEditable))
        return false;
    Material &m = list[static_cast<size_t>(index.row())];
    if (index.column() == NameColumn) {
        const QString name = value.toString();
        if (name.trimmed().isEmpty())
            return false;
        m.name = name;
    } else {
        const QColor c = value.value<QColor>();
        if (!c.isValid())
            return false;
        m.color[0] = static_cast<float>(c.red()) / 255.0f;
        m.color[1] = static_cast<float>(c.green()) / 255.0f;
        m.color[2] = static_cast<float>(c.blue()) / 255.0f;
        m.color[3] = static_cast<float>(c.alpha()) / 255.0f;
    }
    emit dataChanged(index, index, {Qt::DisplayRole});
    return true;
}

void MaterialTableViewItem::appendMaterial(const Material &material)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    list.push_back(material);
    endInsertRows();
}

bool MaterialTableViewItem::containsId(uint32_t id) const
{
    return std::any_of(list.begin(), list.end(), [id](const Material &m) { return m.id == id; });
}

} // namespace Ui
