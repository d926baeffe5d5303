#include "StoreBuilder.h"

#include "AppError.h"
#include "DataCMN.h"
#include "EmbeddedStore.h"
#include "SqlDialect.h"
#include "StoreDdl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// A private connection for the duration of one call.
class ScopedFileConnection {
  public:
    explicit ScopedFileConnection(const QString& file)
        : m_name(QStringLiteral("corupd-storebuilder-") +
                 QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QString error;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(file);
            if (!db.open())
                error = SqlErrorMessage(db.lastError());
        }
        if (!error.isEmpty()) {
            QSqlDatabase::removeDatabase(m_name);
            throw AppError(QStringLiteral("Cannot open \"%1\": %2")
                               .arg(QDir::toNativeSeparators(file), error));
        }
    }
    ~ScopedFileConnection() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    ScopedFileConnection(const ScopedFileConnection&) = delete;
    ScopedFileConnection& operator=(const ScopedFileConnection&) = delete;

    void run(const QString& sql) const {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        for (const QString& statement : SplitSqlStatements(sql)) {
            if (!q.exec(statement))
                throw AppError(QStringLiteral("%1\n%2").arg(SqlErrorMessage(q.lastError()),
                                                            statement.trimmed()));
            q.finish();
        }
    }

  private:
    QString m_name;
};

QString CreateFile(const QString& folder, const QString& name, bool replace) {
    const QString file = EmbeddedDatabaseFile(folder, name);
    if (QFileInfo::exists(file)) {
        if (!replace)
            throw AppError(QStringLiteral("The database file \"%1\" exists already.")
                               .arg(QDir::toNativeSeparators(file)));
        if (!QFile::remove(file))
            throw AppError(
                QStringLiteral("Cannot replace \"%1\".").arg(QDir::toNativeSeparators(file)));
    }
    return file;
}

} // namespace

QList<CatalogueRow> DemoCatalogue() {
    return {
        {QStringLiteral("CORVANE"), QStringLiteral("Corvane Main Program"),
         QStringLiteral("4.02.1")},
        {QStringLiteral("CORPAY"), QStringLiteral("Payroll"), QStringLiteral("3.10.4")},
        {QStringLiteral("CORTAX"), QStringLiteral("Tax Returns"), QStringLiteral("2.05.0")},
        {QStringLiteral("CORSTOCK"), QStringLiteral("Stock Control"), QStringLiteral("1.08.2")},
        {QStringLiteral("CORPOS"), QStringLiteral("Point of Sale"), QStringLiteral("1.01.7")},
    };
}

QString EmbeddedCommonDdl() {
    return QString::fromUtf8(kSqliteCommonDdl);
}
QString EmbeddedCloudDdl() {
    return QString::fromUtf8(kSqliteCloudDdl);
}

void CreateEmbeddedStore(const QString& folder, const EmbeddedStoreOptions& options) {
    if (!QDir().mkpath(folder))
        throw AppError(QStringLiteral("Cannot create the folder \"%1\".")
                           .arg(QDir::toNativeSeparators(folder)));
    const QString store = QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath());
    const QString commonFile = CreateFile(folder, options.commonName, options.replace);
    const QString cloudFile = CreateFile(folder, options.cloudName, options.replace);

    {
        ScopedFileConnection common(commonFile);
        common.run(EmbeddedCommonDdl());
        QString rows =
            QStringLiteral("INSERT INTO vcControl (Suite, Code, DBConnector, Details, DBUser, "
                           "DBPswd, Notes) VALUES ('CORVANE', 'CLOUDSVR', 'SQLite', %1, %2, %3, "
                           "'Embedded cloud store');\n")
                .arg(SqlLiteral(store), SqlLiteral(options.user), SqlLiteral(options.pswd));
        for (const CatalogueRow& r : DemoCatalogue())
            rows +=
                QStringLiteral("INSERT INTO vcVersions (PgmName, Description, Version) "
                               "VALUES (%1, %2, %3);\n")
                    .arg(SqlLiteral(r.pgmName), SqlLiteral(r.description), SqlLiteral(r.version));
        common.run(rows);
    }
    {
        ScopedFileConnection cloud(cloudFile);
        cloud.run(EmbeddedCloudDdl());
    }
}

QString WriteWorkstationConfig(const QString& driveC, const QString& storeFolder,
                               const EmbeddedStoreOptions& options) {
    const QString dir = QDir(driveC).filePath(
        QStringLiteral("Program Files/Common Files/Microsoft Shared/MSHelp16"));
    if (!QDir().mkpath(dir))
        throw AppError(
            QStringLiteral("Cannot create the folder \"%1\".").arg(QDir::toNativeSeparators(dir)));
    const QString path = QDir(dir).filePath(QStringLiteral("MSHelp16.cnf"));
    const QString host = QDir::toNativeSeparators(QFileInfo(storeFolder).absoluteFilePath());
    const QString text = QStringLiteral("[Common]\r\nHost=%1\r\nUser=%2\r\nPswd=%3\r\nDBName=%4\r\n"
                                        "\r\n[Till]\r\nConnector=SQLite\r\n")
                             .arg(host, options.user, options.pswd, options.commonName);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text.toUtf8()) < 0 ||
        !f.flush())
        throw AppError(QStringLiteral("Cannot write \"%1\": %2")
                           .arg(QDir::toNativeSeparators(path), f.errorString()));
    return path;
}

void RunOnEmbeddedFile(const QString& file, const QString& sql) {
    ScopedFileConnection c(file);
    c.run(sql);
}
