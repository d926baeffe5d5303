#pragma once
// The databases the database tests run on: always the embedded store, and a real SQL Server
// as well when CORUPD_TEST_SQLSERVER names one ("host=...;port=...;user=...;password=...").
// Each backend makes its own two databases with the tool's tables and the demo rows, fills the
// shared settings for them, and drops them again.
#include "AppError.h"
#include "DataSYS.h"
#include "EmbeddedStore.h"
#include "OdbcConnection.h"
#include "SqlDialect.h"
#include "StoreBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TestBackend {
  public:
    virtual ~TestBackend() = default;
    virtual void create() = 0; // raises AppError
    virtual void drop() = 0;
    virtual bool embedded() const = 0;
    // A connection of the test's own to the common or the cloud database.
    virtual QSqlDatabase side(bool cloud) = 0;
    // Where the failing-statement file goes (the tool folder).
    QString toolFolder() const { return m_dir.path() + QLatin1Char('/'); }

    // Runs statements on a side connection; raises AppError with the database's message.
    void run(bool cloud, const QString& sql) {
        QSqlQuery q(side(cloud));
        q.setForwardOnly(true);
        const QStringList pieces = embedded() ? SplitSqlStatements(sql) : QStringList{sql};
        for (const QString& piece : pieces) {
            if (!q.exec(piece))
                throw AppError(q.lastError().text() + QStringLiteral("\n") + piece);
            q.finish();
        }
    }
    // Every row of a query, each as its columns' texts.
    QList<QStringList> rows(bool cloud, const QString& sql) {
        QSqlQuery q(side(cloud));
        q.setForwardOnly(true);
        if (!q.exec(sql))
            throw AppError(q.lastError().text() + QStringLiteral("\n") + sql);
        QList<QStringList> result;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i).toString();
            result << row;
        }
        return result;
    }
    QByteArray blob(bool cloud, const QString& sql) {
        QSqlQuery q(side(cloud));
        q.setForwardOnly(true);
        if (!q.exec(sql) || !q.next())
            throw AppError(q.lastError().text() + QStringLiteral("\n") + sql);
        return q.value(0).toByteArray();
    }

  protected:
    QTemporaryDir m_dir;
};

class EmbeddedBackend final : public TestBackend {
  public:
    bool embedded() const override { return true; }
    QString store() const { return m_dir.filePath(QStringLiteral("store")); }
    void create() override {
        CreateEmbeddedStore(store());
        sCommonHost = QDir::toNativeSeparators(store());
        sCommonDBName = QStringLiteral("CorvaneCommon");
        sCommonUser = QStringLiteral("corupd");
        sCommonPswd = QStringLiteral("corupd");
        sCommonConnector = QStringLiteral("SQLite");
        sCloudHost = sCommonHost;
        sCloudDBName = QStringLiteral("CorvaneControl");
        sCloudUser = sCommonUser;
        sCloudPswd = sCommonPswd;
        sCloudConnector = QStringLiteral("SQLite");
    }
    void drop() override {
        for (const char* name : {"side-common", "side-cloud"}) {
            { QSqlDatabase::database(QLatin1String(name), false).close(); }
            QSqlDatabase::removeDatabase(QLatin1String(name));
        }
    }
    QSqlDatabase side(bool cloud) override {
        const QString name = cloud ? QStringLiteral("side-cloud") : QStringLiteral("side-common");
        if (!QSqlDatabase::contains(name)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            db.setDatabaseName(
                EmbeddedDatabaseFile(store(), cloud ? QStringLiteral("CorvaneControl")
                                                    : QStringLiteral("CorvaneCommon")));
            db.open();
        }
        return QSqlDatabase::database(name, false);
    }
};

class SqlServerBackend final : public TestBackend {
  public:
    static QString environment() { return qEnvironmentVariable("CORUPD_TEST_SQLSERVER"); }

