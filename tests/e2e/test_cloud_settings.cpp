// The cloud settings lookup of the main window on an embedded store: the row's values on the
// settings page and in the shared settings, and each way the lookup can fail.
#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "EmbeddedStore.h"
#include "MAIN000.h"
#include "ScriptedDialogs.h"
#include "StoreBuilder.h"
#include "TsData.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CloudSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSharedState();
        ASSERT_TRUE(m_dir.isValid());
        m_store = m_dir.filePath(QStringLiteral("store"));
        ASSERT_NO_THROW(CreateEmbeddedStore(m_store));
        m_resources = std::make_unique<TsData>();
        m_window = std::make_unique<TfrmMAIN000>();
        ASSERT_NE(m_window->edLivePswd, nullptr);
        m_data = std::make_unique<TcData>();
        cData = m_data.get();
        sExePath = m_dir.path() + QLatin1Char('/');
        sCommonHost = m_store;
        sCommonDBName = QStringLiteral("CorvaneCommon");
        sCommonConnector = QStringLiteral("SQLite");
    }
    void TearDown() override {
        cData = nullptr;
        m_data.reset();
        m_window.reset();
        m_resources.reset();
        ClearSharedState();
    }
    // Changes the common database before the tool connects to it.
    void common(const QString& sql) {
        ASSERT_NO_THROW(
            RunOnEmbeddedFile(EmbeddedDatabaseFile(m_store, QStringLiteral("CorvaneCommon")), sql));
    }
    bool lookup() {
        EXPECT_TRUE(cData->ConnectDB_Common());
        return m_window->GetCloudSettings();
    }
    QStringList fields() const {
        return {m_window->edLiveConnector->text(), m_window->edLiveHost->text(),
                m_window->edLiveUser->text(), m_window->edLivePswd->text()};
    }
    QStringList shared() const { return {sCloudConnector, sCloudHost, sCloudUser, sCloudPswd}; }

    QTemporaryDir m_dir;
    QString m_store;
    ScopedScriptedDialogs m_boxes;
    std::unique_ptr<TsData> m_resources;
    std::unique_ptr<TfrmMAIN000> m_window;
    std::unique_ptr<TcData> m_data;
};

TEST_F(CloudSettings, FirstRowGoesToThePageThenToTheCloudConnection) {
    common(QStringLiteral(
        "UPDATE vcControl SET DBConnector = 'SQLite ', DBUser = '', DBPswd = 'pw;''x';"
        "INSERT INTO vcControl (Suite, Code, DBConnector, Details, DBUser, DBPswd) VALUES "
        "('CORVANE', 'CLOUDSVR', 'MSOLEDBSQL', 'second', 'u2', 'p2');"
        "INSERT INTO vcControl (Suite, Code, DBConnector, Details) VALUES "
        "('CORVANE', 'OTHER', 'x', 'y')"));
    ASSERT_TRUE(lookup());
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_store).absoluteFilePath());
    EXPECT_EQ(fields(), (QStringList{"SQLite ", folder, "", "pw;'x"}));
    EXPECT_EQ(shared(), fields());
    EXPECT_EQ(sCloudDBName, QStringLiteral("CorvaneControl"));
    EXPECT_TRUE(m_boxes->boxes.isEmpty());
    // The query lets go of its rows, so the next statement on the connection can run.
    EXPECT_TRUE(cData->cmn_ExecSQL(QStringLiteral("DELETE FROM vcControl WHERE Code = 'OTHER'")));
    EXPECT_TRUE(cData->ConnectDB_Cloud());
}

struct FailingCase {
    const char* name;
    const char* change;
    const char* box; // the whole box, or how it starts (the database's message follows)
    bool whole;
};

class CloudSettingsFailing : public CloudSettings,
                             public ::testing::WithParamInterface<FailingCase> {};

TEST_P(CloudSettingsFailing, ShowsABoxAndLeavesTheSettingsEmpty) {
    const FailingCase& c = GetParam();
    common(QString::fromUtf8(c.change));
    EXPECT_FALSE(lookup());
    ASSERT_EQ(m_boxes->boxes.size(), 1);
    const ScriptedDialogs::Box& box = m_boxes->boxes[0];
    EXPECT_EQ(box.kind, QStringLiteral("error"));
    EXPECT_EQ(box.caption, kApplicationTitle);
    if (c.whole) {
        EXPECT_EQ(box.text, QString::fromUtf8(c.box));
    } else {
        EXPECT_TRUE(box.text.startsWith(QString::fromUtf8(c.box))) << box.text.toStdString();
        EXPECT_GT(box.text.size(), qstrlen(c.box));
    }
    EXPECT_EQ(fields(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(shared(), (QStringList{"", "", "", ""}));
    EXPECT_TRUE(sCloudDBName.isEmpty());
    // The query is closed: the connection takes the next statement.
    EXPECT_TRUE(cData->cmn_ExecSQL(QStringLiteral("SELECT 1")));
}

INSTANTIATE_TEST_SUITE_P(
    Lookup, CloudSettingsFailing,
    ::testing::Values(FailingCase{"NoRows", "DELETE FROM vcControl",
                                  "Close Settings to the Server NOT Defined", true},
                      FailingCase{"OtherSuiteOnly", "UPDATE vcControl SET Suite = 'OTHER'",
                                  "Close Settings to the Server NOT Defined", true},
                      FailingCase{"NoTable", "DROP TABLE vcControl",
                                  "SQL Error on Table: vcUpgrade_Settings :-\r", false}),
    [](const ::testing::TestParamInfo<FailingCase>& p) { return std::string(p.param.name); });

TEST_F(CloudSettings, MissingColumnIsAnErrorOfItsOwn) {
    common(QStringLiteral("ALTER TABLE vcControl RENAME COLUMN DBPswd TO Password"));
    try {
        lookup();
        FAIL() << "no error for the missing column";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Query1: Field 'DBPswd' not found"));
    }
    EXPECT_TRUE(sCloudHost.isEmpty());
    EXPECT_TRUE(cData->cmn_ExecSQL(QStringLiteral("SELECT 1")));
}

} // namespace
