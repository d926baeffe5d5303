// The connection string, the connect failures that need no server, the embedded store's file
// rules, and the statement texts of both backends.
#include "AppError.h"
#include "ConnectString.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "EmbeddedStore.h"
#include "SqlDialect.h"
#include "StoreBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString ConnectError(const QString& server, const QString& db) {
    try {
        BuildConnectString(server, db, QString(), QString(), QString());
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

const QString kTail = QStringLiteral("Pooling=True;Login Prompt=False;Connect Timeout=60;"
                                     "Encrypt=False;TrustServerCertificate=True;"
                                     "MultipleActiveResultSets=True;");

TEST(ConnectString, PiecesInOrderWithTrimmedValuesAndNoQuoting) {
    EXPECT_EQ(BuildConnectString(QStringLiteral(" \tsrv01\\SQL,1433 \r\n"),
                                 QStringLiteral("  Corvane Common "), QStringLiteral(" sa "),
                                 QStringLiteral(" p;w=1} "), QString()),
              QStringLiteral("Provider Name=SQL Server;Data Source=srv01\\SQL,1433;"
                             "Initial Catalog=Corvane Common;Application Name=corUPD;User ID=sa;"
                             "Password=p;w=1};Persist Security Info=False;") +
                  kTail);
    // A blank user name means integrated login: no user, password or persist piece.
    EXPECT_EQ(BuildConnectString(QStringLiteral("srv"), QStringLiteral("db"),
                                 QStringLiteral(" \t "), QStringLiteral("secret"),
                                 QStringLiteral("SQLOLEDB")),
              QStringLiteral("Provider Name=SQL Server;Data Source=srv;Initial Catalog=db;"
                             "Application Name=corUPD;Integrated Security=True;") +
                  kTail);
}

TEST(ConnectString, ProviderOnlyForTheOleDbDriverNamedExactly) {
    const struct {
        const char* connector;
        bool provider;
    } cases[] = {{"MSOLEDBSQL", true},    {"msoledbsql", true},   {"MsOleDbSql.1", true},
                 {"MSOLEDBSQL ", false},  {" MSOLEDBSQL", false}, {"MSOLEDBSQL19", false},
                 {"MSOLEDBSQL.2", false}, {"SQLOLEDB", false},    {"", false}};
    for (const auto& c : cases) {
        const QString s =
            BuildConnectString(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("u"),
                               QStringLiteral("p"), QString::fromUtf8(c.connector));
        EXPECT_EQ(s.startsWith(QStringLiteral(
                      "Provider Name=SQL Server;Provider=MSOLEDBSQL.1;Data Source=srv;")),
                  c.provider)
            << c.connector;
        EXPECT_EQ(s.count(QStringLiteral("Provider=")), c.provider ? 1 : 0) << c.connector;
    }
}

TEST(ConnectString, BlankNamesServerFirst) {
    const QString server = QStringLiteral("Connection Error: Server name cannot be empty.");
    const QString database = QStringLiteral("Connection Error: Database name cannot be empty.");
    EXPECT_EQ(ConnectError(QString(), QStringLiteral("db")), server);
    EXPECT_EQ(ConnectError(QStringLiteral(" \t\r\n"), QStringLiteral("db")), server);
    EXPECT_EQ(ConnectError(QString(), QString()), server);
    EXPECT_EQ(ConnectError(QStringLiteral("srv"), QStringLiteral("  ")), database);
}

class Connect : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSharedState();
        m_data = std::make_unique<TcData>();
    }
    void TearDown() override {
        m_data.reset();
        ClearSharedState();
    }
    QString commonError() {
        try {
            m_data->ConnectDB_Common();
        } catch (const AppError& e) {
            return e.message();
        }
        return QStringLiteral("<connected>");
    }
    QString cloudError() {
        try {
            m_data->ConnectDB_Cloud();
        } catch (const AppError& e) {
            return e.message();
        }
        return QStringLiteral("<connected>");
    }
    QTemporaryDir m_dir;
    std::unique_ptr<TcData> m_data;
};

