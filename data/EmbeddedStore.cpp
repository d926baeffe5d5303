#include "EmbeddedStore.h"

#include "DataCMN.h"
#include "DataSYS.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <memory>
#include <sqlite3.h>
#include <vector>

QString EmbeddedDatabaseFile(const QString& folder, const QString& dbName) {
    const QString dir = TrimControl(folder);
    return QFileInfo(QDir(dir), TrimControl(dbName) + QStringLiteral(".db")).absoluteFilePath();
}

bool OpenEmbeddedDatabase(QSqlDatabase& db, const QString& folder, const QString& dbName,
                          QString* reason) {
    const QString path = EmbeddedDatabaseFile(folder, dbName);
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
        return false;
    };
    // A URI with mode=rw refuses a missing file instead of creating an empty database, and
    // keeps "#" or "?" in a folder name from being read as parts of the URI.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    if (!db.open())
        return fail(SqlErrorMessage(db.lastError()));
    // Opening does not read the file: a file that is not a database fails at its first query.
    QString why;
    {
        QSqlQuery probe(db);
        probe.setForwardOnly(true);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !probe.next())
            why = SqlErrorMessage(probe.lastError());
    }
    if (why.isEmpty())
        return true;
    db.close();
    return fail(why);
}

QStringList SplitSqlStatements(const QString& text) {
    QStringList statements;
    QString current;
    bool hasContent = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto flush = [&] {
        if (hasContent)
            statements << current;
        current.clear();
        hasContent = false;
    };
    while (i < n) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype eol = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype end = eol < 0 ? n : eol;
            current += text.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype end = close < 0 ? n : close + 2;
            current += text.mid(i, end - i);
            i = end;
            continue;
        }
        QChar closing;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`'))
            closing = c;
        else if (c == QLatin1Char('['))
            closing = QLatin1Char(']');
        if (!closing.isNull()) {
            // A doubled closing quote inside stays in the literal; the scan ends at the next
            // single one.
            qsizetype j = i + 1;
            while (j < n) {
                if (text.at(j) == closing) {
                    if (closing != QLatin1Char(']') && j + 1 < n && text.at(j + 1) == closing) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            current += text.mid(i, end - i);
            hasContent = true;
            i = end;
            continue;
        }
        if (c == QLatin1Char(';')) {
            flush();
            ++i;
            continue;
        }
        if (c.unicode() > 32)
            hasContent = true;
        current += c;
        ++i;
    }
    flush();
    return statements;
}

namespace {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
struct CloseBlob {
    void operator()(sqlite3_blob* b) const { sqlite3_blob_close(b); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;
using BlobHandle = std::unique_ptr<sqlite3_blob, CloseBlob>;

QString StoreMessage(sqlite3* handle) {
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

QString NoHandle() {
    return QStringLiteral("The connection does not reach an embedded store.");
}

} // namespace

sqlite3* EmbeddedHandle(const QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

QString StreamFileIntoBlob(const QSqlDatabase& db, const QString& statement,
                           const QString& placeholder, const QString& table, const QString& column,
                           const QString& filePath) {
    sqlite3* handle = EmbeddedHandle(db);
    if (!handle)
        return NoHandle();
    // The size is taken before the rows are touched; whatever is wrong with the file itself
    // shows when it is opened, after the rows are sized, and fails the unit there.
    const QFileInfo info(filePath);
    const qint64 size = info.isFile() ? info.size() : 0;

    // The rows are sized by the statement itself (so its triggers and conditions hold as they
    // would for the bytes), and it names the rows it changed.
    std::vector<sqlite3_int64> rows;
    {
        const QByteArray sql = (statement + QStringLiteral(" RETURNING rowid")).toUtf8();
        sqlite3_stmt* raw = nullptr;
        const int prepared = sqlite3_prepare_v2(handle, sql.constData(),
                                                static_cast<int>(sql.size()), &raw, nullptr);
        const StatementHandle st(raw);
        if (prepared != SQLITE_OK)
            return StoreMessage(handle);
        const int at = sqlite3_bind_parameter_index(st.get(), placeholder.toUtf8().constData());
        if (at == 0)
            return QStringLiteral("The statement has no placeholder ") + placeholder;
        if (sqlite3_bind_zeroblob64(st.get(), at, static_cast<sqlite3_uint64>(size)) != SQLITE_OK)
            return StoreMessage(handle);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
            rows.push_back(sqlite3_column_int64(st.get(), 0));
        if (rc != SQLITE_DONE)
            return StoreMessage(handle);
    }

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open the archive ") + filePath + QStringLiteral(": ") +
               file.errorString();
    if (file.size() != size)
        return QStringLiteral("The archive ") + filePath +
               QStringLiteral(" changed while it was being stored");
    const QByteArray tableName = table.toUtf8();
    const QByteArray columnName = column.toUtf8();
    QByteArray piece(kEmbeddedBlobPiece, Qt::Uninitialized);
    for (const sqlite3_int64 rowid : rows) {
        sqlite3_blob* raw = nullptr;
        const int opened = sqlite3_blob_open(handle, "main", tableName.constData(),
                                             columnName.constData(), rowid, 1, &raw);
        BlobHandle blob(raw);
        if (opened != SQLITE_OK)
            return StoreMessage(handle);
        if (!file.seek(0))
            return QStringLiteral("Cannot read the archive ") + filePath + QStringLiteral(": ") +
                   file.errorString();
        qint64 done = 0;
        while (done < size) {
            const qint64 n = file.read(piece.data(), qMin<qint64>(piece.size(), size - done));
            if (n <= 0)
                return QStringLiteral("Cannot read the archive ") + filePath +
                       QStringLiteral(": ") + file.errorString();
            if (sqlite3_blob_write(blob.get(), piece.constData(), static_cast<int>(n),
                                   static_cast<int>(done)) != SQLITE_OK)
                return StoreMessage(handle);
            done += n;
        }
        if (sqlite3_blob_close(blob.release()) != SQLITE_OK)
            return StoreMessage(handle);
    }
    return {};
}

QString CopyBlobTo(const QSqlDatabase& db, const QString& table, const QString& column,
                   qint64 rowid, QIODevice& out) {
    sqlite3* handle = EmbeddedHandle(db);
    if (!handle)
        return NoHandle();
    sqlite3_blob* raw = nullptr;
    const int opened = sqlite3_blob_open(handle, "main", table.toUtf8().constData(),
                                         column.toUtf8().constData(), rowid, 0, &raw);
    const BlobHandle blob(raw);
    if (opened != SQLITE_OK)
        return StoreMessage(handle);
    const int size = sqlite3_blob_bytes(blob.get());
    QByteArray piece(kEmbeddedBlobPiece, Qt::Uninitialized);
    for (int done = 0; done < size;) {
        const int n = static_cast<int>(qMin<qint64>(piece.size(), size - done));
        if (sqlite3_blob_read(blob.get(), piece.data(), n, done) != SQLITE_OK)
            return StoreMessage(handle);
        if (out.write(piece.constData(), n) != n)
            return out.errorString();
        done += n;
    }
    return {};
}
