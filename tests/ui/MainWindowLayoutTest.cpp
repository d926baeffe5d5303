// The main window's controls, where they sit, and what their keys, menus and clicks start.
#include "NavBar.h"
#include "StatusBar.h"
#include "StringGrid.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

QRect geometryOf(QWidget* w) {
    return w ? w->geometry() : QRect();
}

bool boxTextStartsWith(const ScriptedDialogs& d, const QString& start) {
    for (const ScriptedDialogs::Box& b : d.boxes)
        if (b.text.startsWith(start))
            return true;
    return false;
}

} // namespace

using MainWindowLayout = WindowFixture;

TEST_F(MainWindowLayout, WindowCaptionSizeAndFont) {
    TfrmMAIN000& w = *window;
    EXPECT_EQ(w.windowTitle(), "Corvane : Program Upload Utility");
    EXPECT_EQ(w.size(), QSize(1170, 728));
    EXPECT_EQ(w.font().pointSize(), 8);
    EXPECT_TRUE(w.font().families().contains("Tahoma"));
    EXPECT_EQ(frmMAIN000, &w);
}

TEST_F(MainWindowLayout, BandsStackTitlePagesAndStatusBar) {
    TfrmMAIN000& w = *window;
    w.layout()->activate();
    EXPECT_EQ(geometryOf(w.pnlTitle), QRect(0, 0, 1170, 72));
    EXPECT_EQ(geometryOf(w.pgMain), QRect(0, 72, 1170, 635));
    EXPECT_EQ(geometryOf(w.StatusBar1), QRect(0, 707, 1170, 21));
    EXPECT_EQ(w.pgMain->tabBar()->tabRect(0).height(), 19);
}

TEST_F(MainWindowLayout, ControlsSitWhereDesigned) {
    TfrmMAIN000& w = *window;
    struct Expected {
        const char* name;
        QRect geometry;
        const char* parent;
    };
    const Expected table[] = {
        {"lblVersion", QRect(903, 49, -1, -1), "pnlTitle"},
        {"grpZIPFields", QRect(7, 5, 763, 58), "pnlButtons"},
        {"edZIPPrefix", QRect(125, 8, 74, 19), "grpZIPFields"},
        {"edZIPSuffix", QRect(125, 32, 393, 19), "grpZIPFields"},
        {"edZIPVersion", QRect(440, 8, 78, 19), "grpZIPFields"},
        {"btnCreateZIPFile", QRect(855, 15, 146, 40), "pnlButtons"},
        {"btnClose", QRect(1007, 15, 146, 40), "pnlButtons"},
        {"lblUploadSelected", QRect(9, 8, -1, -1), "pnlZIPButtons"},
        {"lblUploadFile", QRect(9, 30, -1, -1), "pnlZIPButtons"},
        {"btnDownload", QRect(474, 8, 92, 36), "pnlZIPButtons"},
        {"btnUploadLIVE", QRect(785, 5, 179, 36), "pnlZIPButtons"},
        {"AdvGlowButton3", QRect(970, 5, 179, 36), "pnlZIPButtons"},
        {"grpLiveSettings", QRect(7, 7, 518, 136), "pnlSettings"},
        {"edLiveConnector", QRect(117, 24, 380, 19), "grpLiveSettings"},
        {"edLiveHost", QRect(117, 49, 380, 19), "grpLiveSettings"},
        {"edLiveUser", QRect(117, 74, 146, 19), "grpLiveSettings"},
        {"edLivePswd", QRect(117, 99, 146, 19), "grpLiveSettings"},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        auto* c = w.findChild<QWidget*>(e.name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->parentWidget(), nullptr);
        EXPECT_EQ(c->parentWidget()->objectName(), e.parent);
        EXPECT_EQ(c->pos(), e.geometry.topLeft());
        if (e.geometry.width() > 0) {
            EXPECT_EQ(c->size(), e.geometry.size());
        }
    }
}

