// The database module on a real store: connecting, one transaction per statement, the unit
// of several statements, the failing-statement file and the catalogue lookup. Every test runs
// on the embedded store, and on SQL Server when CORUPD_TEST_SQLSERVER names one.
#include "DataBackends.h"
#include "DataCMN.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class Database : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        ClearSharedState();
        if (GetParam() == "sqlserver" && SqlServerBackend::environment().isEmpty())
            GTEST_SKIP() << "CORUPD_TEST_SQLSERVER is not set (host=...;port=...;user=...;"
                            "password=...): no SQL Server to run this test against";
        m_backend = MakeBackend(GetParam());
        try {
            m_backend->create();
        } catch (const AppError& e) {
            FAIL() << "setting up the databases: " << e.what();
        }
        sExePath = m_backend->toolFolder();
        m_data = std::make_unique<TcData>();
        cData = m_data.get();
        ASSERT_NO_THROW(cData->ConnectDB_Common());
        ASSERT_NO_THROW(cData->ConnectDB_Cloud());
    }
    void TearDown() override {
        cData = nullptr;
        m_data.reset();
        if (m_backend)
            m_backend->drop();
        ClearSharedState();
    }

    QList<QStringList> cloudRows(const QString& columns = QStringLiteral("ProgName, Version")) {
        return m_backend->rows(true, QStringLiteral("SELECT %1 FROM vcSysProgRelease ORDER BY "
                                                    "RecID")
                                         .arg(columns));
    }
    void addRelease(const QString& prog, const QString& version, const QByteArray& bytes) {
        QSqlQuery q(m_backend->side(true));
        ASSERT_TRUE(q.prepare(QStringLiteral(
            "INSERT INTO vcSysProgRelease (Suite, ProgName, Version, RARFile) VALUES "
            "('CORVANE', :p, :v, :b)")));
        q.bindValue(QStringLiteral(":p"), prog);
        q.bindValue(QStringLiteral(":v"), version);
        q.bindValue(QStringLiteral(":b"), bytes);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    ReleaseRecord record(const QString& prog, const QString& version) {
        ReleaseRecord r;
        r.progName = prog;
        r.version = version;
        r.description = QStringLiteral("Payroll");
        r.critical = QStringLiteral("N");
        return r;
    }
    QList<TcData::Statement> releaseUnit(const ReleaseRecord& r, const QByteArray& bytes) {
        const SqlDialect& d = cData->CloudDialect();
        QList<TcData::Statement> unit{{d.RemovalStatement(r.progName), {}}};
        for (const QString& s : d.ReleaseStatements(
                 r, [] { return DateText(0); }, [] { return TimeText(); }))
            unit.append({s, {}});
        unit.append({d.BlobStatement(r.progName, r.version),
                     {{QStringLiteral(":imgBlob"), QVariant(bytes)}}});
        return unit;
    }

    std::unique_ptr<TestBackend> m_backend;
    std::unique_ptr<TcData> m_data;
};

TEST_P(Database, ExecCommitsOrRollsBackAndKeepsOnlyTheLastFailingText) {
    EXPECT_TRUE(
        cData->cloud_ExecSQL(QStringLiteral("INSERT INTO vcSysProgRelease (Suite, ProgName, "
                                            "Version) VALUES ('CORVANE', 'CORPAY', '1')")));
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "1"}}));
    EXPECT_FALSE(QFile::exists(FailingStatementFile()));

    // The first statement of the text runs, the second fails: both go back.
    const QString first = QStringLiteral(
        "DELETE FROM vcSysProgRelease\r\nWHERE ProgName = 'CORPAY';\nSELECT * FROM NoSuchTable");
    EXPECT_FALSE(cData->cloud_ExecSQL(first));
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "1"}}));

    const QString second = QStringLiteral("UPDATE NoSuchTable SET x = 1\rWHERE y = 'caf\u00e9'\n");
    EXPECT_FALSE(cData->cmn_ExecSQL(second));
    EXPECT_EQ(FileBytes(FailingStatementFile()),
              QByteArray("UPDATE NoSuchTable SET x = 1\r\nWHERE y = 'caf\xe9'\r\n"));

    // The connection stays usable after a failure.
    EXPECT_TRUE(cData->cmn_ExecSQL(
        QStringLiteral("UPDATE vcVersions SET Description = 'Wages' WHERE PgmName = 'CORPAY'")));
    GetProgramDescription(QStringLiteral("CORPAY.EXE"));
    EXPECT_EQ(sPgmDescription, QStringLiteral("Wages"));
}

