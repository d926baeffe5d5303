// First showing, the list fill, the close rules and the command guard of the main window.
#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"
#include "StatusBar.h"
#include "WorkstationConfig.h"
#include "platform/RegionalSettings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QShowEvent>
#include <QTimer>

TfrmMAIN000* frmMAIN000 = nullptr;

void TfrmMAIN000::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    applyResources();
    // Start-up runs once the window is on screen, so its status messages and the hourglass
    // show while the lists fill.
    QTimer::singleShot(0, this, [this] {
        RunCommand([this] { FormShow(); });
        m_startupRan = true;
    });
}

void TfrmMAIN000::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfrmMAIN000::FormShow() {
    SetCursorMode(QStringLiteral("BUSY"));
    ClearStatusPanel(StatusBar1, 1);

    const std::uint32_t lcid = platform::GetSystemDefaultLCID();
    platform::SetLocaleInfo(lcid, platform::LOCALE_SDATE, "/");
    platform::SetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE, "yyyy/MM/dd");
    platform::SetLocaleInfo(lcid, platform::LOCALE_STIMEFORMAT, "HH:mm:ss");

    sDateSeparator = QStringLiteral("/");
    sShortDateFormat = QStringLiteral("yyyy/mm/dd");

    const QFileInfo self(ToolProgramFile());
    sExePath = QDir::toNativeSeparators(self.absolutePath() + QLatin1Char('/'));
    sExeName = self.fileName();
    sZIPPath = sExePath + QStringLiteral("ZIPFiles") + QDir::separator();

    if (!ReadWorkstationConfig()) {
        ShowErrorBox(QStringLiteral("This workstation is not set up to use the Corvane suite: "
                                    "its configuration file was not found at\n") +
                     WorkstationConfigLocation());
        SetCursorMode(QStringLiteral("RESET"));
        close();
        return;
    }
    if (!cData->ConnectDB_Common()) {
        close();
        return;
    }
    if (!GetCloudSettings()) {
        close();
        return;
    }
    if (!cData->ConnectDB_Cloud())
        return;

    sProgramVersion = GetProgramVersion(sExeName);
    lblVersion->setText(sProgramVersion);
    acClose->setEnabled(false);
    pgMain->setCurrentIndex(0);
    SetCursorMode(QStringLiteral("RESET"));
    LoadAllLists();
}

void TfrmMAIN000::LoadAllLists() {
    LoadEXEFileList();
    LoadZIPFileList();
    LoadCloudGrid();
    ClearStatusPanel(StatusBar1, 1);
    pgMain->setCurrentIndex(0);
}

void TfrmMAIN000::btnCloseClick() {
    cData->CloseDB_Common();
    close();
}

void TfrmMAIN000::acCloseExecute() {
    if (pgMain->currentIndex() == 1) {
        pgMain->setCurrentIndex(0);
        return;
    }
    cData->CloseDB_Common();
    close();
}

void TfrmMAIN000::FormClose() {
    if (m_terminateRequested)
        return;
    m_terminateRequested = true;
    // Closing the main window always ends the tool.
    QCoreApplication::quit();
}

bool TfrmMAIN000::RunCommand(const std::function<void()>& command) {
    if (m_commandDepth > 0)
        return false; // a command is still in its loop: ignore the new one
    ++m_commandDepth;
    try {
        command();
    } catch (const std::exception& e) {
        dialogs().error(kApplicationTitle, CatchAllText(ErrorText(e)));
    } catch (...) {
        dialogs().error(kApplicationTitle, CatchAllText(QStringLiteral("Unknown error")));
    }
    --m_commandDepth;
    return true;
}
