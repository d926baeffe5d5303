// Start-up and shutdown of the real window (offscreen), through an embedded store.
#include "../files/ProgramFileFixtures.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "StoreBuilder.h"
#include "StringGrid.h"
#include "TsData.h"
#include "Wait.h"
#include "platform/RegionalSettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSharedState();
        ASSERT_TRUE(m_dir.isValid());
        const QString tool = m_dir.filePath(QStringLiteral("tool"));
        ASSERT_TRUE(QDir().mkpath(tool + QStringLiteral("/ZIPFiles")));
        // The tool's own file: not a PE image, like the Linux build.
        QFile self(tool + QStringLiteral("/corUPD"));
        ASSERT_TRUE(self.open(QIODevice::WriteOnly));
        self.write("\x7f" "ELF not a PE image");
        self.close();
        SetToolProgramFileForTests(self.fileName());
        qputenv("CORVANE_DRIVE_C", m_dir.filePath(QStringLiteral("drive_c")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }

    void TearDown() override {
        m_window.reset();
        cData = nullptr;
        m_database.reset();
        sData = nullptr;
        m_resources.reset();
        frmMAIN000 = nullptr;
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        SetToolProgramFileForTests(QString());
        qunsetenv("CORVANE_DRIVE_C");
        qunsetenv("XDG_CONFIG_HOME");
    }

    QString store() const { return m_dir.filePath(QStringLiteral("store")); }
    QString driveC() const { return m_dir.filePath(QStringLiteral("drive_c")); }

    void makeStore() {
        CreateEmbeddedStore(store());
        WriteWorkstationConfig(driveC(), store());
    }

    // Creates the window and the two modules in the order the program does and shows the
    // window, which runs start-up.
    void start() {
        m_window = std::make_unique<TfrmMAIN000>();
        frmMAIN000 = m_window.get();
        m_resources = std::make_unique<TsData>();
        sData = m_resources.get();
        m_database = std::make_unique<TcData>();
        cData = m_database.get();
        m_window->show();
        ASSERT_TRUE(WaitFor([this] { return m_window->startupRan(); }));
        QApplication::setActiveWindow(m_window.get());
    }

    void pressEscape() {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget()
                                                      : m_window.get();
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::processEvents();
    }

    static Qt::CursorShape cursor() {
        return QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape()
                                                 : Qt::ArrowCursor;
    }

    QTemporaryDir m_dir;
    ScopedScriptedDialogs m_boxes;
    std::unique_ptr<TfrmMAIN000> m_window;
    std::unique_ptr<TsData> m_resources;
    std::unique_ptr<TcData> m_database;
};

TEST_F(Startup, WithoutWorkstationConfigurationShowsTheBoxAndEnds) {
    start();
    ASSERT_EQ(m_boxes->boxes.size(), 1);
    EXPECT_EQ(m_boxes->boxes[0].kind, QStringLiteral("error"));
    EXPECT_EQ(m_boxes->boxes[0].caption, kApplicationTitle);
    EXPECT_TRUE(m_boxes->boxes[0].text.contains(QStringLiteral("not set up to use")))
        << m_boxes->boxes[0].text.toStdString();
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    EXPECT_TRUE(m_window->terminateRequested());
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(cData->CorvaneCommon().isOpen());
    EXPECT_FALSE(cData->CloudDB().isOpen());
}