TEST_P(Database, ExecErrorsThatReachTheCaller) {
    // The file cannot be written: the statement is rolled back all the same.
    sExePath = m_backend->toolFolder() + QStringLiteral("no-such-folder/");
    EXPECT_THROW(cData->cloud_ExecSQL(QStringLiteral(
                     "INSERT INTO vcSysProgRelease (Suite, ProgName, Version) VALUES "
                     "('CORVANE', 'X', '1');\nSELECT * FROM NoSuchTable")),
                 AppError);
    EXPECT_TRUE(cloudRows().isEmpty());

    // No transaction on a closed connection: nothing written.
    sExePath = m_backend->toolFolder();
    cData->CloseDB_Cloud();
    EXPECT_THROW(cData->cloud_ExecSQL(QStringLiteral("DELETE FROM vcSysProgRelease")), AppError);
    EXPECT_FALSE(QFile::exists(FailingStatementFile()));
}

TEST_P(Database, UnitIsAllOrNothing) {
    const QByteArray oldBlob("old archive bytes");
    addRelease(QStringLiteral("CORPAY"), QStringLiteral("0999"), oldBlob);

    // A failing blob statement (no such column) undoes the removal and the release row.
    QList<TcData::Statement> broken = releaseUnit(record("CORPAY", "1000"), "new");
    broken.last().text.replace(QLatin1String("[RARFile]"), QLatin1String("[NoColumn]"));
    const TcData::UnitResult failed = cData->cloud_ExecUnit(broken);
    EXPECT_FALSE(failed.committed);
    EXPECT_EQ(failed.failedIndex, broken.size() - 1);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "0999"}}));
    EXPECT_EQ(m_backend->blob(true, QStringLiteral("SELECT RARFile FROM vcSysProgRelease")),
              oldBlob);
    EXPECT_EQ(FileBytes(FailingStatementFile()), broken.last().text.toLatin1() + "\r\n");

    QByteArray archive(300000, '\0');
    for (int i = 0; i < archive.size(); ++i)
        archive[i] = char(i * 7 % 251);
    const TcData::UnitResult ok =
        cData->cloud_ExecUnit(releaseUnit(record("CORPAY", "1000"), archive));
    EXPECT_TRUE(ok.committed);
    EXPECT_EQ(ok.failedIndex, -1);
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "1000"}}));
    EXPECT_EQ(m_backend->blob(true, QStringLiteral("SELECT RARFile FROM vcSysProgRelease")),
              archive);
}