TEST_F(Connect, BlankNamesGiveTheFormattedMessageWithTheNameAsStored) {
    sCommonHost = QStringLiteral("srv");
    sCommonDBName = QStringLiteral(" \t");
    EXPECT_EQ(commonError(), QStringLiteral("DataCMN.CommonConnect - Failed to connect to database "
                                            "[ \t]. Reason: Connection Error: Database name cannot "
                                            "be empty."));
    sCloudDBName = QStringLiteral("CorvaneControl");
    sCloudConnector = QStringLiteral("SQLite");
    EXPECT_EQ(cloudError(),
              QStringLiteral("DataCMN.CommonConnect - Failed to connect to database "
                             "[CorvaneControl]. Reason: Connection Error: Server name "
                             "cannot be empty."));
    EXPECT_FALSE(m_data->CorvaneCommon().isOpen());
    EXPECT_FALSE(m_data->CloudDB().isOpen());
}

TEST_F(Connect, EmbeddedStoreNeverCreatesOrAcceptsAForeignFile) {
    const QString folder = m_dir.filePath(QStringLiteral("store #1 %20x"));
    ASSERT_TRUE(QDir().mkpath(folder));
    sCommonHost = QStringLiteral(" ") + folder + QStringLiteral(" ");
    sCommonDBName = QStringLiteral("CorvaneCommon");
    sCommonConnector = QStringLiteral(" sqlite ");

    const QString missing = commonError();
    EXPECT_TRUE(missing.startsWith(QStringLiteral(
        "DataCMN.CommonConnect - Failed to connect to database [CorvaneCommon]. Reason: ")))
        << missing.toStdString();
    EXPECT_TRUE(
        missing.contains(QDir::toNativeSeparators(folder + QStringLiteral("/CorvaneCommon.db"))))
        << missing.toStdString();
    EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    QFile junk(folder + QStringLiteral("/CorvaneCommon.db"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    const QString foreign = commonError();
    EXPECT_TRUE(foreign.contains(QLatin1String("not a database"))) << foreign.toStdString();
    EXPECT_FALSE(m_data->CorvaneCommon().isOpen());
    ASSERT_TRUE(junk.remove());

    // The same folder, odd characters and all, holds a working store.
    ASSERT_NO_THROW(CreateEmbeddedStore(folder));
    EXPECT_TRUE(m_data->ConnectDB_Common());
    EXPECT_TRUE(m_data->CommonDialect().IsEmbedded());
    GetProgramDescription(QStringLiteral("CORPOS.EXE"));
    EXPECT_EQ(sPgmDescription, QString()); // cData is not this module: nothing is looked up
    cData = m_data.get();
    GetProgramDescription(QStringLiteral("CORPOS.EXE"));
    cData = nullptr;
    EXPECT_EQ(sPgmDescription, QStringLiteral("Point of Sale"));
    // A second connect closes the first and opens anew.
    EXPECT_TRUE(m_data->ConnectDB_Common());
    EXPECT_TRUE(
        m_data->cmn_ExecSQL(QStringLiteral("DELETE FROM vcVersions WHERE PgmName = 'CORPOS'")));
}

TEST(Dialects, StatementTexts) {
    const SqlDialect& ss = SqlServerDialect();
    const SqlDialect& em = EmbeddedDialect();
    EXPECT_EQ(ss.CloudSettingsLines(),
              (QStringList{"SELECT * FROM vcControl", " WHERE [Suite] = 'CORVANE'",
                           " AND [Code] = 'CLOUDSVR'"}));
    EXPECT_EQ(em.CloudSettingsLines(), ss.CloudSettingsLines());
    EXPECT_EQ(ss.ProgramDescriptionLines(QStringLiteral("O'B")),
              (QStringList{"SELECT [PgmName], [Description], [Version] ",
                           " FROM vcVersions WITH (NOLOCK) ", " WHERE [PgmName] = 'O''B'"}));
    EXPECT_EQ(em.ProgramDescriptionLines(QStringLiteral("O'B")),
              (QStringList{"SELECT [PgmName], [Description], [Version] ", " FROM vcVersions ",
                           " WHERE [PgmName] = 'O''B'"}));
    EXPECT_EQ(ss.CloudListLines(),
              (QStringList{"SELECT [ProgName], [Description], [Version], [Critical], ",
                           " [UploadDate], [UploadTime] ", " FROM vcSysProgRelease WITH (NOLOCK) ",
                           " ORDER BY [ProgName] "}));
    EXPECT_EQ(em.CloudListLines()[2], QStringLiteral(" FROM vcSysProgRelease "));
    for (const SqlDialect* d : {&ss, &em}) {
        EXPECT_EQ(d->RemovalStatement(QStringLiteral("COR'X")),
                  QStringLiteral("DELETE FROM vcSysProgRelease  WHERE [ProgName] = 'COR''X'"));
        EXPECT_EQ(d->BlobStatement(QStringLiteral("CORPAY"), QStringLiteral("5023")),
                  QStringLiteral("UPDATE vcSysProgRelease SET  [RARFile] = :imgBlob WHERE [Suite] "
                                 "= 'CORVANE' AND [ProgName] = 'CORPAY' AND [Version] = '5023'"));
    }
    EXPECT_EQ(ss.DownloadLines(QStringLiteral("CORPAY")),
              (QStringList{"SELECT * FROM vcSysProgRelease WITH (NOLOCK) ",
                           " WHERE [Suite] = 'CORVANE'", " AND [ProgName] = 'CORPAY'"}));
    EXPECT_EQ(em.DownloadLines(QStringLiteral("CORPAY"))[0],
              QStringLiteral("SELECT * FROM vcSysProgRelease "));

    for (const QString& s : em.ReleaseStatements(
             ReleaseRecord{}, [] { return QString(); }, [] { return QString(); }))
        EXPECT_FALSE(s.contains(QLatin1String("NOLOCK"))) << s.toStdString();

    const struct {
        const char* connector;
        bool embedded;
    } connectors[] = {{"SQLite", true},   {"sqlite", true},      {" SQLITE\t", true},
                      {"SQLite3", false}, {"MSOLEDBSQL", false}, {"", false}};
    for (const auto& c : connectors) {
        EXPECT_EQ(IsEmbeddedConnector(QString::fromUtf8(c.connector)), c.embedded) << c.connector;
        EXPECT_EQ(&DialectForConnector(QString::fromUtf8(c.connector)), c.embedded ? &em : &ss);
    }
}

TEST(Dialects, SqlLiteralDoublesQuotes) {
    EXPECT_EQ(SqlLiteral(QString()), QStringLiteral("''"));
    EXPECT_EQ(SqlLiteral(QStringLiteral("'; DROP TABLE vcVersions; --")),
              QStringLiteral("'''; DROP TABLE vcVersions; --'"));
    EXPECT_EQ(SqlLiteral(QStringLiteral("''")), QStringLiteral("''''''"));
}

TEST(EmbeddedStatements, SplitOutsideLiteralsNamesAndComments) {
    const struct {
        const char* text;
        QStringList statements;
    } cases[] = {
        {"SELECT 1", {"SELECT 1"}},
        {"SELECT 1;SELECT 2;", {"SELECT 1", "SELECT 2"}},
        {"INSERT INTO t VALUES ('a;b', 'it''s; ok');\n",
         {"INSERT INTO t VALUES ('a;b', 'it''s; ok')"}},
        {"SELECT [a;b], \"c;d\", `e;f` FROM t", {"SELECT [a;b], \"c;d\", `e;f` FROM t"}},
        {"-- a; comment\nSELECT 1; /* x; y */ ;", {"-- a; comment\nSELECT 1"}},
        {"  ;\n; -- only a comment", {}},
        {"SELECT 'unterminated; literal", {"SELECT 'unterminated; literal"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitSqlStatements(QString::fromUtf8(c.text)), c.statements) << c.text;
}

} // namespace
