// The upload of ticked archives, the cloud release browser and the test download of the main
// window. The statements, the list's rows and the download itself live in cloud/.
#include "AppError.h"
#include "CloudReleaseModel.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"
#include "ReleaseUpload.h"
#include "StatusBar.h"
#include "StringGrid.h"
#include "TestDownload.h"
#include "VersionDisplay.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlError>
#include <algorithm>

namespace {

const QString kInfo = QStringLiteral("Info");
const QString kMsg = QStringLiteral("Msg");
const QString kUploading = QStringLiteral("-- Uploading");
const QString kUploaded = QStringLiteral("* Uploaded *");
const QString kUploadFailed = QStringLiteral("** Upload FAILED **");
const QString kReleaseTable = QStringLiteral("vcSysProgRelease");

constexpr int kStatusColumn = 9;

UploadRow uploadRow(const StringGrid& grid, int row) {
    UploadRow r;
    r.fileName = grid.Cell(1, row);
    r.progName = grid.Cell(4, row);
    r.version = grid.Cell(5, row);
    r.critical = grid.IsChecked(6, row);
    r.minDBVersion = grid.Cell(7, row);
    r.notes = grid.Cell(8, row);
    return r;
}

// Uploads one row's archive as a single unit of work. On any failure nothing of it stays in
// the cloud (with withRemoval, the program's earlier release survives too), the row says so
// and the command ends with the error box.
void uploadRowArchive(StringGrid& grid, int row, const QString& zipPath, bool withRemoval) {
    const UploadRow values = uploadRow(grid, row);
    GetProgramDescription(values.progName);
    const ReleaseRecord record = MakeReleaseRecord(values, sPgmDescription);
    TcData::UnitResult result;
    try {
        result = UploadRelease(*cData, record, ArchivePath(zipPath, values.fileName), withRemoval);
    } catch (...) {
        grid.SetCell(kStatusColumn, row, kUploadFailed);
        throw;
    }
    if (!result.committed) {
        grid.SetCell(kStatusColumn, row, kUploadFailed);
        throw AppError(UploadFailedText(record.progName, result.error));
    }
}

} // namespace

void TfrmMAIN000::setupCloudGrid() {
    qrySysProgReleaseModel = new CloudReleaseModel(this);
    if (!cxGrid1)
        return;
    cxGrid1->setModel(qrySysProgReleaseModel);
    cxGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cxGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    cxGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cxGrid1->setSortingEnabled(false);
    cxGrid1->setWordWrap(false);
    cxGrid1->verticalHeader()->hide();
    cxGrid1->horizontalHeader()->setSectionsMovable(false);
    cxGrid1->horizontalHeader()->setStretchLastSection(false);
    for (int c = 0; c < CloudReleaseModel::ColumnCount; ++c)
        cxGrid1->setColumnWidth(
            c, CloudReleaseModel::ColumnWidth(static_cast<CloudReleaseModel::Column>(c)));
    if (cxGrid1->accessibleName().isEmpty())
        cxGrid1->setAccessibleName(QStringLiteral("Cloud releases"));
}

// --- upload ---

void TfrmMAIN000::btnUploadLIVEClick() {
    ClearStatusPanel(StatusBar1, 1);
    ClearStatusPanel(StatusBar1, 2);
    ShowStatusMessage(kInfo, QStringLiteral("Uploading ZIP Files to the Cloud"), StatusBar1, 1);

    StringGrid& grid = *grdZIPFilesModel;
    int ticked = 0;
    for (int row = 1; row < grid.RowCount(); ++row)
        if (grid.IsChecked(0, row))
            ++ticked;

    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!grid.IsChecked(0, row))
            continue;
        const QString fileName = grid.Cell(1, row);
        if (TrimControl(fileName).isEmpty())
            continue;
        if (lblUploadSelected)
            lblUploadSelected->setText(QStringLiteral("Selected Upload Files : ") +
                                       QString::number(row) + QLatin1Char('/') +
                                       QString::number(ticked));
        if (lblUploadFile)
            lblUploadFile->setText(QStringLiteral("Uploading File : ") + fileName);
        grid.SetCell(kStatusColumn, row, kUploading);
        QCoreApplication::processEvents();

        if (!QFileInfo(ArchivePath(sZIPPath, fileName)).isFile())
            continue; // gone since the list was made: it keeps "-- Uploading"

        // The removal of the earlier release and the new one go as one unit, so a failure
        // part way never leaves the program without a release.
        uploadRowArchive(grid, row, sZIPPath, true);
        grid.SetCell(kStatusColumn, row, kUploaded);
        QCoreApplication::processEvents();
    }

    ClearStatusPanel(StatusBar1, 1);
    ClearStatusPanel(StatusBar1, 2);
    ShowStatusMessage(kMsg, QStringLiteral("Complete: ") + sZIPFileName, StatusBar1, 1);
}

