#pragma once
// The rows of the cloud release list. The SQL Server client cannot keep a result open while
// other statements run on the connection, and Qt's query models refuse forward-only queries,
// so the list reads every row of its query into this model and lets the query go.
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVariant>

class QSqlQuery;

class CloudReleaseModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CloudReleaseModel)
  public:
    enum Column { ProgName, Description, Version, Critical, UploadDate, UploadTime, ColumnCount };

    explicit CloudReleaseModel(QObject* parent = nullptr);

    // Replaces the rows with every row the executed query still has to give, then finishes
    // the query so the connection is free for the next statement.
    void Load(QSqlQuery& query);
    // No rows: what the list shows while its query is closed.
    void Clear();

    // The stored value of a cell (a null QVariant for a database null).
    QVariant Value(int row, Column column) const;

    static QString FieldName(Column column);
    static int ColumnWidth(Column column);
    static bool IsCentred(Column column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the text as shown (Version through the display rule, Critical as a box);
    // EditRole and UserRole: the stored value.
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    using Row = QList<QVariant>;
    QList<Row> m_rows;
};
