#include "StringGrid.h"

StringGrid::StringGrid(int columnCount, QObject* parent)
    : QAbstractTableModel(parent), m_columns(columnCount) {
    m_rows.append(blankRow());
    m_rows.append(blankRow());
}

StringGrid::RowData StringGrid::blankRow() const {
    RowData r;
    r.cells.resize(m_columns);
    return r;
}

bool StringGrid::valid(int col, int row) const {
    return col >= 0 && col < m_columns && row >= 0 && row < RowCount();
}

void StringGrid::SetRowCount(int count) {
    count = qMax(count, 2);
    const int now = RowCount();
    if (count > now) {
        beginInsertRows({}, now - 1, count - 2);
        while (RowCount() < count)
            m_rows.append(blankRow());
        endInsertRows();
    } else if (count < now) {
        beginRemoveRows({}, count - 1, now - 2);
        m_rows.resize(count);
        endRemoveRows();
    }
}

void StringGrid::AppendRow() { SetRowCount(RowCount() + 1); }

QString StringGrid::Cell(int col, int row) const {
    return valid(col, row) ? m_rows[row].cells[col].text : QString();
}

void StringGrid::SetCell(int col, int row, const QString& text) {
    if (!valid(col, row))
        return;
    m_rows[row].cells[col].text = text;
    cellChanged(col, row);
}

void StringGrid::AddCheckBox(int col, int row, bool state) {
    if (!valid(col, row))
        return;
    m_rows[row].cells[col].hasBox = true;
    m_rows[row].cells[col].checked = state;
    cellChanged(col, row);
}

bool StringGrid::HasCheckBox(int col, int row) const {
    return valid(col, row) && m_rows[row].cells[col].hasBox;
}

bool StringGrid::IsChecked(int col, int row) const {
    return HasCheckBox(col, row) && m_rows[row].cells[col].checked;
}

void StringGrid::SetChecked(int col, int row, bool state) {
    if (!HasCheckBox(col, row))
        return;
    m_rows[row].cells[col].checked = state;
    cellChanged(col, row);
}

void StringGrid::RemoveCheckBox(int col, int row) {
    if (!HasCheckBox(col, row))
        return;
    m_rows[row].cells[col].hasBox = false;
    m_rows[row].cells[col].checked = false;
    cellChanged(col, row);
}

void StringGrid::SetRowColor(int row, const QColor& color) {
    if (row < 0 || row >= RowCount())
        return;
    m_rows[row].color = color;
    if (row > 0)
        emit dataChanged(index(row - 1, 0), index(row - 1, m_columns - 1), {Qt::BackgroundRole});
}

QColor StringGrid::RowColor(int row) const {
    return (row >= 0 && row < RowCount()) ? m_rows[row].color : QColor();
}

void StringGrid::cellChanged(int col, int row) {
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col));
}

int StringGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount() - 1;
}

int StringGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant StringGrid::data(const QModelIndex& index, int role) const {
    const int row = index.row() + 1;
    const int col = index.column();
    if (!index.isValid() || !valid(col, row))
        return {};
    const CellData& c = m_rows[row].cells[col];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return c.text;
    case Qt::CheckStateRole:
        if (c.hasBox)
            return c.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = alignment ? alignment(row, col) : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
        if (m_rows[row].color.isValid())
            return m_rows[row].color;
        return {};
    default:
        return {};
    }
}

bool StringGrid::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int row = index.row() + 1;
    const int col = index.column();
    if (!index.isValid() || !valid(col, row))
        return false;
    CellData& c = m_rows[row].cells[col];
    if (role == Qt::CheckStateRole) {
        if (!c.hasBox || (canEditCell && !canEditCell(row, col)))
            return false;
        const bool state = value.toInt() == Qt::Checked;
        c.checked = state;
        cellChanged(col, row);
        if (checkBoxClicked)
            checkBoxClicked(col, row, state);
        return true;
    }
    if (role == Qt::EditRole) {
        if (!canEditCell || !canEditCell(row, col) || c.hasBox)
            return false;
        c.text = value.toString();
        cellChanged(col, row);
        return true;
    }
    return false;
}

Qt::ItemFlags StringGrid::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int row = index.row() + 1;
    const int col = index.column();
    const bool editable = canEditCell && canEditCell(row, col);
    if (HasCheckBox(col, row)) {
        if (editable)
            f |= Qt::ItemIsUserCheckable;
    } else if (editable) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

QVariant StringGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns)
        return m_rows[0].cells[section].text;
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}
