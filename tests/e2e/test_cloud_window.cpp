// The upload, the cloud release list and the test download in the real window (offscreen),
// driven through its buttons, against the embedded store and, when CORUPD_TEST_SQLSERVER names
// one, a real SQL Server.
#include "CloudReleaseModel.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "EmbeddedStore.h"
#include "MAIN000.h"
#include "NavBar.h"
#include "OdbcConnection.h"
#include "PathUtil.h"
#include "ScriptedDialogs.h"
#include "StoreBuilder.h"
#include "StringGrid.h"
#include "TsData.h"
#include "platform/ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUuid>

#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kSuite = QStringLiteral("CORVANE");

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A program file's bytes that differ per program and version.
QByteArray programBytes(const QString& name, int size = 5000) {
    QByteArray b = "MZ " + name.toLatin1() + ' ';
    for (int i = 0; b.size() < size; ++i)
        b.append(static_cast<char>((i * 31 + name.size()) & 0xff));
    return b;
}

// An archive as packaging makes it: one program file, deflated.
QByteArray makeArchive(const QString& archivePath, const QString& entryName,
                       const QByteArray& content) {
    const QString source = QFileInfo(archivePath).absolutePath() + QStringLiteral("/.src-") +
                           QUuid::createUuid().toString(QUuid::WithoutBraces);
    writeBytes(source, content);
    platform::ZipWriter writer;
    writer.Create(ToFsPath(archivePath));
    writer.AddFile(ToFsPath(source), entryName.toStdString());
    writer.Close();
    QFile::remove(source);
    return readBytes(archivePath);
}

// An archive made by Python's zipfile from a script that writes to `out`.
QByteArray pythonArchive(const QString& path, const QString& body) {
    const QString script = QStringLiteral("import sys, zipfile\nout = sys.argv[1]\n") + body;
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << "python3: " << p.readAllStandardError().toStdString();
        return {};
    }
    return readBytes(path);
}

struct ReleaseRow {
    qint64 recId = 0;
    QString suite, progName, description, version, critical, minDBVersion, notes, date, time;
    QByteArray rar;
};

enum class Fault { Removal, Release, Blob, MissingColumn, ClosedConnection };
const char* const kFaultNames[] = {"Removal", "Release", "Blob", "MissingColumn",
                                   "ClosedConnection"};
void PrintTo(Fault f, std::ostream* os) {
    *os << kFaultNames[static_cast<int>(f)];
}

// The cloud database the window talks to, and a connection of the test's own to look at it
// and to change it behind the window's back.
class CloudStore {
  public:
    virtual ~CloudStore() = default;
    // Empty when the backend can be used, else why not.
    virtual QString Unavailable() const { return {}; }
    // Makes an empty release table and points the shared cloud settings at it.
    virtual void Create(const QString& storeFolder) = 0;
    virtual QStringList FaultStatements(Fault f) const = 0;
    // What the failing step's database message holds.
    virtual QString FaultMessage(Fault f) const = 0;

    void Exec(const QString& sql) {
        QSqlQuery q(db());
        q.setForwardOnly(true);
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }
    void Insert(const ReleaseRow& r) {
        QSqlQuery q(db());
        q.setForwardOnly(true);
        ASSERT_TRUE(q.prepare(QStringLiteral(
            "INSERT INTO vcSysProgRelease (Suite, ProgName, Description, Version, Critical, "
            "MinDBVersion, Notes, UploadDate, UploadTime, RARFile) VALUES (?,?,?,?,?,?,?,?,?,?)")));
        for (const QString& v : {r.suite, r.progName, r.description, r.version, r.critical,
                                 r.minDBVersion, r.notes, r.date, r.time})
            q.addBindValue(v);
        q.addBindValue(r.rar);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    QList<ReleaseRow> Rows() {
        QList<ReleaseRow> rows;
        QSqlQuery q(db());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT * FROM vcSysProgRelease ORDER BY RecID"))) {
            ADD_FAILURE() << q.lastError().text().toStdString();
            return rows;
        }
        const QSqlRecord rec = q.record();
        auto text = [&](const char* name) {
            const int i = rec.indexOf(QString::fromLatin1(name));
            return i < 0 ? QString() : q.value(i).toString();
        };
        while (q.next()) {
            ReleaseRow r;
            r.recId = q.value(rec.indexOf(QStringLiteral("RecID"))).toLongLong();
            r.suite = text("Suite");
            r.progName = text("ProgName");
            r.description = text("Description");
            r.version = text("Version");
            r.critical = text("Critical");
            r.minDBVersion = text("MinDBVersion");
            r.notes = text("Notes");
            r.date = text("UploadDate");
            r.time = text("UploadTime");
            r.rar = q.value(rec.indexOf(QStringLiteral("RARFile"))).toByteArray();
            rows.append(r);
        }
        return rows;
    }
    QList<ReleaseRow> RowsOf(const QString& prog) {
        QList<ReleaseRow> r;
        for (const ReleaseRow& row : Rows())
            if (row.progName == prog)
                r.append(row);
        return r;
    }

  protected:
    virtual QSqlDatabase db() const = 0;
};

