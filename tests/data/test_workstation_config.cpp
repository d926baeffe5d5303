// The workstation configuration file below a drive-C folder made for each test.
#include "DataSYS.h"
#include "WorkstationConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kX86 = QStringLiteral("Program Files (x86)");
const QString kPlain = QStringLiteral("Program Files");

// Sets an environment variable for the scope and puts the old value back after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

class WorkstationConfig : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSharedState();
        ASSERT_TRUE(m_drive.isValid());
        m_env.emplace("CORVANE_DRIVE_C", m_drive.path().toUtf8());
    }
    void TearDown() override { ClearSharedState(); }

    QString ConfigFolder(const QString& base) const {
        return m_drive.path() + "/" + base + "/Common Files/Microsoft Shared/MSHelp16";
    }
    void MakeFolder(const QString& path) {
        ASSERT_TRUE(QDir().mkpath(m_drive.path() + "/" + path));
    }
    void WriteConfig(const QString& base, const QByteArray& content) {
        ASSERT_TRUE(QDir().mkpath(ConfigFolder(base)));
        QFile f(ConfigFolder(base) + "/MSHelp16.cnf");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QTemporaryDir m_drive;
    std::optional<ScopedEnv> m_env;
};

} // namespace

TEST_F(WorkstationConfig, ReadsTheCommonSettingsAndTheConnector) {
    WriteConfig(kPlain, "[Common]\r\nHost=dbserver01\r\nUser=sa\r\nPswd=p;w=d\r\n"
                        "DBName=CorvaneCMN\r\n[Till]\r\nConnector=MSOLEDBSQL\r\n");
    ASSERT_TRUE(ReadWorkstationConfig());
    EXPECT_EQ(sCommonHost, "dbserver01");
    EXPECT_EQ(sCommonUser, "sa");
    EXPECT_EQ(sCommonPswd, "p;w=d");
    EXPECT_EQ(sCommonDBName, "CorvaneCMN");
    EXPECT_EQ(sCommonConnector, "MSOLEDBSQL");
}

TEST_F(WorkstationConfig, TheX86FolderWinsWheneverItExists) {
    WriteConfig(kPlain, "[Common]\nHost=plain\n");
    MakeFolder(kX86);
    EXPECT_FALSE(ReadWorkstationConfig()) << "the file below \"Program Files\" is not consulted";
    EXPECT_EQ(sCommonHost, "");
    EXPECT_TRUE(WorkstationConfigLocation().contains(kX86));

    WriteConfig(kX86, "[Common]\nHost=x86\n");
    EXPECT_TRUE(ReadWorkstationConfig());
    EXPECT_EQ(sCommonHost, "x86");
}

TEST_F(WorkstationConfig, AMissingFolderOrFileIsFalseAndChangesNothing) {
    struct Case {
        const char* name;
        QString make; // folder made below drive C, or empty
    } cases[] = {
        {"no program-files folder", {}},
        {"no Microsoft Shared", kPlain + "/Common Files"},
        {"no MSHelp16", kPlain + "/Common Files/Microsoft Shared"},
        {"no MSHelp16.cnf", kPlain + "/Common Files/Microsoft Shared/MSHelp16"},
        {"MSHelp16.cnf is a folder",
         kPlain + "/Common Files/Microsoft Shared/MSHelp16/MSHelp16.cnf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_drive.path() + "/" + kPlain).removeRecursively();
        if (!c.make.isEmpty())
            MakeFolder(c.make);
        sCommonHost = "kept";
        sCommonConnector = "kept";
        EXPECT_FALSE(ReadWorkstationConfig());
        EXPECT_EQ(sCommonHost, "kept");
        EXPECT_EQ(sCommonConnector, "kept");
    }
}

TEST_F(WorkstationConfig, LinksCountByWhatTheyPointTo) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir().mkpath(elsewhere.path() + "/Common Files/Microsoft Shared/MSHelp16"));
    QFile real(elsewhere.path() + "/real.cnf");
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.write("[Common]\nHost=linked\n");
    real.close();
    ASSERT_TRUE(
        QFile::link(elsewhere.path() + "/real.cnf",
                    elsewhere.path() + "/Common Files/Microsoft Shared/MSHelp16/MSHelp16.cnf"));
    ASSERT_TRUE(QFile::link(elsewhere.path(), m_drive.path() + "/" + kX86));
    EXPECT_TRUE(ReadWorkstationConfig());
    EXPECT_EQ(sCommonHost, "linked");
}

TEST_F(WorkstationConfig, ContentCases) {
    struct Case {
        const char* name;
        QByteArray content;
        QString host, user, pswd, db, connector;
    } cases[] = {
        {"empty file", "", "", "", "", "", "(before)"},
        {"no Till section", "[Common]\nHost=h\nDBName=d\n", "h", "", "", "d", "(before)"},
        {"blank connector", "[Common]\nHost=h\n[Till]\nConnector=   \t\n", "h", "", "", "",
         "(before)"},
        {"quoted blank connector", "[Till]\nConnector=\" \"\n", "", "", "", "", "(before)"},
        {"connector kept untrimmed", "[Till]\nConnector=\" MSOLEDBSQL.1 \"\n", "", "", "", "",
         " MSOLEDBSQL.1 "},
        {"empty User for integrated login", "[Common]\nHost=h\nUser=\nPswd=\nDBName=d\n", "h", "",
         "", "d", "(before)"},
        {"key names in other case",
         "[COMMON]\nhost=h\nUSER=u\npSwD=p\ndbname=d\n[till]\nconnector=c\n", "h", "u", "p", "d",
         "c"},
        {"values as read, blanks inside kept", "[Common]\nHost=srv 01 ; main\n", "srv 01 ; main",
         "", "", "", "(before)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteConfig(kPlain, c.content);
        ClearSharedState();
        sCommonConnector = "(before)";
        sCommonHost = "(before)";
        ASSERT_TRUE(ReadWorkstationConfig());
        EXPECT_EQ(sCommonHost, c.host);
        EXPECT_EQ(sCommonUser, c.user);
        EXPECT_EQ(sCommonPswd, c.pswd);
        EXPECT_EQ(sCommonDBName, c.db);
        EXPECT_EQ(sCommonConnector, c.connector);
    }
}

TEST(DriveC, FromTheEnvironment) {
    struct Case {
        std::optional<QByteArray> drive, wineprefix, home;
        QString expected;
    } cases[] = {
        {"/srv/drive", "/w", "/h", "/srv/drive"},
        {std::nullopt, "/w", "/h", "/w/drive_c"},
        {"", "/w/", "/h", "/w/drive_c"},
        {std::nullopt, std::nullopt, "/h", "/h/.wine/drive_c"},
        {std::nullopt, "", "/h", "/h/.wine/drive_c"},
    };
    for (const Case& c : cases) {
        ScopedEnv drive("CORVANE_DRIVE_C", c.drive);
        ScopedEnv wine("WINEPREFIX", c.wineprefix);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(DriveCFolder(), c.expected);
    }
}
