#include "DataCMN.h"
#include "FileBytes.h"

#include "AppError.h"
#include "ConnectString.h"
#include "DataSYS.h"
#include "EmbeddedStore.h"
#include "OdbcConnection.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QSqlError>

TcData* cData = nullptr;

namespace {

const QString kSqliteDriver = QStringLiteral("QSQLITE");
const QString kOdbcDriver = QStringLiteral("QODBC");

QString DriverFor(const QString& connector) {
    return IsEmbeddedConnector(connector) ? kSqliteDriver : kOdbcDriver;
}

bool IsEmbedded(const QSqlDatabase& db) {
    return db.driverName() == kSqliteDriver;
}

// The lines of a statement as a text list holds them: split at CR LF, CR or LF, and a final
// line break starts no further line.
QStringList StatementLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

// The system's 8-bit code page: the ANSI code page on Windows; elsewhere Latin-1, with "?"
// for what it cannot hold.
QByteArray AnsiText(const QString& text) {
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    return text.toLatin1();
#endif
}

// The file holds the last failing statement only: it is created anew every time.
void WriteFailingStatement(const QString& text) {
    QByteArray bytes;
    for (const QString& line : StatementLines(text))
        bytes += AnsiText(line) + QByteArrayLiteral("\r\n");
    const QString path = FailingStatementFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw AppError(QStringLiteral("Cannot write file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
}

// One statement text; on the embedded store each of its statements in turn, as SQLite takes
// one statement per call.
bool RunText(QSqlQuery& query, const QString& text, bool embedded) {
    if (embedded) {
        const QStringList pieces = SplitSqlStatements(text);
        if (!pieces.isEmpty()) {
            for (const QString& piece : pieces) {
                if (!query.exec(piece))
                    return false;
                query.finish();
            }
            return true;
        }
    }
    const bool ok = query.exec(text);
    if (ok)
        query.finish(); // no multiple active result sets on FreeTDS
    return ok;
}

void BeginTransaction(QSqlDatabase& db, const QString& connection) {
    if (db.isOpen() && db.transaction())
        return;
    const QString why = db.isOpen() ? SqlErrorMessage(db.lastError())
                                    : QStringLiteral("The connection is not open.");
    throw AppError(QStringLiteral("%1.ExecSQL - Failed to start a transaction on [%2]. Reason: %3")
                       .arg(TcData::kUnitName, connection, why));
}

void RollBack(QSqlDatabase& db, const QString& connection) {
    if (db.rollback())
        return;
    const QString why = SqlErrorMessage(db.lastError());
    if (db.driverName() == kOdbcDriver) {
        // Qt leaves the connection in manual-commit mode after a failed rollback. Whatever the
        // server still holds open is rolled back first, since switching autocommit on would
        // commit it.
        {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION"));
        }
        RestoreOdbcAutocommit(db);
    }
    throw AppError(
        QStringLiteral("%1.ExecSQL - Failed to roll back the transaction on [%2]. Reason: %3")
            .arg(TcData::kUnitName, connection, why));
}

QSqlQuery ForwardOnlyQuery(const QSqlDatabase& db) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    return q;
}

const SqlDialect& DialectOf(const QString& connection, const QString& connector) {
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (db.isOpen())
        return IsEmbedded(db) ? EmbeddedDialect() : SqlServerDialect();
    return DialectForConnector(connector);
}

} // namespace

QString SqlErrorMessage(const QSqlError& error) {
    const QString db = error.databaseText();
    return db.isEmpty() ? error.text() : db;
}

QString FailingStatementFile() {
    return sExePath + QStringLiteral("CMNSQLError.TXT");
}

TcData::TcData(QObject* parent) : QObject(parent) {
    for (const QString& name : {kCommonConnection, kCloudConnection})
        if (QSqlDatabase::contains(name))
            QSqlDatabase::removeDatabase(name);
    QSqlDatabase::addDatabase(DriverFor(sCommonConnector), kCommonConnection);
    QSqlDatabase::addDatabase(DriverFor(sCloudConnector), kCloudConnection);
    vcUpdSQL = ForwardOnlyQuery(CorvaneCommon());
    vcLoadQuery1 = ForwardOnlyQuery(CorvaneCommon());
    rUpdSQL = ForwardOnlyQuery(CloudDB());
    rQuery1 = ForwardOnlyQuery(CloudDB());
    rqryZIPUpload = ForwardOnlyQuery(CloudDB());
}

TcData::~TcData() {
    vcUpdSQL = QSqlQuery();
    vcLoadQuery1 = QSqlQuery();
    rUpdSQL = QSqlQuery();
    rQuery1 = QSqlQuery();
    rqryZIPUpload = QSqlQuery();
    for (const QString& name : {kCommonConnection, kCloudConnection}) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

QSqlDatabase TcData::CorvaneCommon() const {
    return QSqlDatabase::database(kCommonConnection, false);
}

QSqlDatabase TcData::CloudDB() const {
    return QSqlDatabase::database(kCloudConnection, false);
}

bool TcData::ConnectDB_Common() {
    return connect(kCommonConnection, sCommonHost, sCommonDBName, sCommonUser, sCommonPswd,
                   sCommonConnector);
}

bool TcData::ConnectDB_Cloud() {
    return connect(kCloudConnection, sCloudHost, sCloudDBName, sCloudUser, sCloudPswd,
                   sCloudConnector);
}

bool TcData::connect(const QString& connection, const QString& host, const QString& dbName,
                     const QString& user, const QString& pswd, const QString& connector) {
    const bool common = connection == kCommonConnection;
    auto setQueries = [&](const QSqlDatabase& db) {
        if (common) {
            vcUpdSQL = ForwardOnlyQuery(db);
            vcLoadQuery1 = ForwardOnlyQuery(db);
        } else {
            rUpdSQL = ForwardOnlyQuery(db);
            rQuery1 = ForwardOnlyQuery(db);
            rqryZIPUpload = ForwardOnlyQuery(db);
        }
    };
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen()) {
            common ? Close_Query_Common() : Close_Query_Cloud();
            db.close();
        }
    }
    try {
        // Built for its checks of the server and database names.
        BuildConnectString(host, dbName, user, pswd, connector);
        const bool embedded = IsEmbeddedConnector(connector);
        const QString driver = embedded ? kSqliteDriver : kOdbcDriver;
        if (QSqlDatabase::database(connection, false).driverName() != driver) {
            // A connection keeps its driver for life: the backend changed, so it is made anew.
            setQueries(QSqlDatabase());
            QSqlDatabase::removeDatabase(connection);
            QSqlDatabase::addDatabase(driver, connection);
        }
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (!db.isValid())
            throw AppError(QStringLiteral("The database driver %1 is not available.").arg(driver));
        QString reason;
        const bool ok = embedded ? OpenEmbeddedDatabase(db, host, dbName, &reason)
                                 : OpenSqlServerDatabase(db, host, dbName, user, pswd, &reason);
        if (!ok)
            throw AppError(reason);
        setQueries(db);
        return db.isOpen();
    } catch (const std::exception& e) {
        throw AppError(
            QStringLiteral("%1.CommonConnect - Failed to connect to database [%2]. Reason: %3")
                .arg(kUnitName, dbName, ErrorText(e)));
    }
}

