#pragma once

#include "Model/Materials/material.h"

#include <QAbstractTableModel>
#include <vector>

namespace Ui {

// The material manager's table: a copy of the catalogue's materials, one row each, with
// the columns "Material Id", "Material Name" and "Color". Names of user materials (ids
// from 2000 on) and every colour can be edited; nothing reaches the catalogue until the
// owner writes materials() back.
class MaterialTableViewItem : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { IdColumn = 0, NameColumn = 1, ColorColumn = 2 };
    // Ids from here on belong to materials the user added; their names may change.
    static constexpr uint32_t firstUserId = 2000;

    explicit MaterialTableViewItem(std::vector<Model::Materials::Material> materials,
                                   QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A name must keep at least one visible character (a blank name is refused and the
    // old one stays); a colour must be valid.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Appends one row.
    void appendMaterial(const Model::Materials::Material &material);
    bool containsId(uint32_t id) const;
    const std::vector<Model::Materials::Material> &materials() const { return list; }

private:
    std::vector<Model::Materials::Material> list;
};

} // namespace Ui