// The embedded store: the cloud database file beside the common one.
class EmbeddedCloud final : public CloudStore {
  public:
    ~EmbeddedCloud() override {
        { QSqlDatabase::database(m_connection, false).close(); }
        QSqlDatabase::removeDatabase(m_connection);
    }
    void Create(const QString& storeFolder) override {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        d.setDatabaseName(EmbeddedDatabaseFile(storeFolder, sCloudDBName));
        ASSERT_TRUE(d.open());
    }
    QStringList FaultStatements(Fault f) const override {
        switch (f) {
        case Fault::Removal:
            return {QStringLiteral("CREATE TRIGGER fail_removal BEFORE DELETE ON vcSysProgRelease "
                                   "BEGIN SELECT RAISE(ABORT, 'removal refused by test'); END")};
        case Fault::Release:
            return {QStringLiteral("CREATE TRIGGER fail_insert BEFORE INSERT ON vcSysProgRelease "
                                   "BEGIN SELECT RAISE(ABORT, 'release refused by test'); END"),
                    QStringLiteral("CREATE TRIGGER fail_update BEFORE UPDATE OF Description, "
                                   "Critical, Notes ON vcSysProgRelease "
                                   "BEGIN SELECT RAISE(ABORT, 'release refused by test'); END")};
        case Fault::Blob:
            return {QStringLiteral("CREATE TRIGGER fail_blob BEFORE UPDATE OF RARFile ON "
                                   "vcSysProgRelease "
                                   "BEGIN SELECT RAISE(ABORT, 'blob refused by test'); END")};
        case Fault::MissingColumn:
            return {QStringLiteral("ALTER TABLE vcSysProgRelease DROP COLUMN MinDBVersion")};
        case Fault::ClosedConnection:
            break;
        }
        return {};
    }
    QString FaultMessage(Fault f) const override {
        switch (f) {
        case Fault::Removal:
            return QStringLiteral("removal refused by test");
        case Fault::Release:
            return QStringLiteral("release refused by test");
        case Fault::Blob:
            return QStringLiteral("blob refused by test");
        case Fault::MissingColumn:
            return QStringLiteral("MinDBVersion");
        case Fault::ClosedConnection:
            return QStringLiteral("not open");
        }
        return {};
    }

  protected:
    QSqlDatabase db() const override { return QSqlDatabase::database(m_connection, false); }

  private:
    QString m_connection =
        QStringLiteral("test-cloud-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
};

// A real SQL Server named by CORUPD_TEST_SQLSERVER ("host=...;port=...;user=...;password=...");
// each test gets a database of its own, dropped afterwards.
class SqlServerCloud final : public CloudStore {
  public:
    SqlServerCloud() {
        const QString settings = qEnvironmentVariable("CORUPD_TEST_SQLSERVER");
        for (const QString& pair : settings.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            if (eq > 0)
                m_settings[pair.left(eq).trimmed().toLower()] = pair.mid(eq + 1);
        }
    }
    ~SqlServerCloud() override {
        { QSqlDatabase::database(m_connection, false).close(); }
        QSqlDatabase::removeDatabase(m_connection);
        if (m_dbName.isEmpty())
            return;
        {
            QSqlDatabase master = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connection);
            QString why;
            if (OpenSqlServerDatabase(master, server(), QStringLiteral("master"),
                                      m_settings["user"], m_settings["password"], &why)) {
                QSqlQuery q(master);
                q.setForwardOnly(true);
                q.exec(QStringLiteral("ALTER DATABASE [%1] SET SINGLE_USER WITH ROLLBACK IMMEDIATE")
                           .arg(m_dbName));
                q.exec(QStringLiteral("DROP DATABASE [%1]").arg(m_dbName));
            }
            master.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    QString Unavailable() const override {
        return m_settings.contains(QStringLiteral("host"))
                   ? QString()
                   : QStringLiteral(
                         "CORUPD_TEST_SQLSERVER is not set (host=...;port=...;user=...;"
                         "password=...): the SQL Server runs of these flows are skipped");
    }
    void Create(const QString&) override {
        m_dbName =
            QStringLiteral("corupd_test_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        {
            QSqlDatabase master = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connection);
            QString why;
            ASSERT_TRUE(OpenSqlServerDatabase(master, server(), QStringLiteral("master"),
                                              m_settings["user"], m_settings["password"], &why))
                << why.toStdString();
            QSqlQuery q(master);
            q.setForwardOnly(true);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE DATABASE [%1]").arg(m_dbName)))
                << q.lastError().text().toStdString();
            master.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connection);
        QString why;
        ASSERT_TRUE(OpenSqlServerDatabase(d, server(), m_dbName, m_settings["user"],
                                          m_settings["password"], &why))
            << why.toStdString();
        // The table as the suite's cloud database has it.
        const QString ddl =
            QString::fromUtf8(readBytes(QStringLiteral(CORUPD_TEST_FIXTURES) +
                                        QStringLiteral("/../../sql/sqlserver-cloud.sql")));
        ASSERT_FALSE(ddl.isEmpty());
        for (const QString& batch : ddl.split(QRegularExpression(
                 QStringLiteral("^\\s*GO\\s*$"), QRegularExpression::MultilineOption))) {
            const QString b = batch.trimmed();
            if (b.isEmpty() || b.contains(QStringLiteral("CREATE DATABASE")) ||
                b.startsWith(QStringLiteral("USE ")))
                continue;
            Exec(b);
        }
        sCloudHost = server();
        sCloudDBName = m_dbName;
        sCloudUser = m_settings["user"];
        sCloudPswd = m_settings["password"];
        sCloudConnector = QString();
    }
    QStringList FaultStatements(Fault f) const override {
        switch (f) {
        case Fault::Removal:
            return {
                QStringLiteral("CREATE TRIGGER fail_removal ON vcSysProgRelease INSTEAD OF DELETE "
                               "AS RAISERROR('removal refused by test', 16, 1)")};
        case Fault::Release:
            return {
                QStringLiteral("CREATE TRIGGER fail_insert ON vcSysProgRelease INSTEAD OF INSERT "
                               "AS RAISERROR('release refused by test', 16, 1)"),
                QStringLiteral(
                    "CREATE TRIGGER fail_update ON vcSysProgRelease AFTER UPDATE AS "
                    "IF UPDATE(Description) RAISERROR('release refused by test', 16, 1)")};
        case Fault::Blob:
            return {QStringLiteral("CREATE TRIGGER fail_blob ON vcSysProgRelease AFTER UPDATE AS "
                                   "IF UPDATE(RARFile) RAISERROR('blob refused by test', 16, 1)")};
        case Fault::MissingColumn:
            return {QStringLiteral("ALTER TABLE vcSysProgRelease DROP COLUMN MinDBVersion")};
        case Fault::ClosedConnection:
            break;
        }
        return {};
    }
    QString FaultMessage(Fault f) const override {
        switch (f) {
        case Fault::Removal:
            return QStringLiteral("removal refused by test");
        case Fault::Release:
            return QStringLiteral("release refused by test");
        case Fault::Blob:
            return QStringLiteral("blob refused by test");
        case Fault::MissingColumn:
            return QStringLiteral("MinDBVersion");
        case Fault::ClosedConnection:
            return QStringLiteral("not open");
        }
        return {};
    }