bool TcData::cmn_ExecSQL(const QString& xSQL) {
    return execSQL(kCommonConnection, vcUpdSQL, xSQL);
}

bool TcData::cloud_ExecSQL(const QString& xSQL) {
    return execSQL(kCloudConnection, rUpdSQL, xSQL);
}

bool TcData::execSQL(const QString& connection, QSqlQuery& query, const QString& xSQL) {
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    BeginTransaction(db, connection);
    query = ForwardOnlyQuery(db);
    bool ok = RunText(query, xSQL, IsEmbedded(db));
    if (ok)
        ok = db.commit();
    if (ok)
        return true;
    RollBack(db, connection);
    WriteFailingStatement(xSQL);
    return false;
}

TcData::UnitResult TcData::cloud_ExecUnit(const QList<Statement>& statements) {
    QSqlDatabase db = CloudDB();
    BeginTransaction(db, kCloudConnection);
    const bool embedded = IsEmbedded(db);
    UnitResult result;
    rUpdSQL = ForwardOnlyQuery(db);
    // The query keeps what was bound to it: a blob left there would stay in memory beside the
    // next unit's, so the query is let go whichever way the unit ends.
    struct ReleaseBindings {
        QSqlQuery& query;
        QSqlDatabase db;
        ~ReleaseBindings() { query = ForwardOnlyQuery(db); }
    } releaseBindings{rUpdSQL, db};
    for (int i = 0; i < statements.size(); ++i) {
        const Statement& s = statements.at(i);
        bool ok;
        QString why;
        if (!s.blobFile.isEmpty() && embedded) {
            why = StreamFileIntoBlob(db, s.text, s.blobPlaceholder, s.blobTable, s.blobColumn,
                                     s.blobFile);
            ok = why.isEmpty();
        } else if (s.bindings.isEmpty() && s.blobFile.isEmpty()) {
            ok = RunText(rUpdSQL, s.text, embedded);
        } else {
            QByteArray fileBytes;
            ok = s.blobFile.isEmpty() || ReadWholeFile(s.blobFile, fileBytes, why);
            if (ok)
                ok = rUpdSQL.prepare(s.text);
            if (ok) {
                for (const auto& [name, value] : s.bindings)
                    rUpdSQL.bindValue(name, value);
                if (!s.blobFile.isEmpty())
                    rUpdSQL.bindValue(s.blobPlaceholder, QVariant(fileBytes));
                fileBytes = QByteArray(); // the query's binding holds the one copy
                ok = rUpdSQL.exec();
                if (ok)
                    rUpdSQL.finish();
            }
        }
        if (!ok) {
            result.failedIndex = i;
            result.error = why.isEmpty() ? SqlErrorMessage(rUpdSQL.lastError()) : why;
            break;
        }
    }
    if (result.failedIndex < 0) {
        if (db.commit()) {
            result.committed = true;
            return result;
        }
        result.error = SqlErrorMessage(db.lastError());
    }
    RollBack(db, kCloudConnection);
    if (result.failedIndex >= 0) {
        WriteFailingStatement(statements.at(result.failedIndex).text);
    } else {
        // The commit failed: no one statement is to blame, so the file holds them all.
        QStringList all;
        for (const Statement& s : statements)
            all << s.text;
        WriteFailingStatement(all.join(QLatin1Char('\n')));
    }
    return result;
}

void TcData::Close_Query_Common() {
    vcUpdSQL.finish();
    vcLoadQuery1.finish();
}

void TcData::Close_Query_Cloud() {
    rUpdSQL.finish();
    rQuery1.finish();
    rqryZIPUpload.finish();
}

void TcData::CloseDB_Common() {
    Close_Query_Common();
    QSqlDatabase db = CorvaneCommon();
    if (db.isOpen())
        db.close();
}

void TcData::CloseDB_Cloud() {
    Close_Query_Cloud();
    QSqlDatabase db = CloudDB();
    if (db.isOpen())
        db.close();
}

const SqlDialect& TcData::CommonDialect() const {
    return DialectOf(kCommonConnection, sCommonConnector);
}

const SqlDialect& TcData::CloudDialect() const {
    return DialectOf(kCloudConnection, sCloudConnector);
}