TEST_F(MainWindowLayout, PagesFillAndDockAfterShowing) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    for (int page = 0; page < 4; ++page) {
        w.pgMain->setCurrentIndex(page);
        QApplication::processEvents();
    }
    w.pgMain->setCurrentIndex(0);
    // The page look of the first showing keeps the designed tab height and bands.
    EXPECT_EQ(w.pgMain->tabBar()->tabRect(0).height(), 19);
    EXPECT_EQ(geometryOf(w.pgMain), QRect(0, 72, 1170, 635));

    const QRect page0 = w.pgPage00->rect();
    EXPECT_EQ(w.pnlButtons->height(), 70);
    EXPECT_EQ(w.pnlButtons->geometry().bottom(), page0.bottom());
    EXPECT_EQ(w.pnlButtons->width(), page0.width());
    EXPECT_EQ(w.pnlFiles->geometry(), QRect(0, 0, page0.width(), page0.height() - 70));
    EXPECT_EQ(w.grdFiles->geometry(), w.pnlFiles->rect());

    const QRect page1 = w.pgPage01->rect();
    EXPECT_EQ(w.pnlZIPButtons->height(), 59);
    EXPECT_EQ(w.pnlZIPButtons->geometry().bottom(), page1.bottom());
    EXPECT_EQ(w.grdZIPFiles->geometry(), QRect(0, 0, page1.width(), page1.height() - 59));

    const QRect page2 = w.pgPage02->rect();
    EXPECT_EQ(w.dxNavBar1->geometry(), QRect(page2.width() - 154, 0, 154, page2.height()));
    EXPECT_EQ(w.cxGrid1->geometry(), QRect(0, 0, page2.width() - 154, page2.height()));

    EXPECT_EQ(w.pnlSettings->geometry(), w.pgPage03->rect());
}

TEST_F(MainWindowLayout, CaptionsAndDesignTexts) {
    TfrmMAIN000& w = *window;
    const QStringList tabs = {"Corvane EXE Files", "ZIP FIle List", "Cloud DB Files",
                              "Cloud FTP Settings"};
    ASSERT_EQ(w.pgMain->count(), 4);
    const QList<QWidget*> pages = {w.pgPage00, w.pgPage01, w.pgPage02, w.pgPage03};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w.pgMain->tabText(i), tabs[i]);
        EXPECT_EQ(w.pgMain->widget(i), pages[i]);
        EXPECT_TRUE(w.pgMain->isTabVisible(i));
    }
    EXPECT_EQ(w.pgMain->currentIndex(), 0);

    EXPECT_EQ(w.lblTitle->text(), "Program  Release  Utility");
    EXPECT_EQ(w.lblTitle->font().pixelSize(), 37);
    EXPECT_EQ(w.lblTitle->palette().color(QPalette::WindowText), QColor(0x00, 0x40, 0x80));
    EXPECT_EQ(w.lblVersion->text(), "lblVersion");
    EXPECT_TRUE(w.lblVersion->font().bold());
    EXPECT_TRUE(w.lblVersion->alignment() & Qt::AlignRight);
    EXPECT_EQ(w.lblVersion->palette().color(QPalette::WindowText), QColor(0x3A, 0x5E, 0xA4));
    EXPECT_EQ(w.Image1->pixmap().size(), QSize(63, 63));
    EXPECT_EQ(w.Image1->width(), 63);

    EXPECT_EQ(w.btnCreateZIPFile->text(), "Create ZIP Files");
    EXPECT_TRUE(w.btnCreateZIPFile->font().bold());
    EXPECT_EQ(w.btnCreateZIPFile->font().pointSize(), 10);
    EXPECT_EQ(w.btnClose->text(), "Close");
    EXPECT_EQ(w.btnDownload->text(), "Test Download ZIP File");
    EXPECT_EQ(w.btnUploadLIVE->text(), "Upload to Cloud DB");
    EXPECT_EQ(w.AdvGlowButton3->text(), "Close");
    EXPECT_EQ(w.lblUploadSelected->text(), "Selected Upload Files : 0");
    EXPECT_EQ(w.lblUploadFile->text(), "Upload File :");
    for (QLabel* l : {w.lblUploadSelected, w.lblUploadFile}) {
        EXPECT_TRUE(l->font().bold());
        EXPECT_TRUE(l->isHidden());
    }
    EXPECT_EQ(w.grpZIPFields->title(), "");
    EXPECT_EQ(w.grpLiveSettings->title(), "[ LIVE Upload Folder Settings [");

    EXPECT_EQ(w.grdFiles->accessibleName(), "Program files");
    EXPECT_EQ(w.grdZIPFiles->accessibleName(), "ZIP files");
    EXPECT_EQ(w.cxGrid1->accessibleName(), "Cloud releases");
}

