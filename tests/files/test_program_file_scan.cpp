// The program files found in a folder: which entries, in what order, and what each row holds.
#include "DataSYS.h"
#include "DescriptionStore.h"
#include "ProgramFileFixtures.h"
#include "ProgramFileList.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace filefixtures;

TEST(ProgramFileScan, SuiteFilesInSearchOrderWithVersionSizeDateAndDescription) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    DescriptionStore store(dir.filePath(QStringLiteral("db")),
                           {{QStringLiteral("CORPAY"), QStringLiteral("Payroll")},
                            {QStringLiteral("CORTESTEXE"), QStringLiteral("Test bench")}});
    ScopedScriptedDialogs boxes;

    WriteProgram(folder + "CORPAY.EXE", 5, 2, 3, 4);
    WriteProgram(folder + "corTax.exe", 4, 10, 1, 0);
    WriteProgram(folder + "CORTESTEXE", 1, 100, 2, 3);
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("CORDATA.EXE")));
    WriteProgram(folder + "CORNOVER.EXE", std::nullopt);
    WriteProgram(folder + "CORSMALL.EXE", 1, 0, 0, 0, 1048575);
    WriteProgram(folder + "CORONE.EXE", 1, 0, 0, 0, 1048576);
    WriteProgram(folder + "CORBIG.EXE", 2, 0, 0, 0, 3ULL << 30);
    for (const char* other : {"readme.txt", "PAYCOR.EXE", "EXE", "CORPAY_5023.ZIP"})
        WriteBytes(folder + QLatin1String(other), "x");
    SetModified(folder + "CORPAY.EXE", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    SetModified(folder + "corTax.exe", QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
    SetModified(folder + "CORDATA.EXE", QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));

    const QList<files::ProgramFileRow> rows = files::ScanProgramFiles(folder);

    struct Expected {
        const char* name;
        const char* version;
        qint64 size;
        const char* description;
    };
    const Expected expected[] = {
        {"CORBIG.EXE", "2.00.0", 3LL << 30, ""},
        {"CORDATA.EXE", "0.0.0", -1, ""}, // a folder: no size, no version
        {"CORNOVER.EXE", "0.0.0", -2, ""},
        {"CORONE.EXE", "1.00.0", 1048576, ""},
        {"CORPAY.EXE", "5.02.3", -2, "Payroll"},
        {"CORSMALL.EXE", "1.00.0", 1048575, ""},
        {"corTax.exe", "4.10.1", -2, ""}, // found whatever its case, shown as it is
        {"CORTESTEXE", "1.100.2", -2, "Test bench"},
    };
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        const files::ProgramFileRow& r = rows[static_cast<qsizetype>(i)];
        EXPECT_EQ(r.name, QString::fromLatin1(e.name)) << i;
        EXPECT_EQ(r.version, QString::fromLatin1(e.version)) << e.name;
        if (e.size != -2)
            EXPECT_EQ(r.sizeBytes, e.size) << e.name;
        else
            EXPECT_EQ(r.sizeBytes, QFileInfo(folder + r.name).size()) << e.name;
        EXPECT_EQ(r.description, QString::fromLatin1(e.description)) << e.name;
    }
    EXPECT_EQ(rows[4].dateText, QStringLiteral("2024/03/05 14:07:09"));
    EXPECT_EQ(rows[6].dateText, QStringLiteral("2024/03/06")); // midnight: the date alone
    EXPECT_EQ(rows[1].dateText, QStringLiteral("2023/12/31 23:59:59"));

    // One box per file whose version cannot be read, naming the full path.
    EXPECT_EQ(boxes->texts(),
              (QStringList{"Error Reading Version Info for File: " + folder + "CORDATA.EXE",
                           "Error Reading Version Info for File: " + folder + "CORNOVER.EXE"}));
}

TEST(ProgramFileScan, FolderWithoutSuiteFilesOrMissingGivesNoRows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    DescriptionStore store(dir.filePath(QStringLiteral("db")), {});
    WriteBytes(dir.filePath(QStringLiteral("notes.txt")), "x");
    EXPECT_TRUE(files::ScanProgramFiles(dir.path() + QLatin1Char('/')).isEmpty());
    EXPECT_TRUE(files::ScanProgramFiles(dir.filePath(QStringLiteral("missing/"))).isEmpty());
}

} // namespace
