// The shared text utilities: padding, date and time texts, cursor modes, grid reset and the
// program version text.
#include "BuildVersion.h"
#include "DataSYS.h"
#include "ScriptedDialogs.h"
#include "StringGrid.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QTime>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kPeFixtures = QStringLiteral(CORUPD_TEST_FIXTURES "/pe/");

// The override cursor's shape, or the plain arrow when there is none.
Qt::CursorShape CursorShape() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

} // namespace

TEST(TextUtils, PadLeftNeverCuts) {
    struct Case {
        QString text;
        QChar ch;
        int width;
        QString expected;
    } cases[] = {
        {"7", '0', 2, "07"},     {"123", '0', 2, "123"}, {"", '0', 2, "00"},
        {"ab", ' ', 5, "   ab"}, {"ab", '0', 0, "ab"},   {"ab", '0', -3, "ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PadLeft(c.text, c.ch, c.width), c.expected) << c.text.toStdString();
}

TEST(TextUtils, DateTextAddsDaysAcrossMonthAndYearEnds) {
    struct Case {
        QDate today;
        int days;
        const char* expected;
    } cases[] = {
        {{2024, 3, 5}, 0, "2024/03/05"},   {{2025, 1, 1}, -1, "2024/12/31"},
        {{2024, 12, 31}, 1, "2025/01/01"}, {{2024, 2, 28}, 1, "2024/02/29"},
        {{2023, 2, 28}, 1, "2023/03/01"},  {{2024, 3, 5}, -365, "2023/03/06"},
        {{999, 1, 9}, 0, "999/01/09"}, // the year without leading zeros
    };
    for (const Case& c : cases)
        EXPECT_EQ(DateTextFor(c.today, c.days), c.expected) << c.expected;
    EXPECT_EQ(DateText(0), DateTextFor(QDate::currentDate(), 0));
}

TEST(TextUtils, TimeTextIs24HourAndDropsFractions) {
    struct Case {
        QTime time;
        const char* expected;
    } cases[] = {
        {{9, 5, 3, 999}, "09:05:03"},
        {{23, 59, 59, 999}, "23:59:59"},
        {{0, 0, 0}, "00:00:00"},
        {{13, 7, 0}, "13:07:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeTextFor(c.time), c.expected);
    EXPECT_EQ(TimeText().size(), 8);
}

TEST(TextUtils, SetCursorModeByNameInAnyCase) {
    struct Step {
        const char* mode;
        Qt::CursorShape after;
    } steps[] = {
        {"busy", Qt::WaitCursor},         {"WAIT", Qt::WaitCursor}, // unknown: unchanged
        {"Hand", Qt::PointingHandCursor}, {"", Qt::PointingHandCursor}, {"sQl", Qt::BusyCursor},
        {"SQL ", Qt::BusyCursor}, // no trimming either
        {"reset", Qt::ArrowCursor},       {"BUSY", Qt::WaitCursor},     {"RESET", Qt::ArrowCursor},
    };
    for (const Step& s : steps) {
        SetCursorMode(QString::fromLatin1(s.mode));
        EXPECT_EQ(CursorShape(), s.after) << "after \"" << s.mode << '"';
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // RESET leaves no override behind
}

TEST(TextUtils, SetCursorModeLetsPendingEventsRunForEveryMode) {
    for (const char* mode : {"BUSY", "WAIT", "RESET"}) {
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        SetCursorMode(QString::fromLatin1(mode));
        EXPECT_TRUE(ran) << mode;
    }
}

TEST(TextUtils, ResetGridLeavesTheHeaderAndOneBlankRow) {
    StringGrid grid(8);
    grid.SetRowCount(11);
    for (int row = 0; row < 11; ++row) {
        for (int col = 0; col < 8; ++col)
            grid.SetCell(col, row, QStringLiteral("r%1c%2").arg(row).arg(col));
        grid.AddCheckBox(0, row, true);
        grid.SetRowColor(row, Qt::red);
    }
    ResetGrid(grid);
    ASSERT_EQ(grid.RowCount(), 2);
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(grid.Cell(col, 1), QString()) << col;
        EXPECT_EQ(grid.Cell(col, 0), QStringLiteral("r0c%1").arg(col)); // header kept
    }
    EXPECT_FALSE(grid.HasCheckBox(0, 1));
    EXPECT_EQ(grid.RowColor(1), QGuiApplication::palette().color(QPalette::Base));
}

TEST(TextUtils, GetProgramVersionOfPeFiles) {
    ScopedScriptedDialogs boxes;
    struct Case {
        const char* file;
        const char* expected;
    } cases[] = {
        {"v1_0_0_0.exe", "1.00.0"},
        {"v3_5_12_7_de.exe", "3.05.12"},
        {"v10_123_4_0.exe", "10.123.4"},
        {"v5_2_3_4_pe32.exe", "5.02.3"},
        {"v65535_max.exe", "65535.65535.65535"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetProgramVersion(kPeFixtures + c.file), c.expected) << c.file;
    EXPECT_TRUE(boxes->boxes.isEmpty());
}

TEST(TextUtils, GetProgramVersionFailureShowsTheArgumentAsPassed) {
    const QString self = QCoreApplication::applicationDirPath();
    for (const QString& arg :
         {kPeFixtures + "noversion.exe", kPeFixtures + "nofixed.exe", kPeFixtures + "expected.tsv",
          QStringLiteral("CORMISSING.EXE"), self /* a folder */}) {
        ScopedScriptedDialogs boxes;
        EXPECT_EQ(GetProgramVersion(arg), QStringLiteral("0.0.0")) << arg.toStdString();
        ASSERT_EQ(boxes->boxes.size(), 1) << arg.toStdString();
        EXPECT_EQ(boxes->boxes[0].kind, QStringLiteral("error"));
        EXPECT_EQ(boxes->boxes[0].caption, QStringLiteral("CORVANE : Program Version Control"));
        EXPECT_EQ(boxes->boxes[0].text, QStringLiteral("Get Program Version FAILED : ") + arg);
    }
}

TEST(TextUtils, GetProgramVersionOfTheRunningProgramIsTheBuildVersion) {
    ScopedScriptedDialogs boxes;
    const QString build = QStringLiteral("%1.%2.%3")
                              .arg(CORUPD_VERSION_MAJOR)
                              .arg(PadLeft(QString::number(CORUPD_VERSION_MINOR), '0', 2))
                              .arg(CORUPD_VERSION_PATCH);
    const QString self = QCoreApplication::applicationFilePath();
    EXPECT_EQ(GetProgramVersion(self), build);
    // A bare name is looked for beside the running program first.
    EXPECT_EQ(GetProgramVersion(QFileInfo(self).fileName()), build);
    EXPECT_TRUE(boxes->boxes.isEmpty());
}
