#include "CheckBoxDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

bool CheckBoxDelegate::isTickOnly(const QModelIndex& index) {
    return index.data(Qt::CheckStateRole).isValid() &&
           index.data(Qt::DisplayRole).toString().isEmpty();
}

QRect CheckBoxDelegate::BoxRect(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionButton box;
    const QRect indicator =
        style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, option.widget);
    QRect r(QPoint(0, 0), indicator.size());
    r.moveCenter(option.rect.center());
    return r;
}

void CheckBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (!isTickOnly(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);

    QStyleOptionButton box;
    box.rect = BoxRect(option);
    box.state = option.state & QStyle::State_Enabled;
    if (!(index.flags() & Qt::ItemIsUserCheckable))
        box.state &= ~QStyle::State_Enabled;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                       : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
}

bool CheckBoxDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!isTickOnly(index))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const Qt::ItemFlags flags = index.flags();
    if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // Swallowed on the box so a double click does not toggle twice or start an editor.
        return mouse->button() == Qt::LeftButton &&
               BoxRect(option).contains(mouse->position().toPoint());
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton ||
            !BoxRect(option).contains(mouse->position().toPoint()))
            return false;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