TEST_F(MainWindowLayout, FieldLabelsSitEightPixelsLeftAsBuddies) {
    TfrmMAIN000& w = *window;
    const QList<QPair<QLineEdit*, QString>> fields = {{w.edZIPPrefix, "ZIP File Name Prefix"},
                                                      {w.edZIPSuffix, "File Name"},
                                                      {w.edZIPVersion, "File Version"},
                                                      {w.edLiveConnector, "Database Connector"},
                                                      {w.edLiveHost, "Host Address"},
                                                      {w.edLiveUser, "User Name"},
                                                      {w.edLivePswd, "Password"}};
    for (const auto& [field, caption] : fields) {
        SCOPED_TRACE(caption.toStdString());
        QLabel* label = nullptr;
        for (QLabel* l : field->parentWidget()->findChildren<QLabel*>())
            if (l->buddy() == field)
                label = l;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), caption);
        EXPECT_EQ(label->geometry().right() + 1, field->x() - 8);
        EXPECT_GE(label->x(), 0);
        EXPECT_EQ(field->accessibleName(), caption);
    }
}

TEST_F(MainWindowLayout, ArchiveFieldsLimitUpperCaseAndEnterMovesOn) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    EXPECT_EQ(w.edZIPPrefix->text(), "CORVANE");
    EXPECT_EQ(w.edZIPSuffix->text(), "");
    EXPECT_EQ(w.edZIPVersion->text(), "");
    for (QLineEdit* e : {w.edZIPPrefix, w.edZIPSuffix, w.edZIPVersion})
        EXPECT_EQ(e->maxLength(), 15);

    w.edZIPSuffix->setFocus();
    QTest::keyClicks(w.edZIPSuffix, "cormain_");
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ä"));
    QApplication::sendEvent(w.edZIPSuffix, &umlaut);
    QTest::keyClicks(w.edZIPSuffix, "x.exe and more text");
    EXPECT_EQ(w.edZIPSuffix->text(), QString::fromUtf8("CORMAIN_ÄX.EXE "));
    // As in an upper-case edit control, a text the program puts in is upper-cased too.
    w.edZIPVersion->setText("5023a");
    EXPECT_EQ(w.edZIPVersion->text(), "5023A");

    w.edZIPPrefix->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), w.edZIPPrefix);
    QTest::keyClick(w.edZIPPrefix, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.edZIPSuffix);
    QTest::keyClick(w.edZIPSuffix, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), w.edZIPVersion);
    // Tab order: prefix, suffix, version.
    w.edZIPPrefix->setFocus();
    QTest::keyClick(w.edZIPPrefix, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.edZIPSuffix);
    QTest::keyClick(w.edZIPSuffix, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.edZIPVersion);
}

TEST_F(MainWindowLayout, SettingsFieldsAreReadOnlyAndOutOfTheTabOrder) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    w.pgMain->setCurrentIndex(3);
    for (QLineEdit* e : {w.edLiveConnector, w.edLiveHost, w.edLiveUser, w.edLivePswd}) {
        SCOPED_TRACE(e->objectName().toStdString());
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_EQ(e->maxLength(), 200);
        EXPECT_EQ(e->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(e->focusPolicy(), Qt::ClickFocus); // clicked into, never tabbed into
        e->setText("secret");
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClicks(e, "xyz");
        EXPECT_EQ(e->text(), "secret");
    }
    // Tab from the page's tabs never lands in a settings field.
    w.pgMain->tabBar()->setFocus();
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(qobject_cast<QLineEdit*>(QApplication::focusWidget()) &&
                     QApplication::focusWidget()->parentWidget() == w.grpLiveSettings);
    }
}

