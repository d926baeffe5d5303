// The program file list, ZIP packaging and the ZIP file list of the main window: the grids'
// columns and handlers, the commands that fill them, and the packing of ticked program files.
#include "CheckBoxDelegate.h"
#include "DataSYS.h"
#include "MAIN000.h"
#include "PathUtil.h"
#include "ProgramFileList.h"
#include "StatusBar.h"
#include "StringGrid.h"
#include "ZipFileList.h"
#include "ZipNames.h"
#include "ZipPackaging.h"
#include "platform/DirSearch.h"

#include <QFile>
#include <QHeaderView>

namespace {

const QString kInfo = QStringLiteral("Info");
const QString kMsg = QStringLiteral("Msg");
const QString kZipFileCreated = QStringLiteral("ZipFile Created");

constexpr int kRowHeight = 24;

struct Column {
    const char* header;
    int width;
};

// Header texts and widths of the program file list.
const Column kFileColumns[] = {
    {"Select", 63},
    {"Program Name", 192},
    {"Modified Date", 147},
    {"File Version", 95},
    {"File Size", 69},
    {"Status", 120},
    {"FileSize (Bytes)", 101},
    {"Program Description", 353},
};
// Header texts and widths of the ZIP file list; the description column has no header.
const Column kZipColumns[] = {
    {"Select", 50},   {"ZIP File Name", 180}, {"Size", 65},     {"Size(Bytes)", 90},
    {"EXEName", 100}, {"Version", 61},        {"Critical", 59}, {"DB Version", 75},
    {"Notes", 316},   {"Status", 134},        {"", 367},
};

template <std::size_t N>
void setupGrid(QTableView* view, StringGrid* model, const Column (&columns)[N],
               const QString& accessibleName) {
    for (std::size_t c = 0; c < N; ++c)
        model->SetCell(static_cast<int>(c), 0, QString::fromLatin1(columns[c].header));
    if (!view)
        return;
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(kRowHeight);
    view->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(false);
    for (std::size_t c = 0; c < N; ++c)
        view->setColumnWidth(static_cast<int>(c), columns[c].width);
    view->setWordWrap(false);
    view->setItemDelegate(new CheckBoxDelegate(view));
    if (view->accessibleName().isEmpty())
        view->setAccessibleName(accessibleName);
}

bool anyTicked(const StringGrid& grid, int col) {
    for (int row = 1; row < grid.RowCount(); ++row)
        if (grid.IsChecked(col, row))
            return true;
    return false;
}

void setAllBoxes(StringGrid* grid, int col, bool state) {
    if (!grid)
        return;
    for (int row = 1; row < grid->RowCount(); ++row)
        if (grid->HasCheckBox(col, row) && grid->IsChecked(col, row) != state)
            grid->SetChecked(col, row, state);
}

// The row a new entry goes into: the blank row that ResetGrid left, then one appended per entry.
int nextRow(StringGrid& grid) {
    if (!TrimControl(grid.Cell(1, 1)).isEmpty())
        grid.AppendRow();
    return grid.RowCount() - 1;
}

} // namespace