  protected:
    QSqlDatabase db() const override { return QSqlDatabase::database(m_connection, false); }

  private:
    QString server() const {
        const QString port = m_settings.value(QStringLiteral("port"));
        return m_settings.value(QStringLiteral("host")) +
               (port.isEmpty() ? QString() : QStringLiteral(",") + port);
    }
    QMap<QString, QString> m_settings;
    QString m_dbName;
    QString m_connection =
        QStringLiteral("test-mssql-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
};

std::unique_ptr<CloudStore> makeStore(const std::string& backend) {
    if (backend == "sqlserver")
        return std::make_unique<SqlServerCloud>();
    return std::make_unique<EmbeddedCloud>();
}

// The tool folder with ZIPFiles and Temp, the embedded common database, the cloud of the
// backend, the database module and the window (never shown: start-up does not run).
class CloudWindowBase : public ::testing::Test {
  protected:
    virtual std::string backend() const = 0;

    void SetUp() override {
        ClearSharedState();
        m_store = makeStore(backend());
        if (const QString why = m_store->Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(m_dir.isValid());
        m_tool = m_dir.filePath(QStringLiteral("tool")) + QLatin1Char('/');
        ASSERT_TRUE(QDir().mkpath(m_tool + QStringLiteral("ZIPFiles")));
        ASSERT_TRUE(QDir().mkpath(m_tool + QStringLiteral("Temp")));
        const QString storeFolder = m_dir.filePath(QStringLiteral("store"));
        CreateEmbeddedStore(storeFolder);
        const EmbeddedStoreOptions o;
        sCommonHost = sCloudHost = QDir::toNativeSeparators(storeFolder);
        sCommonDBName = o.commonName;
        sCloudDBName = o.cloudName;
        sCommonUser = sCloudUser = o.user;
        sCommonPswd = sCloudPswd = o.pswd;
        sCommonConnector = sCloudConnector = QStringLiteral("SQLite");
        m_store->Create(storeFolder);
        if (HasFatalFailure())
            return;
        sExePath = m_tool;
        cData = new TcData;
        ASSERT_TRUE(cData->ConnectDB_Common());
        ASSERT_TRUE(cData->ConnectDB_Cloud());
        m_resources = std::make_unique<TsData>();
        m_window = std::make_unique<TfrmMAIN000>();
        m_window->sZIPPath = m_tool + QStringLiteral("ZIPFiles/");
        ASSERT_NE(m_window->grdZIPFilesModel, nullptr);
        ASSERT_NE(m_window->qrySysProgReleaseModel, nullptr);
    }
    void TearDown() override {
        m_window.reset();
        m_resources.reset();
        delete cData;
        cData = nullptr;
        m_store.reset();
        SetCursorMode(QStringLiteral("RESET"));
        ClearSharedState();
    }

    QString zipPath(const QString& name) const {
        return m_tool + QStringLiteral("ZIPFiles/") + name;
    }
    QString upgrades() const { return m_tool + QStringLiteral("Upgrades/"); }
    StringGrid& zips() { return *m_window->grdZIPFilesModel; }
    CloudReleaseModel& cloudList() { return *m_window->qrySysProgReleaseModel; }

    int zipRow(const QString& name) {
        for (int row = 1; row < zips().RowCount(); ++row)
            if (zips().Cell(1, row) == name)
                return row;
        ADD_FAILURE() << "no row for " << name.toStdString();
        return 1;
    }
    void tick(const QString& name) { zips().SetChecked(0, zipRow(name), true); }
    void focus(const QString& name) {
        const int row = zipRow(name);
        m_window->grdZIPFiles->setCurrentIndex(zips().index(row - 1, 1));
    }
    void upload() { m_window->btnUploadLIVE->click(); }
    void download() { m_window->btnDownload->click(); }
    void clickNav(const char* item) {
        QToolButton* b = m_window->dxNavBar1->Item(QString::fromLatin1(item));
        ASSERT_NE(b, nullptr) << item;
        b->click();
    }
    ReleaseRow seed(const QString& suite, const QString& prog, const QString& version,
                    const QByteArray& rar) {
        ReleaseRow r;
        r.suite = suite;
        r.progName = prog;
        r.version = version;
        r.description = QStringLiteral("earlier");
        r.critical = QStringLiteral("N");
        r.minDBVersion = QStringLiteral("1.0");
        r.notes = QStringLiteral("earlier notes");
        r.date = QStringLiteral("2020/01/02");
        r.time = QStringLiteral("03:04:05");
        r.rar = rar;
        m_store->Insert(r);
        return r;
    }
    QStringList errorBoxes() {
        QStringList r;
        for (const ScriptedDialogs::Box& b : m_boxes->boxes)
            if (b.kind == QLatin1String("error")) {
                EXPECT_EQ(b.caption, kApplicationTitle);
                r << b.text;
            }
        return r;
    }
    // Every file or link below a folder (relative names); none when it does not exist.
    static QStringList filesBelow(const QString& folder) {
        QStringList r;
        QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            r << QDir(folder).relativeFilePath(it.next());
        r.sort();
        return r;
    }

    QTemporaryDir m_dir;
    QString m_tool;
    ScopedScriptedDialogs m_boxes;
    std::unique_ptr<CloudStore> m_store;
    std::unique_ptr<TsData> m_resources;
    std::unique_ptr<TfrmMAIN000> m_window;
};

class CloudWindow : public CloudWindowBase, public ::testing::WithParamInterface<std::string> {
  protected:
    std::string backend() const override { return GetParam(); }
};

// --- upload ---

TEST_P(CloudWindow, UploadLeavesOneRowPerProgramHoldingItsArchive) {
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("4000"), "old payroll archive");
    seed(QStringLiteral("OTHERSUITE"), QStringLiteral("CORPAY"), QStringLiteral("5023"),
         "other suite");
    seed(kSuite, QStringLiteral("CORTAX"), QStringLiteral("1000"), "old tax archive");
    seed(kSuite, QStringLiteral("CORPOS"), QStringLiteral("7"), "not uploaded today");
    const QByteArray pay = makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")),
                                       QStringLiteral("CORPAY.EXE"), programBytes("CORPAY"));
    const QByteArray tax = makeArchive(zipPath(QStringLiteral("CORTAX_2050.ZIP")),
                                       QStringLiteral("CORTAX.EXE"), programBytes("CORTAX", 70000));
    const QByteArray newer = makeArchive(zipPath(QStringLiteral("CORNEW_1.ZIP")),
                                         QStringLiteral("CORNEW.EXE"), programBytes("CORNEW"));
    m_window->LoadZIPFileList();
    tick(QStringLiteral("CORPAY_5023.ZIP"));
    tick(QStringLiteral("CORTAX_2050.ZIP"));
    tick(QStringLiteral("CORNEW_1.ZIP"));
    const int payRow = zipRow(QStringLiteral("CORPAY_5023.ZIP"));
    const int taxRow = zipRow(QStringLiteral("CORTAX_2050.ZIP"));
    zips().SetChecked(6, payRow, true);
    zips().SetCell(7, payRow, QStringLiteral(" 7.1"));
    zips().SetCell(8, taxRow, QStringLiteral("Bob's fix for 'rounding'"));