TEST_F(MainWindowLayout, StatusBarPanelsAsDesigned) {
    TStatusBar& bar = *window->StatusBar1;
    ASSERT_EQ(bar.PanelCount(), 3);
    EXPECT_EQ(bar.height(), 21);
    EXPECT_EQ(bar.PanelAt(0).width, 80);
    EXPECT_EQ(bar.PanelAt(0).text, "MAIN000");
    EXPECT_TRUE(bar.PanelAt(0).alignment & Qt::AlignHCenter);
    EXPECT_TRUE(bar.PanelAt(0).darker);
    EXPECT_EQ(bar.PanelAt(1).width, 600);
    EXPECT_EQ(bar.PanelAt(1).text, "CORVANE : Program Release Utility");
    EXPECT_TRUE(bar.PanelAt(1).alignment & Qt::AlignHCenter);
    EXPECT_FALSE(bar.PanelAt(1).button);
    EXPECT_EQ(bar.PanelAt(2).width, 50);
    EXPECT_EQ(bar.PanelAt(2).text, "");
    EXPECT_EQ(bar.PanelAt(2).style, TStatusBar::PanelStyle::Gauge);
    EXPECT_EQ(bar.PanelAt(2).gaugeValue, 0);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(bar.PanelAt(i).style, TStatusBar::PanelStyle::Text);
    EXPECT_TRUE(bar.font().bold());
    EXPECT_EQ(bar.font().pointSize(), 8);
}

TEST_F(MainWindowLayout, MenusOfTheTwoListsWithIcons) {
    showWithoutStartup(); // icons come with the first showing
    TfrmMAIN000& w = *window;
    auto describe = [](QMenu* m) {
        QStringList r;
        for (QAction* a : m->actions())
            r << (a->isSeparator() ? QString("-") : a->text() + (a->icon().isNull() ? "" : "*"));
        return r.join('|');
    };
    EXPECT_EQ(describe(w.mnuEXEList), "Select ALL*|-|De-Select ALL*");
    EXPECT_EQ(describe(w.mnuZIPFiles), "Select ALL*|-|De-Select ALL*|-|Delete ZIP File");
    EXPECT_EQ(w.mnuEXE_SelectALL1->objectName(), "mnuEXE_SelectALL1");
    EXPECT_EQ(w.mnuZIP_DeleteZIPFile1->objectName(), "mnuZIP_DeleteZIPFile1");
    EXPECT_EQ(w.mnuEXE_SelectALL1->icon().pixmap(16).toImage(),
              sData->MainImages[81].toImage().convertToFormat(
                  w.mnuEXE_SelectALL1->icon().pixmap(16).toImage().format()));

    // The menus open on their grids.
    w.pgMain->setCurrentIndex(0);
    emit w.grdFiles->customContextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.mnuEXEList->isVisible(); }, 2000));
    w.mnuEXEList->hide();
    w.pgMain->setCurrentIndex(1);
    emit w.grdZIPFiles->customContextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.mnuZIPFiles->isVisible(); }, 2000));
    w.mnuZIPFiles->hide();
}

