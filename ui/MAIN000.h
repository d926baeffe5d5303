#pragma once
// The main window. Its pieces are built and handled in files of their own:
//   MainWindowLayout.cpp   the controls, pages, menus and actions
//   MainWindowStartup.cpp  first showing, LoadAllLists, the close rules, the command guard
//   MainWindowSettings.cpp the cloud settings lookup (GetCloudSettings)
//   MainWindowFiles.cpp    the program file list, ZIP packaging and the ZIP file list
//   MainWindowCloud.cpp    the upload, the cloud release browser and the test download
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>
#include <functional>

class StringGrid;
class TStatusBar;
class TNavBar;
class CloudReleaseModel;

class TfrmMAIN000 final : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMAIN000(QWidget* parent = nullptr);
    ~TfrmMAIN000() override;

    // --- title band ---
    QWidget* pnlTitle = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;

    // --- pages ---
    QTabWidget* pgMain = nullptr;
    QWidget* pgPage00 = nullptr;
    QWidget* pgPage01 = nullptr;
    QWidget* pgPage02 = nullptr;
    QWidget* pgPage03 = nullptr;

    // page 0
    QWidget* pnlFiles = nullptr;
    QTableView* grdFiles = nullptr;
    StringGrid* grdFilesModel = nullptr;
    QWidget* pnlButtons = nullptr;
    QGroupBox* grpZIPFields = nullptr;
    QLineEdit* edZIPPrefix = nullptr;
    QLineEdit* edZIPSuffix = nullptr;
    QLineEdit* edZIPVersion = nullptr;
    QPushButton* btnCreateZIPFile = nullptr;
    QPushButton* btnClose = nullptr;

    // page 1
    QTableView* grdZIPFiles = nullptr;
    StringGrid* grdZIPFilesModel = nullptr;
    QWidget* pnlZIPButtons = nullptr;
    QLabel* lblUploadSelected = nullptr;
    QLabel* lblUploadFile = nullptr;
    QPushButton* btnDownload = nullptr;
    QPushButton* btnUploadLIVE = nullptr;
    QPushButton* AdvGlowButton3 = nullptr;

    // page 2
    QTableView* cxGrid1 = nullptr; // its one view, cxGrid1DBTableView1
    CloudReleaseModel* qrySysProgReleaseModel = nullptr; // what DataSource1 shows
    TNavBar* dxNavBar1 = nullptr;

    // page 3
    QWidget* pnlSettings = nullptr;
    QGroupBox* grpLiveSettings = nullptr;
    QLineEdit* edLiveConnector = nullptr;
    QLineEdit* edLiveHost = nullptr;
    QLineEdit* edLiveUser = nullptr;
    QLineEdit* edLivePswd = nullptr;

    TStatusBar* StatusBar1 = nullptr;

    // ActionList1
    QAction* acClose = nullptr;
    QAction* acCreateCABFile = nullptr;
    QAction* acRefresh_Cloud_Grid = nullptr;

    QMenu* mnuEXEList = nullptr;
    QAction* mnuEXE_SelectALL1 = nullptr;
    QAction* mnuEXE_DeSelectALL1 = nullptr;
    QMenu* mnuZIPFiles = nullptr;
    QAction* mnuZIP_SelectALL1 = nullptr;
    QAction* mnuZIP_DeSelectALL1 = nullptr;
    QAction* mnuZIP_DeleteZIPFile1 = nullptr;

    // Database objects of the window.
    QSqlQuery Query1;            // CorvaneCommon: the control-table lookup
    QSqlQuery qrySysProgRelease; // CloudDB: the cloud release list

    // Window fields.
    QString sZIPPath;     // the ZIP folder, sExePath + "ZIPFiles" + separator
    QString sZIPFileName; // the last archive packaging started in this run

    // --- start-up and shutdown ---
    void FormShow();
    void LoadAllLists();
    void btnCloseClick();
    void acCloseExecute();
    void FormClose();
    bool GetCloudSettings();
    // True once FormClose has told the application to end.
    bool terminateRequested() const { return m_terminateRequested; }
    // True once the first showing's start-up sequence has run (whatever its outcome).
    bool startupRan() const { return m_startupRan; }

    // --- program file list, packaging, ZIP file list ---
    void LoadEXEFileList();
    void grdFilesCheckBoxClick(int col, int row, bool state);
    bool grdFilesCanEditCell(int row, int col) const;
    Qt::Alignment grdFilesGetAlignment(int row, int col) const;
    void mnuEXE_SelectALL1Click();
    void mnuEXE_DeSelectALL1Click();
    void btnCreateZIPFileClick();
    void LoadZIPFileList();
    void grdZIPFilesCheckBoxClick(int col, int row, bool state);
    bool grdZIPFilesCanEditCell(int row, int col) const;
    Qt::Alignment grdZIPFilesGetAlignment(int row, int col) const;
    void mnuZIP_SelectALL1Click();
    void mnuZIP_DeSelectALL1Click();
    void mnuZIP_DeleteZIPFile1Click();

    // --- cloud ---
    void btnUploadLIVEClick();
    void DeleteCloudProgram(const QString& progName);
    void UploadZIPFile(int row);
    void LoadCloudGrid();
    void dxRefreshClick();
    void dxDeleteClick();
    QString cxGrid1DBTableView1VersionGetDisplayText(const QString& text) const;
    void btnDownloadClick();

    void Image1DblClick();
    void StatusBar1DrawPanel(class QPainter& painter, int panel, const QRect& rect);

    // Runs a command through the guard: what escapes it goes to the catch-all error box; a
    // command started while another is still running is ignored. Returns false when ignored.
    bool RunCommand(const std::function<void()>& command);
    bool commandRunning() const { return m_commandDepth > 0; }

protected:
    void showEvent(class QShowEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

private:
    void buildLayout();      // MainWindowLayout.cpp
    void setupFileGrids();   // MainWindowFiles.cpp: models, columns and handlers of the two lists
    void setupCloudGrid();   // MainWindowCloud.cpp: model and columns of cxGrid1
    void bindHandlers();  // MainWindowLayout.cpp
    bool m_shown = false;
    bool m_terminateRequested = false;
    bool m_startupRan = false;
    void applyResources(); // MainWindowLayout.cpp: icons and looks from TsData
    int m_commandDepth = 0;
};

// The main window of the process (the first one created).
extern TfrmMAIN000* frmMAIN000;
