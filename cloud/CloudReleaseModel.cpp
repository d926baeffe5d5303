#include "CloudReleaseModel.h"

#include "VersionDisplay.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <array>

namespace {
struct ColumnInfo {
    const char* field;
    const char* header;
    int width;
    bool centred;
};
constexpr std::array<ColumnInfo, CloudReleaseModel::ColumnCount> kColumns{{
    {"ProgName", "ProgName", 120, false},
    {"Description", "Description", 350, false},
    {"Version", "Version", 120, true},
    {"Critical", "Critical", 50, true},
    {"UploadDate", "Upload Date", 100, true},
    {"UploadTime", "Upload Time", 100, true},
}};

bool validColumn(int c) {
    return c >= 0 && c < CloudReleaseModel::ColumnCount;
}

QVariant alignmentOf(CloudReleaseModel::Column column) {
    const Qt::Alignment a = CloudReleaseModel::IsCentred(column)
                                ? Qt::Alignment(Qt::AlignCenter)
                                : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant::fromValue(static_cast<int>(a));
}
} // namespace

CloudReleaseModel::CloudReleaseModel(QObject* parent) : QAbstractTableModel(parent) {}

QString CloudReleaseModel::FieldName(Column column) {
    return validColumn(column) ? QString::fromLatin1(kColumns[column].field) : QString();
}

int CloudReleaseModel::ColumnWidth(Column column) {
    return validColumn(column) ? kColumns[column].width : 0;
}

bool CloudReleaseModel::IsCentred(Column column) {
    return validColumn(column) && kColumns[column].centred;
}

void CloudReleaseModel::Load(QSqlQuery& query) {
    QList<Row> rows;
    if (query.isActive()) {
        const QSqlRecord rec = query.record();
        std::array<int, ColumnCount> at{};
        for (int c = 0; c < ColumnCount; ++c)
            at[c] = rec.indexOf(QString::fromLatin1(kColumns[c].field));
        while (query.next()) {
            Row row;
            row.reserve(ColumnCount);
            for (int c = 0; c < ColumnCount; ++c)
                row.append(at[c] >= 0 ? query.value(at[c]) : QVariant());
            rows.append(std::move(row));
        }
        query.finish();
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CloudReleaseModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QVariant CloudReleaseModel::Value(int row, Column column) const {
    if (row < 0 || row >= m_rows.size() || !validColumn(column))
        return {};
    return m_rows[row][column];
}

int CloudReleaseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CloudReleaseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CloudReleaseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || !validColumn(index.column()))
        return {};
    const auto column = static_cast<Column>(index.column());
    const QVariant& value = m_rows[index.row()][column];
    switch (role) {
    case Qt::DisplayRole:
        if (column == Critical)
            return {}; // shown by its box alone
        if (column == Version)
            return VersionDisplayText(value.toString());
        return value.isNull() ? QString() : value.toString();
    case Qt::EditRole:
    case Qt::UserRole:
        return value;
    case Qt::CheckStateRole:
        if (column != Critical)
            return {};
        return value.toString() == QLatin1String("Y") ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return alignmentOf(column);
    default:
        return {};
    }
}

Qt::ItemFlags CloudReleaseModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Read-only: the Critical box shows its value but cannot be clicked.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant CloudReleaseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !validColumn(section))
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto column = static_cast<Column>(section);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumns[column].header);
    if (role == Qt::TextAlignmentRole)
        return alignmentOf(column);
    return {};
}