TEST_F(MainWindowLayout, NoButtonIsLinkedToAnAction) {
    TfrmMAIN000& w = *window;
    for (QAction* a : {w.acClose, w.acCreateCABFile, w.acRefresh_Cloud_Grid}) {
        SCOPED_TRACE(a->objectName().toStdString());
        EXPECT_TRUE(w.actions().contains(a));
        EXPECT_EQ(a->shortcutContext(), Qt::WindowShortcut);
        EXPECT_TRUE(a->associatedObjects().size() == 1); // the window only
    }
    EXPECT_EQ(w.acClose->shortcut(), QKeySequence(Qt::Key_Escape));
    EXPECT_EQ(w.acCreateCABFile->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(w.acRefresh_Cloud_Grid->shortcut(), QKeySequence(Qt::Key_F5));
}

// F2 and F5 reach their commands on every page, whichever control holds the focus.
TEST_F(MainWindowLayout, F2AndF5WorkOnEveryPage) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    QSignalSpy f2(w.acCreateCABFile, &QAction::triggered);
    struct Case {
        int page;
        QWidget* focus;
    };
    const Case cases[] = {{0, w.grdFiles},
                          {0, w.edZIPVersion},
                          {1, w.grdZIPFiles},
                          {2, w.cxGrid1},
                          {3, w.pgMain->tabBar()}};
    int expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus->objectName().toStdString() + " on page " + std::to_string(c.page));
        w.pgMain->setCurrentIndex(c.page);
        c.focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == c.focus; }));

        boxes->boxes.clear();
        QTest::keyClick(c.focus, Qt::Key_F5);
        // The refresh reaches the cloud list, which reports the closed connection.
        EXPECT_TRUE(boxTextStartsWith(*boxes, "SQL Error on Table: vcSysProgRelease :-"));
        EXPECT_EQ(w.pgMain->currentIndex(), c.page);

        QTest::keyClick(c.focus, Qt::Key_F2);
        EXPECT_EQ(f2.count(), ++expected);
        EXPECT_EQ(w.pgMain->currentIndex(), c.page);
    }
}

// Not only does the action fire: F2 on the cloud page really packs the ticked program file.
TEST_F(MainWindowLayout, F2PacksTheTickedFileWhileTheCloudPageShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tool = dir.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir(tool).mkdir("ZIPFiles"));
    QFile program(tool + "CORPAY.EXE");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("MZ program bytes");
    program.close();

    showWithoutStartup();
    TfrmMAIN000& w = *window;
    sExePath = tool;
    w.sZIPPath = tool + "ZIPFiles/";
    StringGrid& files = *w.grdFilesModel;
    files.SetRowCount(2);
    files.SetCell(1, 1, "CORPAY.EXE");
    files.AddCheckBox(0, 1, true);
    w.edZIPVersion->setText("5023");

    w.pgMain->setCurrentIndex(2);
    w.cxGrid1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w.cxGrid1; }));
    QTest::keyClick(w.cxGrid1, Qt::Key_F2);

    EXPECT_TRUE(QFileInfo::exists(tool + "ZIPFiles/CORPAY_5023.ZIP"));
    EXPECT_FALSE(files.IsChecked(0, 1));
    EXPECT_EQ(files.Cell(5, 1), "ZipFile Created");
    EXPECT_EQ(w.pgMain->currentIndex(), 2);
}

TEST_F(MainWindowLayout, EscOnTheZipPageGoesBackToTheFirstPage) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    w.pgMain->setCurrentIndex(1);
    w.grdZIPFiles->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w.grdZIPFiles; }));
    QTest::keyClick(w.grdZIPFiles, Qt::Key_Escape);
    EXPECT_EQ(w.pgMain->currentIndex(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.terminateRequested());

    // Disabled, as a finished start-up leaves it, Esc does nothing.
    w.acClose->setEnabled(false);
    w.pgMain->setCurrentIndex(1);
    w.grdZIPFiles->setFocus();
    QTest::keyClick(w.grdZIPFiles, Qt::Key_Escape);
    EXPECT_EQ(w.pgMain->currentIndex(), 1);
    w.pgMain->setCurrentIndex(0);
    w.edZIPPrefix->setFocus();
    QTest::keyClick(w.edZIPPrefix, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.terminateRequested());
}

// Away from the ZIP page Esc closes the window and ends the tool, whatever has the focus.
TEST_F(MainWindowLayout, EscElsewhereClosesTheTool) {
    struct Case {
        int page;
        const char* focus;
    };
    const Case cases[] = {{0, "edZIPPrefix"}, {0, "grdFiles"}, {2, "cxGrid1"}, {3, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.focus ? c.focus : "tabs") + " on page " +
                     std::to_string(c.page));
        TearDown();
        SetUp();
        showWithoutStartup();
        TfrmMAIN000& w = *window;
        w.pgMain->setCurrentIndex(c.page);
        QWidget* focus = c.focus ? w.findChild<QWidget*>(c.focus) : w.pgMain->tabBar();
        ASSERT_NE(focus, nullptr);
        focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == focus; }));
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.terminateRequested());
    }
}