TEST_F(Startup, ThroughTheEmbeddedStoreReachesReady) {
    makeStore();
    const QString tool = m_dir.filePath(QStringLiteral("tool"));
    filefixtures::WriteProgram(tool + QStringLiteral("/CORPAY.EXE"), 5, 2, 3);
    filefixtures::WriteBytes(tool + QStringLiteral("/ZIPFiles/CORPAY_5023.ZIP"), "PK");
    start();
    EXPECT_TRUE(m_boxes->boxes.isEmpty()) << m_boxes->texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(m_window->terminateRequested());
    EXPECT_TRUE(cData->CorvaneCommon().isOpen());
    EXPECT_TRUE(cData->CloudDB().isOpen());
    EXPECT_EQ(m_window->lblVersion->text(), QStringLiteral("1.00.0"));
    EXPECT_EQ(sProgramVersion, QStringLiteral("1.00.0"));
    EXPECT_FALSE(m_window->acClose->isEnabled());
    EXPECT_EQ(m_window->pgMain->currentIndex(), 0);
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    EXPECT_EQ(sCloudDBName, QStringLiteral("CorvaneControl"));
    EXPECT_EQ(m_window->edLiveConnector->text(), QStringLiteral("SQLite"));
    EXPECT_EQ(sCloudHost, m_window->edLiveHost->text());
    EXPECT_TRUE(sExePath.endsWith(QDir::separator()));
    EXPECT_EQ(m_window->sZIPPath, sExePath + QStringLiteral("ZIPFiles") + QDir::separator());
    // The lists are filled, and the message panel is back to its design text.
    EXPECT_EQ(m_window->grdFilesModel->Cell(1, 1), QStringLiteral("CORPAY.EXE"));
    EXPECT_EQ(m_window->grdZIPFilesModel->Cell(1, 1), QStringLiteral("CORPAY_5023.ZIP"));
    EXPECT_EQ(m_window->StatusBar1->PanelAt(1).style, TStatusBar::PanelStyle::Text);

    // Escape does nothing once start-up has finished.
    pressEscape();
    EXPECT_FALSE(m_window->terminateRequested());
    EXPECT_TRUE(m_window->isVisible());

    // The user's regional settings keep the tool's formats after it has gone.
    const auto lcid = platform::GetSystemDefaultLCID();
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SDATE), "/");
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE), "yyyy/MM/dd");
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_STIMEFORMAT), "HH:mm:ss");

    // A Close button ends the whole tool and closes the common connection.
    m_window->btnClose->click();
    EXPECT_TRUE(m_window->terminateRequested());
    EXPECT_FALSE(cData->CorvaneCommon().isOpen());
}

TEST_F(Startup, RefusedConnectionLeavesTheWindowOpenButNotReady) {
    // The configuration names a store folder that does not exist.
    WriteWorkstationConfig(driveC(), m_dir.filePath(QStringLiteral("nowhere")));
    start();
    ASSERT_EQ(m_boxes->boxes.size(), 1) << m_boxes->texts().join(QLatin1Char('|')).toStdString();
    const ScriptedDialogs::Box& box = m_boxes->boxes[0];
    EXPECT_EQ(box.caption, kApplicationTitle);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral(
        "DataCMN.CommonConnect - Failed to connect to database [CorvaneCommon]. Reason: ")))
        << box.text.toStdString();
    // The reason ends in a letter or a quote, so the catch-all box adds its full stop.
    EXPECT_TRUE(box.text.endsWith(QLatin1Char('.')));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->terminateRequested());
    EXPECT_EQ(cursor(), Qt::WaitCursor);
    EXPECT_EQ(m_window->lblVersion->text(), QStringLiteral("lblVersion"));
    EXPECT_TRUE(m_window->acClose->isEnabled());

    // Escape on the ZIP page only goes back to the first page; a second Escape closes.
    m_window->pgMain->setCurrentIndex(1);
    pressEscape();
    EXPECT_EQ(m_window->pgMain->currentIndex(), 0);
    EXPECT_FALSE(m_window->terminateRequested());
    pressEscape();
    EXPECT_TRUE(m_window->terminateRequested());
}

TEST_F(Startup, MissingCloudSettingsRowEndsTheTool) {
    makeStore();
    RunOnEmbeddedFile(store() + QStringLiteral("/CorvaneCommon.db"),
                      QStringLiteral("DELETE FROM vcControl"));
    start();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("Close Settings to the Server NOT Defined")});
    EXPECT_TRUE(m_window->terminateRequested());
    EXPECT_FALSE(cData->CloudDB().isOpen());
}

} // namespace
