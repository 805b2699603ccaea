#include "UI/Catalogue/coloritemdelegate.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>
#include <QFontMetrics>
#include <QPainter>

namespace Ui {

ColorItemDelegate::ColorItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QWidget *ColorItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                         const QModelIndex &) const
{
    auto *dialog = new QColorDialog(parent);
    dialog->setOption(QColorDialog::ShowAlphaChannel);
    // Modal, but shown without a nested event loop: the view owns the editor and gets
    // it back when the dialog hides (OK or Cancel), which commits and closes it.
    dialog->setModal(true);
    return dialog;
}

void ColorItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *dialog = qobject_cast<QColorDialog *>(editor))
        dialog->setCurrentColor(index.data(Qt::DisplayRole).value<QColor>());
}

void ColorItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // The selected colour is set by OK (and cleared by Cancel) before the dialog hides.
    auto *dialog = qobject_cast<QColorDialog *>(editor);
    if (dialog && dialog->selectedColor().isValid())
        model->setData(index, dialog->selectedColor(), Qt::EditRole);
}

void ColorItemDelegate::updateEditorGeometry(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
}

namespace {
// Space kept around the swatch and the text, and between them.
constexpr int margin = 3;
constexpr int gap = 6;
} // namespace

QSize ColorItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics metrics(option.font);
    const int textHeight = metrics.height();
    const int swatchWidth = 2 * textHeight;
    // Eight hex digits, each as wide as the widest ("#FFCCCCCC" is wider than "#FFFFFFFF").
    int digit = 0;
    for (const QChar c : QStringLiteral("0123456789ABCDEF"))
        digit = qMax(digit, metrics.horizontalAdvance(c));
    const int textWidth = metrics.horizontalAdvance(QLatin1Char('#')) + 8 * digit;
    return QSize(2 * margin + swatchWidth + gap + textWidth + gap, 2 * margin + textHeight + 2);
}

void ColorItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QColor color = index.data(Qt::DisplayRole).value<QColor>();
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    // Background and selection as the style draws them, then the swatch and the name.
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (!color.isValid())
        return;
    painter->save();
    const QRect cell = option.rect.adjusted(margin, margin, -margin, -margin);
    const int swatchWidth = 2 * QFontMetrics(option.font).height();
    const QRect swatch(cell.left(), cell.top(), qMin(swatchWidth, cell.width()), cell.height());
    painter->fillRect(swatch, QColor(color.red(), color.green(), color.blue()));
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawRect(swatch.adjusted(0, 0, -1, -1));
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect text = cell.adjusted(swatch.width() + gap, 0, 0, 0);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, color.name(QColor::HexArgb).toUpper());
    painter->restore();
}

} // namespace Ui