    bool embedded() const override { return false; }
    void create() override {
        for (const QString& pair : environment().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            const QString key = pair.left(eq).trimmed().toLower(), value = pair.mid(eq + 1);
            if (key == QLatin1String("host"))
                m_host = value;
            else if (key == QLatin1String("port"))
                m_port = value;
            else if (key == QLatin1String("user"))
                m_user = value;
            else if (key == QLatin1String("password"))
                m_pswd = value;
        }
        static int counter = 0;
        const QString stem =
            QStringLiteral("corupd_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        m_commonDb = stem + QStringLiteral("_common");
        m_cloudDb = stem + QStringLiteral("_cloud");
        QSqlDatabase m = open(QStringLiteral("side-master"), QStringLiteral("master"));
        for (const QString& db : {m_commonDb, m_cloudDb}) {
            QSqlQuery q(m);
            if (!q.exec(QStringLiteral("CREATE DATABASE [%1]").arg(db)))
                throw AppError(q.lastError().text());
        }
        for (const QString& batch : ddlBatches(QStringLiteral("sqlserver-common.sql")))
            run(false, batch);
        for (const QString& batch : ddlBatches(QStringLiteral("sqlserver-cloud.sql")))
            run(true, batch);
        QString rows =
            QStringLiteral("INSERT INTO vcControl (Suite, Code, DBConnector, Details, "
                           "DBUser, DBPswd) VALUES ('CORVANE', 'CLOUDSVR', '', %1, %2, %3)")
                .arg(SqlLiteral(server()), SqlLiteral(m_user), SqlLiteral(m_pswd));
        run(false, rows);
        for (const CatalogueRow& r : DemoCatalogue())
            run(false,
                QStringLiteral("INSERT INTO vcVersions (PgmName, Description, Version) "
                               "VALUES (%1, %2, %3)")
                    .arg(SqlLiteral(r.pgmName), SqlLiteral(r.description), SqlLiteral(r.version)));
        sCommonHost = server();
        sCommonDBName = m_commonDb;
        sCommonUser = m_user;
        sCommonPswd = m_pswd;
        sCommonConnector.clear();
        sCloudHost = server();
        sCloudDBName = m_cloudDb;
        sCloudUser = m_user;
        sCloudPswd = m_pswd;
        sCloudConnector.clear();
    }
    void drop() override {
        for (const char* name : {"side-common", "side-cloud"}) {
            { QSqlDatabase::database(QLatin1String(name), false).close(); }
            QSqlDatabase::removeDatabase(QLatin1String(name));
        }
        if (QSqlDatabase::contains(QStringLiteral("side-master"))) {
            {
                QSqlDatabase m = QSqlDatabase::database(QStringLiteral("side-master"), false);
                for (const QString& db : {m_commonDb, m_cloudDb}) {
                    QSqlQuery q(m);
                    q.exec(QStringLiteral("IF DB_ID('%1') IS NOT NULL BEGIN ALTER DATABASE [%1] "
                                          "SET SINGLE_USER WITH ROLLBACK IMMEDIATE; DROP DATABASE "
                                          "[%1] END")
                               .arg(db));
                }
                m.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("side-master"));
        }
    }
    QSqlDatabase side(bool cloud) override {
        const QString name = cloud ? QStringLiteral("side-cloud") : QStringLiteral("side-common");
        if (QSqlDatabase::contains(name))
            return QSqlDatabase::database(name, false);
        return open(name, cloud ? m_cloudDb : m_commonDb);
    }

  private:
    QString server() const {
        return m_port.isEmpty() ? m_host : m_host + QLatin1Char(',') + m_port;
    }
    QSqlDatabase open(const QString& name, const QString& database) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        QString reason;
        if (!OpenSqlServerDatabase(db, server(), database, m_user, m_pswd, &reason))
            throw AppError(reason);
        return db;
    }
    // The DDL files' batches that make tables and indexes (not the database itself).
    static QStringList ddlBatches(const QString& file) {
        QFile f(QStringLiteral(CORUPD_TEST_FIXTURES "/../../sql/") + file);
        if (!f.open(QIODevice::ReadOnly))
            throw AppError(QStringLiteral("Cannot read ") + f.fileName());
        QStringList batches;
        static const QRegularExpression go(QStringLiteral("^\\s*GO\\s*$"),
                                           QRegularExpression::MultilineOption);
        for (const QString& b : QString::fromUtf8(f.readAll()).split(go))
            if (b.contains(QLatin1String("CREATE TABLE")) ||
                b.contains(QLatin1String("CREATE INDEX")))
                batches << b.trimmed();
        return batches;
    }
    QString m_host, m_port, m_user, m_pswd, m_commonDb, m_cloudDb;
};

inline std::unique_ptr<TestBackend> MakeBackend(const std::string& name) {
    if (name == "sqlserver")
        return std::make_unique<SqlServerBackend>();
    return std::make_unique<EmbeddedBackend>();
}