    upload();

    EXPECT_TRUE(errorBoxes().isEmpty()) << errorBoxes().join(QLatin1Char('\n')).toStdString();
    const QList<ReleaseRow> payRows = m_store->RowsOf(QStringLiteral("CORPAY"));
    ASSERT_EQ(payRows.size(), 1);
    const ReleaseRow& p = payRows[0];
    EXPECT_EQ(p.suite, kSuite);
    EXPECT_EQ(p.version, QStringLiteral("5023"));
    EXPECT_EQ(p.description, QStringLiteral("Payroll"));
    EXPECT_EQ(p.critical, QStringLiteral("Y"));
    EXPECT_EQ(p.minDBVersion, QStringLiteral(" 7.1"));
    EXPECT_EQ(p.notes, QString());
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2}$")).match(p.date).hasMatch())
        << p.date.toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$")).match(p.time).hasMatch())
        << p.time.toStdString();
    EXPECT_TRUE(p.rar == pay) << "the stored archive differs from the file";

    const QList<ReleaseRow> taxRows = m_store->RowsOf(QStringLiteral("CORTAX"));
    ASSERT_EQ(taxRows.size(), 1);
    EXPECT_EQ(taxRows[0].critical, QStringLiteral("N"));
    EXPECT_EQ(taxRows[0].notes, QStringLiteral("Bob's fix for 'rounding'"));
    EXPECT_TRUE(taxRows[0].rar == tax);

    const QList<ReleaseRow> newRows = m_store->RowsOf(QStringLiteral("CORNEW"));
    ASSERT_EQ(newRows.size(), 1);
    EXPECT_EQ(newRows[0].description, QString()) << "no catalogue row: empty description";
    EXPECT_TRUE(newRows[0].rar == newer);

    const QList<ReleaseRow> posRows = m_store->RowsOf(QStringLiteral("CORPOS"));
    ASSERT_EQ(posRows.size(), 1);
    EXPECT_EQ(posRows[0].rar, QByteArray("not uploaded today"));

