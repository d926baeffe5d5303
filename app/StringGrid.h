#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>
#include <functional>

// The string grid with tick boxes that the two file lists use. Rows are numbered as the
// lists think of them: row 0 is the header row, data rows run from 1 to RowCount() - 1.
// The Qt model shows data row r as model row r - 1 and row 0 as the horizontal header.
class StringGrid final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGrid(int columnCount, QObject* parent = nullptr);

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // Keeps the header row; at least 2 (header and one data row).
    void SetRowCount(int count);
    void AppendRow();
    int ColCount() const { return m_columns; }

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    void AddCheckBox(int col, int row, bool state);
    bool HasCheckBox(int col, int row) const;
    // False for a cell without a box.
    bool IsChecked(int col, int row) const;
    // Sets a box directly; the click handler does not run. No effect on a cell without a box.
    void SetChecked(int col, int row, bool state);
    void RemoveCheckBox(int col, int row);

    void SetRowColor(int row, const QColor& color);
    QColor RowColor(int row) const;

    // Decided by the window's handlers; defaults: nothing editable, everything left-aligned.
    std::function<bool(int row, int col)> canEditCell;
    std::function<Qt::Alignment(int row, int col)> alignment;
    // Runs after the user has changed a box (not after SetChecked).
    std::function<void(int col, int row, bool state)> checkBoxClicked;

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct CellData {
        QString text;
        bool hasBox = false;
        bool checked = false;
    };
    struct RowData {
        QList<CellData> cells;
        QColor color;
    };
    bool valid(int col, int row) const;
    void cellChanged(int col, int row);
    RowData blankRow() const;

    int m_columns;
    QList<RowData> m_rows;
};