void TfrmMAIN000::setupFileGrids() {
    grdFilesModel = new StringGrid(8, this);
    grdFilesModel->canEditCell = [this](int row, int col) { return grdFilesCanEditCell(row, col); };
    grdFilesModel->alignment = [this](int row, int col) { return grdFilesGetAlignment(row, col); };
    grdFilesModel->checkBoxClicked = [this](int col, int row, bool state) {
        grdFilesCheckBoxClick(col, row, state);
    };
    setupGrid(grdFiles, grdFilesModel, kFileColumns, QStringLiteral("Program files"));
    if (grdFiles) {
        grdFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
        grdFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // Only the boxes change, by a click; no text is typed here.
        grdFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

    grdZIPFilesModel = new StringGrid(11, this);
    // A box column takes clicks on its box only, never typed text (the blank row has no box).
    grdZIPFilesModel->canEditCell = [this](int row, int col) {
        if ((col == 0 || col == 6) && !grdZIPFilesModel->HasCheckBox(col, row))
            return false;
        return grdZIPFilesCanEditCell(row, col);
    };
    grdZIPFilesModel->alignment = [this](int row, int col) {
        return grdZIPFilesGetAlignment(row, col);
    };
    grdZIPFilesModel->checkBoxClicked = [this](int col, int row, bool state) {
        grdZIPFilesCheckBoxClick(col, row, state);
    };
    setupGrid(grdZIPFiles, grdZIPFilesModel, kZipColumns, QStringLiteral("ZIP files"));
    if (grdZIPFiles) {
        grdZIPFiles->setSelectionBehavior(QAbstractItemView::SelectItems);
        grdZIPFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
        grdZIPFiles->setEditTriggers(QAbstractItemView::DoubleClicked |
                                     QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
    }
}

// --- program file list ---

void TfrmMAIN000::LoadEXEFileList() {
    ClearStatusPanel(StatusBar1, 1);
    ShowStatusMessage(kInfo, QStringLiteral("Loading EXE File List....."), StatusBar1, 1);
    StringGrid& grid = *grdFilesModel;
    ResetGrid(grid);
    for (const files::ProgramFileRow& file : files::ScanProgramFiles(sExePath)) {
        const int row = nextRow(grid);
        grid.SetCell(0, row, QString());
        grid.SetCell(1, row, file.name);
        grid.SetCell(2, row, file.dateText);
        grid.SetCell(3, row, file.version);
        grid.SetCell(4, row, files::MegabyteText(file.sizeBytes));
        grid.SetCell(5, row, QString());
        grid.SetCell(6, row, QString::number(file.sizeBytes));
        grid.SetCell(7, row, file.description);
        grid.AddCheckBox(0, row, false);
    }
    ClearStatusPanel(StatusBar1, 1);
}

void TfrmMAIN000::grdFilesCheckBoxClick(int, int, bool) {
    const StringGrid& grid = *grdFilesModel;
    QList<files::TickRow> rows;
    for (int row = 1; row < grid.RowCount(); ++row)
        rows.append({grid.IsChecked(0, row), grid.Cell(1, row), grid.Cell(3, row)});
    const std::optional<files::ArchiveFields> fields = files::ArchiveFieldsFromTicks(rows);
    if (!fields)
        return;
    if (edZIPSuffix)
        edZIPSuffix->setText(fields->suffix);
    if (edZIPVersion)
        edZIPVersion->setText(fields->versionDigits);
}

bool TfrmMAIN000::grdFilesCanEditCell(int, int col) const {
    return col == 0;
}

Qt::Alignment TfrmMAIN000::grdFilesGetAlignment(int, int col) const {
    if (col == 0 || col == 3)
        return Qt::AlignHCenter;
    if (col == 4)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

void TfrmMAIN000::mnuEXE_SelectALL1Click() {
    setAllBoxes(grdFilesModel, 0, true);
}

void TfrmMAIN000::mnuEXE_DeSelectALL1Click() {
    setAllBoxes(grdFilesModel, 0, false);
}

// --- packaging ---

void TfrmMAIN000::btnCreateZIPFileClick() {
    StringGrid& grid = *grdFilesModel;
    if (!anyTicked(grid, 0))
        return;
    ClearStatusPanel(StatusBar1, 1);
    ClearStatusPanel(StatusBar1, 2);
    ShowStatusMessage(kInfo, QStringLiteral("Uploading Files"), StatusBar1, 1);

    // Every archive of one run carries the same version, even if the field is edited while
    // the run lets events through.
    const QString version = edZIPVersion ? edZIPVersion->text() : QString();
    const int total = grid.RowCount() - 1;
    int k = 0;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const QString name = grid.Cell(1, row);
        if (TrimControl(name).isEmpty() || !grid.IsChecked(0, row))
            continue;
        sZIPFileName = sZIPPath + files::ArchiveName(name, version);
        const QString source = sExePath + name;
        // A failure from here on leaves the row ticked, its status as it was, and the earlier
        // archive of that name untouched: the new one only takes its place when it is complete.
        files::ArchivePacker packer(sZIPFileName);
        ++k;
        ClearStatusPanel(StatusBar1, 1);
        ShowStatusMessage(kInfo,
                          QStringLiteral("Add to ZIP File: ") + QString::number(k) +
                              QLatin1Char('/') + QString::number(total) + QStringLiteral("   [") +
                              source + QLatin1Char(']'),
                          StatusBar1, 1);
        packer.AddFile(source);
        packer.Close();
        grid.SetChecked(0, row, false);
        grid.SetCell(5, row, kZipFileCreated);
    }

    ClearStatusPanel(StatusBar1, 1);
    ShowStatusMessage(kInfo, QStringLiteral("Compressing: ") + sZIPFileName, StatusBar1, 1);
    LoadZIPFileList();
    ClearStatusPanel(StatusBar1, 1);
    ClearStatusPanel(StatusBar1, 2);
    ShowStatusMessage(kMsg, QStringLiteral("Complete: ") + sZIPFileName, StatusBar1, 1);
}

// --- ZIP file list ---

void TfrmMAIN000::LoadZIPFileList() {
    ClearStatusPanel(StatusBar1, 1);
    ShowStatusMessage(kInfo, QStringLiteral("Loading ZAP File List....."), StatusBar1, 1);
    StringGrid& grid = *grdZIPFilesModel;
    ResetGrid(grid);
    for (const files::ZipFileRow& archive : files::ScanZipFiles(sZIPPath)) {
        const int row = nextRow(grid);
        grid.SetCell(0, row, QString());
        grid.SetCell(1, row, archive.name);
        grid.SetCell(2, row, files::MegabyteText(archive.sizeBytes));
        grid.SetCell(3, row, QString::number(archive.sizeBytes));
        grid.SetCell(4, row, archive.programName);
        grid.SetCell(5, row, archive.version);
        for (int col = 6; col <= 9; ++col)
            grid.SetCell(col, row, QString());
        grid.SetCell(10, row, archive.description);
        grid.AddCheckBox(0, row, false);
        grid.AddCheckBox(6, row, false);
    }
    ClearStatusPanel(StatusBar1, 1);
}

void TfrmMAIN000::grdZIPFilesCheckBoxClick(int, int, bool) {}

bool TfrmMAIN000::grdZIPFilesCanEditCell(int, int col) const {
    return col == 0 || col == 6 || col == 7 || col == 8;
}

Qt::Alignment TfrmMAIN000::grdZIPFilesGetAlignment(int, int col) const {
    switch (col) {
    case 0:
    case 2:
    case 3:
    case 5:
    case 6:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

void TfrmMAIN000::mnuZIP_SelectALL1Click() {
    setAllBoxes(grdZIPFilesModel, 0, true);
}

void TfrmMAIN000::mnuZIP_DeSelectALL1Click() {
    setAllBoxes(grdZIPFilesModel, 0, false);
}

void TfrmMAIN000::mnuZIP_DeleteZIPFile1Click() {
    const StringGrid& grid = *grdZIPFilesModel;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const QString name = grid.Cell(1, row);
        if (!grid.IsChecked(0, row) || TrimControl(name).isEmpty())
            continue;
        const QString path = TrimControl(sZIPPath + name);
        // A folder of that name is never removed; a file that will not go is passed over.
        if (platform::FileExists(ToFsPath(path)))
            QFile::remove(path);
    }
    LoadZIPFileList();
}