// The blob statement taking its bytes from a file: streamed on the embedded store, read and
// bound on SQL Server. Pieces of 1 MiB, so an archive of a few pieces and a ragged end.
TEST_P(Database, UnitTakesTheBlobFromItsFile) {
    const QByteArray oldBlob("old archive bytes");
    addRelease(QStringLiteral("CORPAY"), QStringLiteral("0999"), oldBlob);
    auto fileUnit = [&](const ReleaseRecord& r, const QString& path) {
        QList<TcData::Statement> unit = releaseUnit(r, {});
        TcData::Statement& blob = unit.last();
        blob.bindings.clear();
        blob.blobFile = path;
        blob.blobPlaceholder = QStringLiteral(":imgBlob");
        blob.blobTable = QStringLiteral("vcSysProgRelease");
        blob.blobColumn = QStringLiteral("RARFile");
        return unit;
    };

    // A file that cannot be read (here a folder) fails the blob statement after the rows were
    // changed: all of it goes back, the earlier release whole.
    const QString folder = m_backend->toolFolder() + QStringLiteral("CORPAY_1000.ZIP");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QList<TcData::Statement> broken = fileUnit(record("CORPAY", "1000"), folder);
    const TcData::UnitResult failed = cData->cloud_ExecUnit(broken);
    EXPECT_FALSE(failed.committed);
    EXPECT_EQ(failed.failedIndex, broken.size() - 1);
    EXPECT_TRUE(failed.error.contains(folder)) << failed.error.toStdString();
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "0999"}}));
    EXPECT_EQ(m_backend->blob(true, QStringLiteral("SELECT RARFile FROM vcSysProgRelease")),
              oldBlob);
    EXPECT_EQ(FileBytes(FailingStatementFile()), broken.last().text.toLatin1() + "\r\n");

    QByteArray archive(2 * 1048576 + 4099, '\0');
    for (int i = 0; i < archive.size(); ++i)
        archive[i] = char(i * 13 % 251);
    const QString path = m_backend->toolFolder() + QStringLiteral("CORPAY_1001.ZIP");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(archive), archive.size());
    }
    const TcData::UnitResult ok = cData->cloud_ExecUnit(fileUnit(record("CORPAY", "1001"), path));
    EXPECT_TRUE(ok.committed) << ok.error.toStdString();
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "1001"}}));
    EXPECT_TRUE(m_backend->blob(true, QStringLiteral("SELECT RARFile FROM vcSysProgRelease")) ==
                archive);

    // Every row the statement names gets the bytes, not just the first.
    addRelease(QStringLiteral("CORPAY"), QStringLiteral("1001"), oldBlob);
    const QList<TcData::Statement> both{fileUnit(record("CORPAY", "1001"), path).last()};
    EXPECT_TRUE(cData->cloud_ExecUnit(both).committed);
    EXPECT_EQ(cloudRows(), (QList<QStringList>{{"CORPAY", "1001"}, {"CORPAY", "1001"}}));
    for (const char* order : {"ASC", "DESC"})
        EXPECT_TRUE(m_backend->blob(true, QStringLiteral("SELECT RARFile FROM vcSysProgRelease "
                                                         "ORDER BY RecID ") +
                                              QLatin1String(order)) == archive)
            << order;
}

TEST_P(Database, ReleaseUpdatesInPlaceOrInserts) {
    const SqlDialect& d = cData->CloudDialect();
    auto release = [&](const ReleaseRecord& r, const QString& date) {
        for (const QString& s : d.ReleaseStatements(
                 r, [date] { return date; }, [] { return QStringLiteral("10:00:00"); }))
            ASSERT_TRUE(cData->cloud_ExecSQL(s)) << s.toStdString();
    };
    ReleaseRecord r = record("CORPAY", "1000");
    release(r, QStringLiteral("2024/01/01"));
    r.notes = QStringLiteral("second");
    r.critical = QStringLiteral("Y");
    release(r, QStringLiteral("2024/01/02"));
    release(record("CORPAY", "1001"), QStringLiteral("2024/01/03"));
    EXPECT_EQ(cloudRows(QStringLiteral("Suite, ProgName, Version, Critical, Notes, UploadDate")),
              (QList<QStringList>{{"CORVANE", "CORPAY", "1000", "Y", "second", "2024/01/02"},
                                  {"CORVANE", "CORPAY", "1001", "N", "", "2024/01/03"}}));
}