TEST_F(MainWindowLayout, ButtonsAndSideBarRunTheirCommands) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;

    auto* refresh = w.findChild<QToolButton*>("dxRefresh");
    ASSERT_NE(refresh, nullptr);
    refresh->click();
    EXPECT_TRUE(boxTextStartsWith(*boxes, "SQL Error on Table: vcSysProgRelease :-"));

    // A command ignored while another one runs shows the click goes through the guard.
    w.RunCommand([&] { w.AdvGlowButton3->click(); });
    EXPECT_TRUE(w.isVisible());
    w.pgMain->setCurrentIndex(1);
    w.AdvGlowButton3->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.terminateRequested());
}

TEST_F(MainWindowLayout, CloseButtonOfTheFirstPageEndsTheTool) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    QTest::mouseClick(w.btnClose, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.terminateRequested());
}

TEST_F(MainWindowLayout, SideBarGroupsAndItems) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    w.pgMain->setCurrentIndex(2);
    QApplication::processEvents();
    TNavBar& nav = *w.dxNavBar1;
    EXPECT_EQ(nav.width(), 154);
    EXPECT_EQ(nav.ActiveGroup(), "dxOptions");

    QToolButton* options = nav.Group("dxOptions");
    QToolButton* functions = nav.Group("dxFunctions");
    QToolButton* del = w.findChild<QToolButton*>("dxDelete");
    QToolButton* refresh = w.findChild<QToolButton*>("dxRefresh");
    ASSERT_TRUE(options && functions && del && refresh);
    EXPECT_EQ(options->text(), "Options");
    EXPECT_EQ(functions->text(), "Functions");
    EXPECT_EQ(del->text(), "Delete");
    EXPECT_EQ(refresh->text(), "Refresh");
    EXPECT_TRUE(del->isVisible());
    EXPECT_FALSE(refresh->isVisible());
    EXPECT_FALSE(options->icon().isNull());
    EXPECT_FALSE(del->icon().isNull());

    // White bold captions on the house blue.
    const QImage header = options->grab().toImage();
    EXPECT_EQ(QColor(header.pixel(header.width() - 4, 4)), QColor(58, 94, 164));
    bool white = false;
    for (int x = 0; x < header.width() && !white; ++x)
        for (int y = 0; y < header.height() && !white; ++y)
            white = QColor(header.pixel(x, y)) == QColor(Qt::white);
    EXPECT_TRUE(white);

    QTest::mouseClick(functions, Qt::LeftButton);
    EXPECT_EQ(nav.ActiveGroup(), "dxFunctions");
    EXPECT_TRUE(refresh->isVisible());
    EXPECT_FALSE(del->isVisible());
}

TEST_F(MainWindowLayout, LogoDoubleClickShowsTheZipTabWithoutSwitching) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    w.pgMain->setTabVisible(1, false);
    w.pgMain->setCurrentIndex(2);
    QTest::mouseDClick(w.Image1, Qt::LeftButton);
    EXPECT_TRUE(w.pgMain->isTabVisible(1));
    EXPECT_EQ(w.pgMain->currentIndex(), 2);
    // Already visible: nothing changes.
    QTest::mouseDClick(w.Image1, Qt::LeftButton);
    EXPECT_TRUE(w.pgMain->isTabVisible(1));
    EXPECT_EQ(w.pgMain->currentIndex(), 2);
}

TEST_F(MainWindowLayout, LooksOfTheFirstShowing) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    const QImage band = w.pnlTitle->grab().toImage();
    const QColor top = band.pixel(band.width() / 2, 1);
    const QColor foot = band.pixel(band.width() / 2, band.height() - 3);
    EXPECT_GT(top.lightness(), foot.lightness()); // the band darkens towards its foot
    EXPECT_GT(foot.blue(), foot.red());
    for (QWidget* panel : {w.pnlButtons, w.pnlZIPButtons, w.pnlSettings}) {
        const QImage img = panel->grab().toImage();
        EXPECT_EQ(QColor(img.pixel(2, img.height() - 2)), QColor(Qt::white));
    }
}