    for (int row : {payRow, taxRow, zipRow(QStringLiteral("CORNEW_1.ZIP"))})
        EXPECT_EQ(zips().Cell(9, row), QStringLiteral("* Uploaded *"));
    EXPECT_EQ(sStatusKind1, QStringLiteral("Msg"));
    EXPECT_EQ(sStatusText1, QStringLiteral("Complete: "));
    EXPECT_EQ(m_window->lblUploadFile->text(),
              QStringLiteral("Uploading File : ") + zips().Cell(1, zips().RowCount() - 1));
    EXPECT_EQ(m_window->lblUploadSelected->text(), QStringLiteral("Selected Upload Files : 3/3"));
    EXPECT_TRUE(zips().IsChecked(0, payRow)) << "ticks stay";
    EXPECT_EQ(cloudList().rowCount(), 0) << "the upload does not reload the cloud list";
    EXPECT_TRUE(cData->rUpdSQL.boundValues().isEmpty())
        << "the last archive is still held after the upload";
}

TEST_P(CloudWindow, SameProgramAndVersionTwiceGivesOneNewRow) {
    const QByteArray pay = makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")),
                                       QStringLiteral("CORPAY.EXE"), programBytes("CORPAY"));
    m_window->LoadZIPFileList();
    tick(QStringLiteral("CORPAY_5023.ZIP"));
    upload();
    const QList<ReleaseRow> first = m_store->RowsOf(QStringLiteral("CORPAY"));
    ASSERT_EQ(first.size(), 1);
    upload();
    const QList<ReleaseRow> second = m_store->RowsOf(QStringLiteral("CORPAY"));
    ASSERT_EQ(second.size(), 1);
    EXPECT_NE(second[0].recId, first[0].recId) << "the release is inserted anew";
    EXPECT_TRUE(second[0].rar == pay);
    EXPECT_TRUE(errorBoxes().isEmpty());
}

TEST_P(CloudWindow, ArchiveGoneSinceListingSendsNothing) {
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("4000"), "earlier payroll");
    // Row 1, not ticked: the progress label counts grid rows, not uploads.
    makeArchive(zipPath(QStringLiteral("CORAAA_1.ZIP")), QStringLiteral("CORAAA.EXE"),
                programBytes("CORAAA"));
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY"));
    const QByteArray tax = makeArchive(zipPath(QStringLiteral("CORTAX_2050.ZIP")),
                                       QStringLiteral("CORTAX.EXE"), programBytes("CORTAX"));
    m_window->LoadZIPFileList();
    ASSERT_EQ(zipRow(QStringLiteral("CORTAX_2050.ZIP")), 3);
    tick(QStringLiteral("CORPAY_5023.ZIP"));
    tick(QStringLiteral("CORTAX_2050.ZIP"));
    ASSERT_TRUE(QFile::remove(zipPath(QStringLiteral("CORPAY_5023.ZIP"))));
    m_window->sZIPFileName = m_tool + QStringLiteral("ZIPFiles/CORTAX_2050.ZIP");

    upload();

    EXPECT_EQ(zips().Cell(9, zipRow(QStringLiteral("CORPAY_5023.ZIP"))),
              QStringLiteral("-- Uploading"));
    EXPECT_EQ(zips().Cell(9, zipRow(QStringLiteral("CORTAX_2050.ZIP"))),
              QStringLiteral("* Uploaded *"));
    const QList<ReleaseRow> pay = m_store->RowsOf(QStringLiteral("CORPAY"));
    ASSERT_EQ(pay.size(), 1);
    EXPECT_EQ(pay[0].version, QStringLiteral("4000"));
    EXPECT_EQ(m_store->RowsOf(QStringLiteral("CORTAX")).size(), 1);
    EXPECT_TRUE(m_store->RowsOf(QStringLiteral("CORAAA")).isEmpty());
    EXPECT_EQ(zips().Cell(9, 1), QString());
    EXPECT_TRUE(errorBoxes().isEmpty());
    EXPECT_EQ(m_window->lblUploadSelected->text(), QStringLiteral("Selected Upload Files : 3/2"));
    EXPECT_EQ(sStatusKind1, QStringLiteral("Msg"));
    EXPECT_EQ(sStatusText1, QStringLiteral("Complete: ") + m_window->sZIPFileName);
}

// A failure at any step of one archive's upload: nothing of it stays, the earlier release is
// whole, the row and the box say so, and the command stops there.
class CloudUploadFault : public CloudWindowBase,
                         public ::testing::WithParamInterface<std::tuple<std::string, Fault>> {
  protected:
    std::string backend() const override { return std::get<0>(GetParam()); }
};

