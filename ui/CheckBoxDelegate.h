#pragma once
#include <QStyledItemDelegate>

// Draws a cell that holds only a tick box with the box centred in the cell, as the lists'
// centred tick columns show it, and toggles it by a click on the box or the space bar.
// Other cells are drawn and edited as usual.
class CheckBoxDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the box of a tick-only cell is drawn.
    static QRect BoxRect(const QStyleOptionViewItem& option);

  private:
    static bool isTickOnly(const QModelIndex& index);
};
