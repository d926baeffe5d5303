// Which names the two lists take, how archives are named and read back, and what the ticks of
// the program file list put into the archive fields.
#include "ProgramFileList.h"
#include "ZipFileList.h"
#include "ZipNames.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNames, ProgramAndArchiveFilters) {
    struct Case {
        const char* name;
        bool program;
        bool archive;
    };
    const Case cases[] = {
        {"CORPAY.EXE", true, false},
        {"corpay.exe", true, false}, // both tests ignore case
        {"CorTax.Exe", true, false},
        {"CORTESTEXE", true, false}, // no dot needed before EXE
        {"corUPD.exe", true, false}, // the tool itself carries the prefix
        {"COR.EXE", true, false},
        {"PAYCOR.EXE", false, false},
        {"CORPAY.EXE.BAK", false, false},
        {"EXE", false, false},
        {"CORPAY_5023.ZIP", false, true},
        {"corpay_5023.zip", false, true},
        {"CORPAYZIP", false, true}, // no dot needed before ZIP
        {"A.ZIP", false, true},
        {"ZIP", false, false}, // three characters are too few
        {"CORZIP.EXE", true, false},
        {"CORPAY.ZIP.TMP", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(files::IsProgramFileName(name), c.program) << c.name;
        EXPECT_EQ(files::IsZipFileName(name), c.archive) << c.name;
    }
}

TEST(FileNames, NonAsciiLettersAreNotUpperCased) {
    // Only a to z are folded: an accented e never reads as E.
    EXPECT_FALSE(files::IsProgramFileName(QString::fromUtf8("COR.EX\u0117")));
    EXPECT_TRUE(files::IsProgramFileName(QString::fromUtf8("COR\u00e9.exe")));
}

TEST(FileNames, ArchiveNameFromProgramAndVersionField) {
    struct Case {
        const char* program;
        const char* version;
        const char* archive;
    };
    const Case cases[] = {
        {"CORPAY.EXE", "5023", "CORPAY_5023.ZIP"},
        {"corpay.exe", "5023", "corpay_5023.ZIP"},    // the name keeps its case
        {"CORPAY.EXE", " 6000\t", "CORPAY_6000.ZIP"}, // the field is trimmed
        {"CORPAY.EXE", "", "CORPAY_.ZIP"},            // an empty field is no error
        {"CORTESTEXE", "1", "CORTES_1.ZIP"},          // the last four characters go, dot or not
        {"COR", "1", "_1.ZIP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            files::ArchiveName(QString::fromLatin1(c.program), QString::fromLatin1(c.version)),
            QString::fromLatin1(c.archive))
            << c.program;
}

TEST(FileNames, ProgramAndVersionFromArchiveName) {
    struct Case {
        const char* archive;
        const char* program;
        const char* version;
    };
    const Case cases[] = {
        {"CORPAY_5023.ZIP", "CORPAY", "5023"},
        {"COR_PAY_5023.ZIP", "COR", "PAY_5023"},
        {"CORPAY_.ZIP", "CORPAY", ""},
        {"CORPAY.ZIP", "", "CORPAY"},
        {"CORPAY_5.0.2.ZIP", "CORPAY", "5"},
        {"CORPAYZIP", "", ""},
        {"A.ZIP", "", "A"},
        {"corpay_5023.zip", "corpay", "5023"},
        {"_5023.ZIP", "", "5023"},            // a name starting with "_" has no program
        {"CORPAY.V1_2.ZIP", "CORPAY.V1", ""}, // the first "." lies before the first "_"
        {"CORPAY_5023", "CORPAY", ""},        // no "." at all
    };
    for (const Case& c : cases) {
        const files::ArchiveNameParts parts =
            files::ParseArchiveName(QString::fromLatin1(c.archive));
        EXPECT_EQ(parts.programName, QString::fromLatin1(c.program)) << c.archive;
        EXPECT_EQ(parts.version, QString::fromLatin1(c.version)) << c.archive;
    }
}

TEST(FileNames, NamingRoundTrips) {
    const QString archive = files::ArchiveName(QStringLiteral("CORPAY.EXE"),
                                               files::VersionDigits(QStringLiteral("5.02.3")));
    EXPECT_EQ(files::ParseArchiveName(archive),
              (files::ArchiveNameParts{QStringLiteral("CORPAY"), QStringLiteral("5023")}));
}

TEST(FileValues, VersionDigitsAndMegabytes) {
    EXPECT_EQ(files::VersionDigits(QStringLiteral("5.02.3")), QStringLiteral("5023"));
    EXPECT_EQ(files::VersionDigits(QStringLiteral("0.0.0")), QStringLiteral("000"));
    EXPECT_EQ(files::VersionDigits(QStringLiteral("1.100.2")), QStringLiteral("11002"));
    EXPECT_EQ(files::VersionDigits(QStringLiteral("a.b..c")), QStringLiteral("abc"));

    struct Case {
        qint64 bytes;
        const char* text;
    };
    const Case cases[] = {
        {-1, "0 Meg"},
        {0, "0 Meg"},
        {1048575, "0 Meg"},
        {1048576, "1 Meg"},
        {12 * 1048576 + 1048575, "12 Meg"},
        {2147483647, "2047 Meg"},
        {2147483648LL, "2048 Meg"}, // 2 GiB and more are shown as they are
        {3LL * 1024 * 1048576, "3072 Meg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::MegabyteText(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
}

TEST(ArchiveFields, FirstTickedRowDecides) {
    using files::TickRow;
    const TickRow pay{true, QStringLiteral("CORPAY.EXE"), QStringLiteral("5.02.3")};
    const TickRow tax{true, QStringLiteral("CORTAX.EXE"), QStringLiteral("4.10.1")};
    const TickRow vane{true, QStringLiteral("CORVANE.EXE"), QStringLiteral("7.01.0")};
    auto off = [](TickRow r) {
        r.ticked = false;
        return r;
    };
    struct Case {
        const char* what;
        QList<TickRow> rows;
        std::optional<files::ArchiveFields> fields;
    };
    const Case cases[] = {
        {"one program", {off(tax), pay}, files::ArchiveFields{"PAY", "5023"}},
        {"the main program keeps its prefix", {vane}, files::ArchiveFields{"CORVANE", "7010"}},
        {"main program in lower case",
         {{true, QStringLiteral("corvane.exe"), QStringLiteral("7.01.0")}},
         files::ArchiveFields{"CORVANE", "7010"}},
        {"lower-case program name is upper-cased",
         {{true, QStringLiteral("corpay.exe"), QStringLiteral("5.02.3")}},
         files::ArchiveFields{"PAY", "5023"}},
        {"an earlier ticked row wins", {pay, off(vane), tax}, files::ArchiveFields{"PAY", "5023"}},
        {"the first ticked row wins over a later one",
         {off(pay), tax, vane},
         files::ArchiveFields{"TAX", "4101"}},
        {"a row that gives no name is passed over",
         {{true, QStringLiteral("COR.EXE"), QStringLiteral("1.00.0")}, tax},
         files::ArchiveFields{"TAX", "4101"}},
        {"nothing ticked", {off(pay), off(tax)}, std::nullopt},
        {"only rows that give no name",
         {{true, QStringLiteral("COR.EXE"), QStringLiteral("1.00.0")}},
         std::nullopt},
        {"no rows", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = files::ArchiveFieldsFromTicks(c.rows);
        ASSERT_EQ(got.has_value(), c.fields.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->suffix, c.fields->suffix) << c.what;
            EXPECT_EQ(got->versionDigits, c.fields->versionDigits) << c.what;
        }
    }
}

} // namespace