TEST_P(CloudUploadFault, EarlierReleaseSurvivesAndTheRowSaysFailed) {
    const Fault fault = std::get<1>(GetParam());
    const QByteArray earlier = makeArchive(m_tool + QStringLiteral("earlier.ZIP"),
                                           QStringLiteral("CORPAY.EXE"), programBytes("old"));
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("4000"), earlier);
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY"));
    makeArchive(zipPath(QStringLiteral("CORTAX_2050.ZIP")), QStringLiteral("CORTAX.EXE"),
                programBytes("CORTAX"));
    m_window->LoadZIPFileList();
    tick(QStringLiteral("CORPAY_5023.ZIP"));
    tick(QStringLiteral("CORTAX_2050.ZIP"));
    for (const QString& sql : m_store->FaultStatements(fault))
        m_store->Exec(sql);
    if (fault == Fault::ClosedConnection)
        cData->CloudDB().close();

    upload();

    const QList<ReleaseRow> pay = m_store->RowsOf(QStringLiteral("CORPAY"));
    ASSERT_EQ(pay.size(), 1);
    EXPECT_EQ(pay[0].version, QStringLiteral("4000"));
    EXPECT_EQ(pay[0].description, QStringLiteral("earlier"));
    EXPECT_EQ(pay[0].notes, QStringLiteral("earlier notes"));
    EXPECT_TRUE(pay[0].rar == earlier) << "the earlier archive is not whole";
    EXPECT_TRUE(m_store->RowsOf(QStringLiteral("CORTAX")).isEmpty())
        << "the command goes no further";

    EXPECT_EQ(zips().Cell(9, zipRow(QStringLiteral("CORPAY_5023.ZIP"))),
              QStringLiteral("** Upload FAILED **"));
    EXPECT_EQ(zips().Cell(9, zipRow(QStringLiteral("CORTAX_2050.ZIP"))), QString());
    const QStringList boxes = errorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("CORPAY"))) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains(m_store->FaultMessage(fault), Qt::CaseInsensitive))
        << boxes[0].toStdString();
    EXPECT_EQ(sStatusText1, QStringLiteral("Uploading ZIP Files to the Cloud"));

    if (fault != Fault::ClosedConnection) {
        const QString saved =
            QString::fromLatin1(readBytes(m_tool + QStringLiteral("CMNSQLError.TXT")));
        const char* const statement[] = {"DELETE FROM vcSysProgRelease",
                                         "INSERT INTO [vcSysProgRelease]", "[RARFile] = :imgBlob",
                                         "[MinDBVersion] = "};
        EXPECT_TRUE(saved.contains(QString::fromLatin1(statement[static_cast<int>(fault)])))
            << saved.toStdString();
    }
}

// --- cloud release list ---

