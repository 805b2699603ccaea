#pragma once

#include <QStyledItemDelegate>

namespace Ui {

// The "Color" column of the material manager: each cell shows a swatch of the colour
// with its "#AARRGGBB" name, as the material file writes it, and editing opens the standard colour dialog (alpha channel
// shown) at the cell's colour. Only a colour the user confirms with OK is stored.
class ColorItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ColorItemDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // The colour dialog is a window of its own: it keeps its size and place.
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Room for the swatch and the colour's name ("#AARRGGBB") in the font of the view.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace Ui
