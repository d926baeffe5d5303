// The program file list, packaging and the ZIP file list in the real window (offscreen): the
// handlers are driven as the window's commands and clicks drive them.
#include "../files/DescriptionStore.h"
#include "../files/ProgramFileFixtures.h"
#include "DataSYS.h"
#include "MAIN000.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "StringGrid.h"
#include "TsData.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

using namespace filefixtures;

// Every message that reaches status slot 1, in order: a message lets pending events run,
// and a zero timer then sees it.
class StatusLog {
  public:
    StatusLog() {
        m_last = current();
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    QStringList texts() {
        poll();
        return m_texts;
    }
    QStringList kinds() {
        poll();
        return m_kinds;
    }

  private:
    static QPair<QString, QString> current() { return {sStatusKind1, sStatusText1}; }
    void poll() {
        const auto now = current();
        if (now == m_last)
            return;
        m_last = now;
        m_kinds << now.first;
        m_texts << now.second;
    }
    QTimer m_timer;
    QPair<QString, QString> m_last;
    QStringList m_texts, m_kinds;
};

class FilesWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSharedState();
        ASSERT_TRUE(m_dir.isValid());
        m_tool = m_dir.path() + QLatin1Char('/');
        ASSERT_TRUE(QDir(m_tool).mkdir(QStringLiteral("ZIPFiles")));
        m_resources = std::make_unique<TsData>();
        m_store.emplace(
            m_dir.filePath(QStringLiteral("db")),
            QList<QPair<QString, QString>>{{QStringLiteral("CORPAY"), QStringLiteral("Payroll")},
                                           {QStringLiteral("CORWAGE"), QStringLiteral("Wages")}});
        m_window = std::make_unique<TfrmMAIN000>();
        sExePath = m_tool;
        m_window->sZIPPath = m_tool + QStringLiteral("ZIPFiles/");
        ASSERT_NE(m_window->grdFilesModel, nullptr);
        ASSERT_NE(m_window->grdZIPFilesModel, nullptr);
    }
    void TearDown() override {
        m_window.reset();
        m_store.reset();
        m_resources.reset();
        ClearSharedState();
    }

    StringGrid& files() { return *m_window->grdFilesModel; }
    StringGrid& zips() { return *m_window->grdZIPFilesModel; }
    QString zipFolder() const { return m_tool + QStringLiteral("ZIPFiles/"); }
    QStringList zipEntries() const {
        QStringList names =
            QDir(zipFolder())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        std::sort(names.begin(), names.end()); // plain byte order
        return names;
    }
    // A click on a box, as the user makes it (the grid's tick handler runs).
    static void click(StringGrid& grid, int col, int row, bool state) {
        ASSERT_TRUE(grid.setData(grid.index(row - 1, col), state ? Qt::Checked : Qt::Unchecked,
                                 Qt::CheckStateRole));
    }
    QStringList column(StringGrid& grid, int col) const {
        QStringList r;
        for (int row = 1; row < grid.RowCount(); ++row)
            r << grid.Cell(col, row);
        return r;
    }
    QList<bool> ticks(StringGrid& grid, int col) const {
        QList<bool> r;
        for (int row = 1; row < grid.RowCount(); ++row)
            r << grid.IsChecked(col, row);
        return r;
    }

    QTemporaryDir m_dir;
    QString m_tool;
    ScopedScriptedDialogs m_boxes;
    std::unique_ptr<TsData> m_resources;
    std::optional<DescriptionStore> m_store;
    std::unique_ptr<TfrmMAIN000> m_window;
};