TEST_P(CloudWindow, ListShowsEveryRowAndF5ReloadsIt) {
    seed(kSuite, QStringLiteral("CORTAX"), QStringLiteral("100512"), "t");
    seed(QStringLiteral("OTHERSUITE"), QStringLiteral("CORAB"), QStringLiteral("7"), "a");
    m_window->LoadCloudGrid();
    ASSERT_EQ(cloudList().rowCount(), 2);
    EXPECT_EQ(cloudList().Value(0, CloudReleaseModel::ProgName).toString(),
              QStringLiteral("CORAB"));
    EXPECT_EQ(cloudList()
                  .data(cloudList().index(1, CloudReleaseModel::Version), Qt::DisplayRole)
                  .toString(),
              QStringLiteral("10.05.12"));
    EXPECT_EQ(m_window->cxGrid1DBTableView1VersionGetDisplayText(QStringLiteral("10512")),
              QStringLiteral("10.51.12"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("5023"), "p");
    m_window->pgMain->setCurrentIndex(0);
    m_window->acRefresh_Cloud_Grid->trigger();
    EXPECT_EQ(cloudList().rowCount(), 3);
    m_store->Exec(QStringLiteral("DELETE FROM vcSysProgRelease WHERE ProgName = 'CORAB'"));
    clickNav("dxRefresh");
    EXPECT_EQ(cloudList().rowCount(), 2);
    EXPECT_TRUE(errorBoxes().isEmpty());
}

TEST_P(CloudWindow, ListErrorShowsTheBoxAndLeavesTheListEmpty) {
    seed(kSuite, QStringLiteral("CORTAX"), QStringLiteral("1"), "t");
    m_window->LoadCloudGrid();
    ASSERT_EQ(cloudList().rowCount(), 1);
    m_store->Exec(QStringLiteral("DROP TABLE vcSysProgRelease"));
    m_window->LoadCloudGrid();
    EXPECT_EQ(cloudList().rowCount(), 0);
    const QStringList boxes = errorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("SQL Error on Table: vcSysProgRelease :-\r")))
        << boxes[0].toStdString();
    EXPECT_GT(boxes[0].size(), QStringLiteral("SQL Error on Table: vcSysProgRelease :-\r").size());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_P(CloudWindow, DeleteRemovesEverySelectedProgramAfterAsking) {
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("4000"), "p1");
    seed(QStringLiteral("OTHERSUITE"), QStringLiteral("CORPAY"), QStringLiteral("5023"), "p2");
    seed(kSuite, QStringLiteral("CORTAX"), QStringLiteral("1"), "t");
    m_window->LoadCloudGrid();
    ASSERT_EQ(cloudList().rowCount(), 3);
    QItemSelectionModel* sel = m_window->cxGrid1->selectionModel();
    sel->select(cloudList().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    sel->select(cloudList().index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    // No: nothing changes and the cursor stays as it was.
    SetCursorMode(QStringLiteral("HAND"));
    m_boxes->answers = {false};
    clickNav("dxDelete");
    ASSERT_EQ(m_boxes->boxes.size(), 1);
    EXPECT_EQ(m_boxes->boxes[0].kind, QStringLiteral("question"));
    EXPECT_EQ(m_boxes->boxes[0].caption, kApplicationTitle);
    EXPECT_EQ(m_boxes->boxes[0].text, QStringLiteral("Delete 2 Programs from the Cloud ?"));
    EXPECT_EQ(m_store->Rows().size(), 3);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    SetCursorMode(QStringLiteral("RESET"));

    // Yes: the first line's statement takes both CORPAY rows; the second finds nothing.
    m_boxes->answers = {true};
    clickNav("dxDelete");
    ASSERT_EQ(m_boxes->boxes.size(), 2);
    EXPECT_TRUE(m_store->RowsOf(QStringLiteral("CORPAY")).isEmpty());
    EXPECT_EQ(m_store->RowsOf(QStringLiteral("CORTAX")).size(), 1);
    ASSERT_EQ(cloudList().rowCount(), 1) << "the list is reloaded";
    EXPECT_EQ(cloudList().Value(0, CloudReleaseModel::ProgName).toString(),
              QStringLiteral("CORTAX"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(errorBoxes().isEmpty());

    // Nothing selected: the question counts 0 and Yes removes nothing.
    m_window->cxGrid1->clearSelection();
    clickNav("dxDelete");
    ASSERT_EQ(m_boxes->boxes.size(), 3);
    EXPECT_EQ(m_boxes->boxes[2].text, QStringLiteral("Delete 0 Programs from the Cloud ?"));
    EXPECT_EQ(m_store->Rows().size(), 1);
}

TEST_P(CloudWindow, DeleteOnALostConnectionReportsAndResetsTheCursor) {
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("4000"), "p1");
    m_window->LoadCloudGrid();
    ASSERT_EQ(cloudList().rowCount(), 1);
    m_window->cxGrid1->selectionModel()->select(
        cloudList().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    cData->CloudDB().close();
    clickNav("dxDelete");
    EXPECT_EQ(errorBoxes().size(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor is left in SQL mode";
    EXPECT_EQ(m_store->RowsOf(QStringLiteral("CORPAY")).size(), 1);
}

TEST_P(CloudWindow, DeleteOnAnEmptyListAsksNothing) {
    m_window->LoadCloudGrid();
    ASSERT_EQ(cloudList().rowCount(), 0);
    clickNav("dxDelete");
    EXPECT_TRUE(m_boxes->boxes.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// --- test download ---

TEST_P(CloudWindow, DownloadRoundTripUnpacksTheProgramIntoUpgrades) {
    const QByteArray program = programBytes("CORPAY", 300000);
    const QByteArray archive = makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")),
                                           QStringLiteral("CORPAY.EXE"), program);
    m_window->LoadZIPFileList();
    tick(QStringLiteral("CORPAY_5023.ZIP"));
    upload();
    ASSERT_TRUE(errorBoxes().isEmpty());
    ASSERT_FALSE(QFileInfo::exists(upgrades())) << "Upgrades is made by the download";

    focus(QStringLiteral("CORPAY_5023.ZIP"));
    download();
    EXPECT_TRUE(errorBoxes().isEmpty()) << errorBoxes().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(readBytes(m_tool + QStringLiteral("Temp/CORPAY_5023.ZIP")) == archive);
    EXPECT_EQ(filesBelow(upgrades()), QStringList{QStringLiteral("CORPAY.EXE")});
    EXPECT_TRUE(readBytes(upgrades() + QStringLiteral("CORPAY.EXE")) == program);

    // Again over what the first one left: both files are replaced.
    writeBytes(upgrades() + QStringLiteral("CORPAY.EXE"), "in use by an older test");
    download();
    EXPECT_TRUE(readBytes(upgrades() + QStringLiteral("CORPAY.EXE")) == program);
    EXPECT_EQ(filesBelow(m_tool + QStringLiteral("Temp")),
              QStringList{QStringLiteral("CORPAY_5023.ZIP")});

    // The connection is free for the next command.
    m_window->LoadCloudGrid();
    EXPECT_EQ(cloudList().rowCount(), 1);
    EXPECT_TRUE(errorBoxes().isEmpty());
}

TEST_P(CloudWindow, DownloadTakesWhateverVersionTheCloudHolds) {
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY 5023"));
    const QByteArray newer = programBytes("CORPAY 6000");
    const QByteArray cloud =
        makeArchive(m_tool + QStringLiteral("cloud.ZIP"), QStringLiteral("CORPAY.EXE"), newer);
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("6000"), cloud);
    m_window->LoadZIPFileList();
    focus(QStringLiteral("CORPAY_5023.ZIP"));
    download();
    EXPECT_TRUE(errorBoxes().isEmpty());
    EXPECT_TRUE(readBytes(m_tool + QStringLiteral("Temp/CORPAY_5023.ZIP")) == cloud);
    EXPECT_TRUE(readBytes(upgrades() + QStringLiteral("CORPAY.EXE")) == newer);
}

TEST_P(CloudWindow, DownloadWithoutACloudRowDoesNothing) {
    // The list is empty: the focus rests on the blank row and asks for an empty name.
    m_window->LoadZIPFileList();
    download();
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY"));
    m_window->LoadZIPFileList();
    download(); // no current index: the first data row
    EXPECT_TRUE(m_boxes->boxes.isEmpty());
    EXPECT_TRUE(filesBelow(m_tool + QStringLiteral("Temp")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(upgrades()));
}

// A stored archive of 100 bytes or fewer is no release: nothing is written and nothing that an
// earlier download left under the same name is unpacked in its place.
TEST_P(CloudWindow, DownloadOnlyWritesArchivesOverOneHundredBytes) {
    const QString temp = m_tool + QStringLiteral("Temp/CORPAY_5023.ZIP");
    // Stored entries: 30 + 1 + data + 46 + 1 + 22 bytes.
    const QByteArray small = pythonArchive(
        m_tool + QStringLiteral("small.zip"),
        QStringLiteral(
            "with zipfile.ZipFile(out, 'w', zipfile.ZIP_STORED) as z: z.writestr('A', b'')"));
    const QByteArray enough = pythonArchive(
        m_tool + QStringLiteral("enough.zip"),
        QStringLiteral(
            "with zipfile.ZipFile(out, 'w', zipfile.ZIP_STORED) as z: z.writestr('A', b'x')"));
    ASSERT_EQ(small.size(), 100);
    ASSERT_EQ(enough.size(), 101);
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY"));
    const QByteArray stale =
        makeArchive(temp, QStringLiteral("STALE.EXE"), "left by an earlier run");
    m_window->LoadZIPFileList();
    focus(QStringLiteral("CORPAY_5023.ZIP"));

    const struct {
        QByteArray stored;
        bool written;
    } cases[] = {{small, false}, {QByteArray(), false}, {enough, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.size());
        m_store->Exec(QStringLiteral("DELETE FROM vcSysProgRelease"));
        seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("5023"), c.stored);
        m_boxes->boxes.clear();
        download();
        const QStringList boxes = errorBoxes();
        if (c.written) {
            EXPECT_TRUE(boxes.isEmpty()) << boxes.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(readBytes(temp) == c.stored);
            EXPECT_EQ(filesBelow(upgrades()), QStringList{QStringLiteral("A")});
            EXPECT_EQ(readBytes(upgrades() + QStringLiteral("A")), QByteArray("x"));
        } else {
            ASSERT_EQ(boxes.size(), 1);
            EXPECT_TRUE(boxes[0].contains(QStringLiteral("no usable archive")))
                << boxes[0].toStdString();
            EXPECT_TRUE(boxes[0].contains(QStringLiteral("CORPAY"))) << boxes[0].toStdString();
            EXPECT_TRUE(readBytes(temp) == stale) << "nothing is written";
            EXPECT_FALSE(QFileInfo::exists(upgrades())) << "Upgrades is left alone";
        }
    }
}

TEST_P(CloudWindow, DownloadWithoutTempFolderFailsAndLeavesUpgradesAlone) {
    const QByteArray archive = makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")),
                                           QStringLiteral("CORPAY.EXE"), programBytes("CORPAY"));
    seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("5023"), archive);
    ASSERT_TRUE(QDir(m_tool + QStringLiteral("Temp")).removeRecursively());
    m_window->LoadZIPFileList();
    focus(QStringLiteral("CORPAY_5023.ZIP"));
    download();
    const QStringList boxes = errorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("Temp"))) << boxes[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_tool + QStringLiteral("Temp")));
    EXPECT_FALSE(QFileInfo::exists(upgrades()));
}