void TfrmMAIN000::DeleteCloudProgram(const QString& progName) {
    cData->cloud_ExecSQL(cData->CloudDialect().RemovalStatement(progName));
}

void TfrmMAIN000::UploadZIPFile(int row) {
    uploadRowArchive(*grdZIPFilesModel, row, sZIPPath, false);
}

// --- cloud release browser ---

void TfrmMAIN000::LoadCloudGrid() {
    SetCursorMode(QStringLiteral("SQL"));
    qrySysProgRelease.finish();
    qrySysProgRelease = QSqlQuery(cData->CloudDB());
    qrySysProgRelease.setForwardOnly(true);
    const QString sql = cData->CloudDialect().CloudListLines().join(QLatin1Char('\n'));
    if (!qrySysProgRelease.exec(sql)) {
        const QString message = SqlErrorMessage(qrySysProgRelease.lastError());
        qrySysProgRelease.clear();
        if (qrySysProgReleaseModel)
            qrySysProgReleaseModel->Clear();
        ShowErrorBox(LookupErrorText(kReleaseTable, message));
        SetCursorMode(QStringLiteral("RESET"));
        return;
    }
    // Every row is read at once: the connection must be free for the next statement.
    if (qrySysProgReleaseModel)
        qrySysProgReleaseModel->Load(qrySysProgRelease);
    qrySysProgRelease.finish();
    SetCursorMode(QStringLiteral("RESET"));
}

void TfrmMAIN000::dxRefreshClick() {
    LoadCloudGrid();
}

void TfrmMAIN000::dxDeleteClick() {
    if (!qrySysProgReleaseModel || qrySysProgReleaseModel->rowCount() == 0)
        return;
    auto selectedRows = [this] {
        QList<int> rows;
        if (cxGrid1 && cxGrid1->selectionModel())
            for (const QModelIndex& index : cxGrid1->selectionModel()->selectedRows())
                rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const qsizetype n = selectedRows().size();
    if (!dialogs().question(kApplicationTitle, QStringLiteral("Delete ") + QString::number(n) +
                                                   QStringLiteral(" Programs from the Cloud ?")))
        return;
    SetCursorMode(QStringLiteral("SQL"));
    // Whatever ends the loop early (a line without a program name, a connection that is gone)
    // goes to the error box with the cursor back to normal.
    try {
        for (int row : selectedRows()) {
            const QVariant name = qrySysProgReleaseModel->Value(row, CloudReleaseModel::ProgName);
            if (name.isNull())
                throw AppError(QStringLiteral("A selected cloud release has no program name; "
                                              "it cannot be deleted"));
            DeleteCloudProgram(name.toString());
        }
    } catch (...) {
        SetCursorMode(QStringLiteral("RESET"));
        throw;
    }
    SetCursorMode(QStringLiteral("RESET"));
    LoadCloudGrid();
}

QString TfrmMAIN000::cxGrid1DBTableView1VersionGetDisplayText(const QString& text) const {
    return VersionDisplayText(text);
}

// --- test download ---

void TfrmMAIN000::btnDownloadClick() {
    int row = 1;
    if (grdZIPFiles && grdZIPFiles->currentIndex().isValid())
        row = grdZIPFiles->currentIndex().row() + 1;
    const StringGrid& grid = *grdZIPFilesModel;
    TestDownload(*cData, grid.Cell(1, row), grid.Cell(4, row), sExePath);
}