TEST_F(FilesWindow, GridsTakeTheListsColumnsAndLooks) {
    struct Grid {
        QTableView* view;
        StringGrid* model;
        QStringList headers;
        QList<int> widths;
        QList<Qt::Alignment> alignments;
        QAbstractItemView::SelectionBehavior selection;
    };
    const Qt::Alignment L = Qt::AlignLeft, C = Qt::AlignHCenter, R = Qt::AlignRight;
    const Grid grids[] = {
        {m_window->grdFiles,
         m_window->grdFilesModel,
         {"Select", "Program Name", "Modified Date", "File Version", "File Size", "Status",
          "FileSize (Bytes)", "Program Description"},
         {63, 192, 147, 95, 69, 120, 101, 353},
         {C, L, L, C, R, L, L, L},
         QAbstractItemView::SelectRows},
        {m_window->grdZIPFiles,
         m_window->grdZIPFilesModel,
         {"Select", "ZIP File Name", "Size", "Size(Bytes)", "EXEName", "Version", "Critical",
          "DB Version", "Notes", "Status", ""},
         {50, 180, 65, 90, 100, 61, 59, 75, 316, 134, 367},
         {C, L, C, C, L, C, C, L, L, L, L},
         QAbstractItemView::SelectItems},
    };
    for (const Grid& g : grids) {
        ASSERT_NE(g.view, nullptr);
        EXPECT_EQ(g.view->model(), g.model);
        ASSERT_EQ(g.model->ColCount(), g.headers.size());
        for (int c = 0; c < g.headers.size(); ++c) {
            EXPECT_EQ(g.model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                      g.headers[c]);
            EXPECT_EQ(g.view->columnWidth(c), g.widths[c]) << g.headers[c].toStdString();
            const auto align =
                g.model->data(g.model->index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>();
            EXPECT_EQ(align & Qt::AlignHorizontal_Mask, g.alignments[c]) << c;
        }
        EXPECT_TRUE(g.view->verticalHeader()->isHidden());
        EXPECT_EQ(g.view->verticalHeader()->defaultSectionSize(), 24);
        EXPECT_EQ(g.view->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
        EXPECT_EQ(g.view->selectionBehavior(), g.selection);
        EXPECT_EQ(g.view->selectionMode(), QAbstractItemView::ExtendedSelection);
    }
    EXPECT_EQ(m_window->grdFiles->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(m_window->grdZIPFiles->editTriggers() & QAbstractItemView::AnyKeyPressed);
}

TEST_F(FilesWindow, ProgramFileListShowsEachSuiteFile) {
    WriteProgram(m_tool + "CORPAY.EXE", 5, 2, 3, 4, 1048576);
    ASSERT_TRUE(QDir(m_tool).mkdir(QStringLiteral("CORDATA.EXE")));
    WriteProgram(m_tool + "CORBIG.EXE", 12, 10, 0, 7, 3ULL << 30);
    WriteProgram(m_tool + "cortax.exe", 4, 10, 1, 0, 1048575);
    WriteBytes(m_tool + "readme.txt", "x");
    SetModified(m_tool + "CORPAY.EXE", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    SetModified(m_tool + "CORBIG.EXE", QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
    SetModified(m_tool + "CORDATA.EXE", QDateTime(QDate(2024, 3, 7), QTime(8, 0)));
    SetModified(m_tool + "cortax.exe", QDateTime(QDate(2024, 3, 8), QTime(23, 59, 59)));

    StatusLog log;
    m_window->LoadEXEFileList();
    m_window->LoadEXEFileList(); // a second load starts from an empty list again

    const QStringList rows[] = {
        {"", "CORBIG.EXE", "2024/03/06", "12.10.0", "3072 Meg", "", "3221225472", ""},
        {"", "CORDATA.EXE", "2024/03/07 08:00:00", "0.0.0", "0 Meg", "", "-1", ""},
        {"", "CORPAY.EXE", "2024/03/05 14:07:09", "5.02.3", "1 Meg", "", "1048576", "Payroll"},
        {"", "cortax.exe", "2024/03/08 23:59:59", "4.10.1", "0 Meg", "", "1048575", ""},
    };
    ASSERT_EQ(files().RowCount(), 1 + static_cast<int>(std::size(rows)));
    for (int r = 1; r < files().RowCount(); ++r)
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(files().Cell(c, r), rows[r - 1][c]) << r << "," << c;
            EXPECT_EQ(files().HasCheckBox(c, r), c == 0) << r << "," << c;
        }
    EXPECT_EQ(ticks(files(), 0), (QList<bool>{false, false, false, false}));
    const QString box = "Error Reading Version Info for File: " + m_tool + "CORDATA.EXE";
    EXPECT_EQ(m_boxes->texts(), (QStringList{box, box}));
    EXPECT_EQ(log.texts(), (QStringList{"Loading EXE File List....."}));
    EXPECT_EQ(log.kinds(), (QStringList{"Info"}));
    EXPECT_EQ(m_window->StatusBar1->PanelAt(1).style, TStatusBar::PanelStyle::Text);
}

TEST_F(FilesWindow, EmptyFoldersLeaveOneBlankRowWithoutBox) {
    WriteBytes(m_tool + "notes.txt", "x");
    WriteProgram(m_tool + "CORPAY.EXE", 5, 2, 3, 4);
    m_window->LoadEXEFileList();
    ASSERT_TRUE(QFile::remove(m_tool + "CORPAY.EXE"));
    m_window->LoadEXEFileList();
    m_window->LoadZIPFileList();
    for (StringGrid* grid : {&files(), &zips()}) {
        ASSERT_EQ(grid->RowCount(), 2);
        for (int c = 0; c < grid->ColCount(); ++c) {
            EXPECT_TRUE(grid->Cell(c, 1).isEmpty());
            EXPECT_FALSE(grid->HasCheckBox(c, 1));
        }
    }
}

class FilesWindowTicks : public FilesWindow {
  protected:
    void SetUp() override {
        FilesWindow::SetUp();
        // Rows 1 to 5 in this order.
        WriteProgram(m_tool + "CORBANK.EXE", 1, 0, 0);
        WriteProgram(m_tool + "CORPAY.EXE", 5, 2, 3, 4);
        WriteProgram(m_tool + "CORTAX.EXE", 4, 10, 1);
        WriteProgram(m_tool + "CORVANE.EXE", 7, 1, 0);
        WriteProgram(m_tool + "CORWAGE.EXE", 2, 0, 0);
        m_window->LoadEXEFileList();
        ASSERT_EQ(files().RowCount(), 6);
    }
    QPair<QString, QString> fields() const {
        return {m_window->edZIPSuffix->text(), m_window->edZIPVersion->text()};
    }
};

TEST_F(FilesWindowTicks, TheFirstTickedRowFillsTheArchiveFields) {
    struct Step {
        int row;
        bool state;
        const char* suffix;
        const char* version;
    };
    const Step steps[] = {
        {2, true, "PAY", "5023"},     // CORPAY.EXE alone
        {2, false, "PAY", "5023"},    // nothing ticked: the fields keep their text
        {4, true, "CORVANE", "7010"}, // the main program keeps its prefix
        {4, false, "CORVANE", "7010"}, {3, true, "TAX", "4101"},
        {5, true, "TAX", "4101"},  // a later row changes nothing
        {2, true, "PAY", "5023"},  // an earlier row takes over
        {2, false, "TAX", "4101"}, // and gives it back when unticked
        {3, false, "WAGE", "2000"},    {5, false, "WAGE", "2000"},
    };
    for (const Step& s : steps) {
        click(files(), 0, s.row, s.state);
        EXPECT_EQ(fields(), (QPair<QString, QString>{s.suffix, s.version}))
            << "row " << s.row << (s.state ? " ticked" : " unticked");
    }
}

TEST_F(FilesWindowTicks, SelectAllAndDeselectAllLeaveTheFields) {
    m_window->mnuEXE_SelectALL1Click();
    EXPECT_EQ(ticks(files(), 0), (QList<bool>{true, true, true, true, true}));
    EXPECT_EQ(fields(), (QPair<QString, QString>{"", ""}));
    click(files(), 0, 3, false);
    click(files(), 0, 3, true);
    EXPECT_EQ(fields(), (QPair<QString, QString>{"BANK", "1000"}));
    m_window->mnuEXE_DeSelectALL1Click();
    EXPECT_EQ(ticks(files(), 0), (QList<bool>{false, false, false, false, false}));
    EXPECT_EQ(fields(), (QPair<QString, QString>{"BANK", "1000"}));
}

class FilesWindowPackaging : public FilesWindow {
  protected:
    void SetUp() override {
        FilesWindow::SetUp();
        // Seven rows; rows 2 and 5 are packed.
        for (const char* name : {"CORBANK.EXE", "corpay.exe", "CORTAX.EXE", "CORVANE.EXE",
                                 "CORWAGE.EXE", "CORXRAY.EXE", "CORZED.EXE"})
            WriteProgram(m_tool + QLatin1String(name), 2, 0, 0, 0, 70000);
        WriteProgram(m_tool + "corpay.exe", 5, 2, 3, 4, 70000);
        m_window->LoadEXEFileList();
        m_window->LoadZIPFileList();
        ASSERT_EQ(files().RowCount(), 8);
        click(files(), 0, 2, true);
        click(files(), 0, 5, true);
        ASSERT_EQ(m_window->edZIPVersion->text(), QStringLiteral("5023"));
    }
    bool run() {
        return m_window->RunCommand([this] { m_window->btnCreateZIPFileClick(); });
    }
};

TEST_F(FilesWindowPackaging, TickedRowsBecomeOneArchiveEach) {
    StatusLog log;
    ASSERT_TRUE(run());
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join('\n').toStdString();

    const QString pay = zipFolder() + "corpay_5023.ZIP";
    const QString wage = zipFolder() + "CORWAGE_5023.ZIP"; // the field's version, not the row's
    EXPECT_EQ(
        log.texts(),
        (QStringList{"Uploading Files", "Add to ZIP File: 1/7   [" + m_tool + "corpay.exe]",
                     "Add to ZIP File: 2/7   [" + m_tool + "CORWAGE.EXE]", "Compressing: " + wage,
                     "Loading ZAP File List.....", "Complete: " + wage}));
    EXPECT_EQ(log.kinds(), (QStringList{"Info", "Info", "Info", "Info", "Info", "Msg"}));
    EXPECT_EQ(m_window->sZIPFileName, wage);

    EXPECT_TRUE(ArchiveHoldsOnly(pay, "corpay.exe", m_tool + "corpay.exe"));
    EXPECT_TRUE(ArchiveHoldsOnly(wage, "CORWAGE.EXE", m_tool + "CORWAGE.EXE"));
    EXPECT_EQ(zipEntries(), (QStringList{"CORWAGE_5023.ZIP", "corpay_5023.ZIP"}));

    EXPECT_EQ(ticks(files(), 0), QList<bool>(7, false));
    EXPECT_EQ(column(files(), 5),
              (QStringList{"", "ZipFile Created", "", "", "ZipFile Created", "", ""}));
    EXPECT_EQ(m_window->edZIPVersion->text(), QStringLiteral("5023"));
    EXPECT_EQ(m_window->edZIPSuffix->text(), QStringLiteral("PAY"));
    // The ZIP list was rebuilt with the new archives.
    EXPECT_EQ(column(zips(), 1), (QStringList{"corpay_5023.ZIP", "CORWAGE_5023.ZIP"}));

    // Nothing ticked: the next command does nothing at all.
    zips().SetCell(8, 1, QStringLiteral("typed note"));
    ASSERT_TRUE(run());
    EXPECT_EQ(log.texts().size(), 6);
    EXPECT_EQ(sStatusText1, "Complete: " + wage);
    EXPECT_EQ(zips().Cell(8, 1), QStringLiteral("typed note"));
}

TEST_F(FilesWindowPackaging, TheUsersVersionNamesTheNextArchives) {
    ASSERT_TRUE(run());
    m_window->edZIPVersion->setText(QStringLiteral("6000"));
    files().SetChecked(0, 2, true);
    ASSERT_TRUE(run());
    EXPECT_EQ(zipEntries(),
              (QStringList{"CORWAGE_5023.ZIP", "corpay_5023.ZIP", "corpay_6000.ZIP"}));
    EXPECT_TRUE(
        ArchiveHoldsOnly(zipFolder() + "corpay_6000.ZIP", "corpay.exe", m_tool + "corpay.exe"));
}

TEST_F(FilesWindowPackaging, AFailureStopsAtItsRowAndLeavesNoPartialArchive) {
    // Row 5's program vanishes after the list was made; an archive of its name exists.
    const QString older = zipFolder() + "CORWAGE_5023.ZIP";
    WriteBytes(older, "archive of an earlier run");
    m_window->LoadZIPFileList();
    zips().SetCell(8, 1, QStringLiteral("typed note"));
    click(files(), 0, 6, true);
    ASSERT_TRUE(QFile::remove(m_tool + "CORWAGE.EXE"));

    StatusLog log;
    ASSERT_TRUE(run());
    ASSERT_EQ(m_boxes->boxes.size(), 1);
    EXPECT_EQ(m_boxes->boxes[0].caption, QStringLiteral("CORVANE : Program Version Control"));
    EXPECT_TRUE(m_boxes->boxes[0].text.contains(QLatin1String("CORWAGE.EXE")))
        << m_boxes->boxes[0].text.toStdString();

    // Row 2 is done; row 5 stays ticked as it was; row 6 is not visited.
    EXPECT_EQ(ticks(files(), 0), (QList<bool>{false, false, false, false, true, true, false}));
    EXPECT_EQ(column(files(), 5), (QStringList{"", "ZipFile Created", "", "", "", "", ""}));
    EXPECT_TRUE(
        ArchiveHoldsOnly(zipFolder() + "corpay_5023.ZIP", "corpay.exe", m_tool + "corpay.exe"));
    EXPECT_EQ(ReadBytes(older), QByteArray("archive of an earlier run"));
    EXPECT_EQ(zipEntries(), (QStringList{"CORWAGE_5023.ZIP", "corpay_5023.ZIP"}));
    // No reload, and the status bar keeps the message of the failing file.
    EXPECT_EQ(zips().Cell(8, 1), QStringLiteral("typed note"));
    EXPECT_EQ(log.texts().last(), "Add to ZIP File: 2/7   [" + m_tool + "CORWAGE.EXE]");
    EXPECT_EQ(m_window->sZIPFileName, older);
}

TEST_F(FilesWindowPackaging, AMissingZipFolderFailsBeforeTheFirstFile) {
    ASSERT_TRUE(QDir(zipFolder()).removeRecursively());
    StatusLog log;
    ASSERT_TRUE(run());
    ASSERT_EQ(m_boxes->boxes.size(), 1);
    EXPECT_EQ(log.texts(), (QStringList{"Uploading Files"}));
    EXPECT_EQ(ticks(files(), 0), (QList<bool>{false, true, false, false, true, false, false}));
    EXPECT_FALSE(QFileInfo::exists(zipFolder()));
}

class FilesWindowZipList : public FilesWindow {
  protected:
    void SetUp() override {
        FilesWindow::SetUp();
        for (const char* name : {"CORPAY_5023.ZIP", "corpay_5023.zip", "COR_PAY_5023.ZIP",
                                 "CORPAYZIP", "A.ZIP", "ZIP", "CORWAGE_.ZIP", "notes.txt"})
            WriteBytes(zipFolder() + QLatin1String(name), "zip");
        WriteBytes(zipFolder() + "CORPAY_5.0.2.ZIP", QByteArray(1048576, 'z'));
        ASSERT_TRUE(QDir(zipFolder()).mkdir(QStringLiteral("OLD.ZIP")));
    }
};

TEST_F(FilesWindowZipList, OneRowPerArchiveWithNameParts) {
    StatusLog log;
    m_window->LoadZIPFileList();
    const QStringList rows[] = {
        {"", "A.ZIP", "0 Meg", "3", "", "A", "", "", "", "", ""},
        {"", "CORPAYZIP", "0 Meg", "3", "", "", "", "", "", "", ""},
        {"", "CORPAY_5.0.2.ZIP", "1 Meg", "1048576", "CORPAY", "5", "", "", "", "", "Payroll"},
        {"", "CORPAY_5023.ZIP", "0 Meg", "3", "CORPAY", "5023", "", "", "", "", "Payroll"},
        {"", "corpay_5023.zip", "0 Meg", "3", "corpay", "5023", "", "", "", "", "Payroll"},
        {"", "CORWAGE_.ZIP", "0 Meg", "3", "CORWAGE", "", "", "", "", "", "Wages"},
        {"", "COR_PAY_5023.ZIP", "0 Meg", "3", "COR", "PAY_5023", "", "", "", "", ""},
        {"", "OLD.ZIP", "0 Meg", "-1", "", "OLD", "", "", "", "", ""},
    };
    ASSERT_EQ(zips().RowCount(), 1 + static_cast<int>(std::size(rows)));
    for (int r = 1; r < zips().RowCount(); ++r)
        for (int c = 0; c < 11; ++c) {
            EXPECT_EQ(zips().Cell(c, r), rows[r - 1][c]) << r << "," << c;
            EXPECT_EQ(zips().HasCheckBox(c, r), c == 0 || c == 6) << r << "," << c;
            EXPECT_FALSE(zips().IsChecked(c, r));
            // Boxes take clicks, the database version and the notes take typing.
            const Qt::ItemFlags f = zips().flags(zips().index(r - 1, c));
            EXPECT_EQ(bool(f & Qt::ItemIsUserCheckable), c == 0 || c == 6) << c;
            EXPECT_EQ(bool(f & Qt::ItemIsEditable), c == 7 || c == 8) << c;
        }
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_EQ(log.texts(), (QStringList{"Loading ZAP File List....."}));

    // Ticks on either box change nothing else; Select ALL takes column 0 only.
    click(zips(), 6, 2, true);
    m_window->mnuZIP_SelectALL1Click();
    EXPECT_EQ(ticks(zips(), 0), QList<bool>(8, true));
    EXPECT_EQ(ticks(zips(), 6),
              (QList<bool>{false, true, false, false, false, false, false, false}));
    m_window->mnuZIP_DeSelectALL1Click();
    EXPECT_EQ(ticks(zips(), 0), QList<bool>(8, false));
    EXPECT_TRUE(zips().IsChecked(6, 2));
}

TEST_F(FilesWindowZipList, DeleteRemovesTickedFilesOnlyAndRebuilds) {
    m_window->LoadZIPFileList();
    // Nothing ticked: nothing goes, the list is still rebuilt (the typed note is lost).
    zips().SetCell(8, 1, QStringLiteral("typed note"));
    m_window->mnuZIP_DeleteZIPFile1Click();
    EXPECT_EQ(zips().RowCount(), 9);
    EXPECT_EQ(zips().Cell(8, 1), QString());

    // A.ZIP (row 1) goes; the folder OLD.ZIP (row 8) stays; CORPAYZIP (row 2) has vanished.
    click(zips(), 0, 1, true);
    click(zips(), 0, 2, true);
    click(zips(), 0, 8, true);
    ASSERT_TRUE(QFile::remove(zipFolder() + "CORPAYZIP"));
    m_window->mnuZIP_DeleteZIPFile1Click();
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_EQ(column(zips(), 1),
              (QStringList{"CORPAY_5.0.2.ZIP", "CORPAY_5023.ZIP", "corpay_5023.zip", "CORWAGE_.ZIP",
                           "COR_PAY_5023.ZIP", "OLD.ZIP"}));
    EXPECT_TRUE(QFileInfo(zipFolder() + "OLD.ZIP").isDir());
    EXPECT_EQ(ticks(zips(), 0), QList<bool>(6, false));
}

} // namespace