TEST_P(Database, QuotesAndInjectionTextsAreStoredAsWritten) {
    const QStringList values{QStringLiteral("O'Brien"),
                             QStringLiteral("'; DROP TABLE vcVersions; --"),
                             QStringLiteral("a;b /* c */ -- d\r\ne")};
    int n = 0;
    for (const QString& v : values) {
        ReleaseRecord r = record(QStringLiteral("P%1").arg(++n), QStringLiteral("1"));
        r.notes = v;
        r.description = v;
        for (const QString& s : cData->CloudDialect().ReleaseStatements(
                 r, [] { return DateText(0); }, [] { return TimeText(); }))
            ASSERT_TRUE(cData->cloud_ExecSQL(s));
        ASSERT_TRUE(cData->cmn_ExecSQL(QStringLiteral("INSERT INTO vcVersions (PgmName, "
                                                      "Description) VALUES (%1, %2)")
                                           .arg(SqlLiteral(v), SqlLiteral(v))));
        GetProgramDescription(v + QStringLiteral(".EXE"));
        EXPECT_EQ(sPgmDescription, v);
    }
    EXPECT_EQ(cloudRows(QStringLiteral("Notes, Description")),
              (QList<QStringList>{
                  {values[0], values[0]}, {values[1], values[1]}, {values[2], values[2]}}));
    EXPECT_EQ(m_backend->rows(false, QStringLiteral("SELECT count(*) FROM vcVersions")),
              (QList<QStringList>{{"8"}}));
}

TEST_P(Database, CatalogueLookup) {
    ScopedScriptedDialogs boxes;
    struct Case {
        const char* name;
        const char* description;
    };
    ASSERT_TRUE(cData->cmn_ExecSQL(
        QStringLiteral("INSERT INTO vcVersions (PgmName, Description) VALUES ('', 'No name')")));
    for (const Case& c :
         {Case{"CORPAY.EXE", "Payroll"}, Case{"CORTAX.OLD.EXE", "Tax Returns"},
          Case{"CORSTOCK", "Stock Control"}, Case{".EXE", "No name"}, Case{"CORNONE.EXE", ""},
          Case{"", "No name"}, Case{"corpay.exe", "Payroll"}}) {
        sPgmDescription = QStringLiteral("stale");
        GetProgramDescription(QString::fromUtf8(c.name));
        EXPECT_EQ(sPgmDescription, QString::fromUtf8(c.description)) << c.name;
    }
    EXPECT_TRUE(boxes->boxes.isEmpty());

    m_backend->run(false, QStringLiteral("DROP TABLE vcVersions"));
    GetProgramDescription(QStringLiteral("CORPAY.EXE"));
    GetProgramDescription(QStringLiteral("CORTAX.EXE"));
    EXPECT_TRUE(sPgmDescription.isEmpty());
    ASSERT_EQ(boxes->boxes.size(), 2);
    for (const ScriptedDialogs::Box& b : boxes->boxes) {
        EXPECT_EQ(b.kind, QStringLiteral("error"));
        EXPECT_EQ(b.caption, kApplicationTitle);
        EXPECT_TRUE(b.text.startsWith(QStringLiteral("SQL Error on Table: vcVersions :-\r")))
            << b.text.toStdString();
        EXPECT_GT(b.text.size(), QStringLiteral("SQL Error on Table: vcVersions :-\r").size());
    }
}

TEST_P(Database, ConnectFailureNamesTheDatabase) {
    const QString good = sCloudDBName;
    sCloudDBName = QStringLiteral(" NoSuchDatabase ");
    const QString prefix = QStringLiteral(
        "DataCMN.CommonConnect - Failed to connect to database [ NoSuchDatabase ]. Reason: ");
    try {
        cData->ConnectDB_Cloud();
        FAIL() << "connected to a database that does not exist";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.message().startsWith(prefix)) << e.what();
        EXPECT_GT(e.message().size(), prefix.size() + 5) << e.what();
        if (m_backend->embedded()) {
            EXPECT_TRUE(e.message().contains(
                QDir::toNativeSeparators(EmbeddedDatabaseFile(sCloudHost, sCloudDBName))))
                << e.what();
        }
    }
    EXPECT_FALSE(cData->CloudDB().isOpen());
    if (m_backend->embedded()) {
        EXPECT_FALSE(QFile::exists(EmbeddedDatabaseFile(sCloudHost, sCloudDBName)));
    }
    sCloudDBName = good;
    EXPECT_TRUE(cData->ConnectDB_Cloud());
    EXPECT_TRUE(cData->cloud_ExecSQL(QStringLiteral("DELETE FROM vcSysProgRelease")));
}

INSTANTIATE_TEST_SUITE_P(Backends, Database, ::testing::Values("embedded", "sqlserver"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

} // namespace