// Archives from the cloud are untrusted: no entry may land outside Upgrades, and a refused one
// leaves no half-written file behind.
TEST_P(CloudWindow, DownloadRefusesEntriesThatEscapeUpgrades) {
    const QString outside = m_dir.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    makeArchive(zipPath(QStringLiteral("CORPAY_5023.ZIP")), QStringLiteral("CORPAY.EXE"),
                programBytes("CORPAY"));
    m_window->LoadZIPFileList();
    focus(QStringLiteral("CORPAY_5023.ZIP"));

    const struct {
        const char* what;
        QString script;
    } cases[] = {
        {"parent segment",
         QStringLiteral(
             "with zipfile.ZipFile(out, 'w') as z: z.writestr('../evil.txt', b'evil' * 40)")},
        {"parent segment with backslashes",
         QStringLiteral("with zipfile.ZipFile(out, 'w') as z: "
                        "z.writestr('sub\\\\..\\\\..\\\\evil.txt', b'evil' * 40)")},
        {"absolute name",
         QStringLiteral(
             "with zipfile.ZipFile(out, 'w') as z: z.writestr(zipfile.ZipInfo(%1), b'evil' * 40)")
             .arg(QStringLiteral("'") + outside + QStringLiteral("/abs.txt'"))},
        {"symbolic link", QStringLiteral("info = zipfile.ZipInfo('link')\n"
                                         "info.create_system = 3\n"
                                         "info.external_attr = 0o120777 << 16\n"
                                         "with zipfile.ZipFile(out, 'w') as z:\n"
                                         "    z.writestr(info, %1)\n"
                                         "    z.writestr('link/pwn.txt', b'evil' * 40)\n")
                              .arg(QStringLiteral("'") + outside + QStringLiteral("'"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray hostile =
            pythonArchive(m_dir.filePath(QStringLiteral("hostile.zip")), c.script);
        ASSERT_GT(hostile.size(), 100);
        m_store->Exec(QStringLiteral("DELETE FROM vcSysProgRelease"));
        seed(kSuite, QStringLiteral("CORPAY"), QStringLiteral("5023"), hostile);
        m_boxes->boxes.clear();
        download();
        EXPECT_EQ(errorBoxes().size(), 1);
        EXPECT_TRUE(filesBelow(outside).isEmpty())
            << filesBelow(outside).join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_tool + QStringLiteral("evil.txt")));
        EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("evil.txt"))));
        EXPECT_TRUE(filesBelow(upgrades()).isEmpty())
            << filesBelow(upgrades()).join(QLatin1Char(' ')).toStdString();
    }
}

std::string backendName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

INSTANTIATE_TEST_SUITE_P(Backends, CloudWindow, ::testing::Values("embedded", "sqlserver"),
                         backendName);

std::string faultName(const ::testing::TestParamInfo<std::tuple<std::string, Fault>>& info) {
    return std::get<0>(info.param) + "_" + kFaultNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Backends, CloudUploadFault,
                         ::testing::Combine(::testing::Values("embedded", "sqlserver"),
                                            ::testing::Values(Fault::Removal, Fault::Release,
                                                              Fault::Blob, Fault::MissingColumn,
                                                              Fault::ClosedConnection)),
                         faultName);

} // namespace
