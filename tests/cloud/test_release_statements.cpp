// The statements of one archive's upload, as the SQL Server side receives them, and the unit
// they form.
#include "AppError.h"
#include "QStringPrinter.h"
#include "ReleaseUpload.h"
#include "SqlDialect.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A clock that gives "<prefix>1", "<prefix>2", ... so each reading shows where it went.
TextClock countingClock(const QString& prefix) {
    auto n = std::make_shared<int>(0);
    return [prefix, n] { return prefix + QString::number(++*n); };
}

ReleaseRecord sampleRecord() {
    UploadRow row;
    row.fileName = QStringLiteral("CORPAY_5023.ZIP");
    row.progName = QStringLiteral("CORPAY");
    row.version = QStringLiteral("5023");
    row.critical = true;
    row.minDBVersion = QStringLiteral(" 7.1 "); // typed with blanks: kept as typed
    row.notes = QStringLiteral("Bob's fix, 'quoted'");
    return MakeReleaseRecord(row, QStringLiteral("Payroll"));
}

TEST(ReleaseStatements, SqlServerUnitIsRemovalReleaseAndBlob) {
    const QByteArray archive("PK\x03\x04 archive bytes", 20);
    const QList<TcData::Statement> unit = ReleaseUnit(
        SqlServerDialect(), sampleRecord(), archive, true,
        countingClock(QStringLiteral("2024/05/0")), countingClock(QStringLiteral("13:45:0")));
    ASSERT_EQ(unit.size(), 3);

    EXPECT_EQ(unit[0].text,
              QStringLiteral("DELETE FROM vcSysProgRelease  WHERE [ProgName] = 'CORPAY'"));
    EXPECT_TRUE(unit[0].bindings.isEmpty());

    const QString release =
        QStringLiteral("IF EXISTS ( "
                       "SELECT [RecID] FROM [vcSysProgRelease] WITH (NOLOCK) "
                       " WHERE [Suite] = 'CORVANE'"
                       " AND [ProgName] = 'CORPAY'"
                       " AND [Version] = '5023'"
                       " ) "
                       "UPDATE [vcSysProgRelease] SET "
                       "[Description] = 'Payroll',"
                       "[Critical] = 'Y',"
                       "[MinDBVersion] = ' 7.1 ',"
                       "[Notes] = 'Bob''s fix, ''quoted''',"
                       "[UploadDate] = '2024/05/01',"
                       "[UploadTime] = '13:45:01'"
                       " WHERE [Suite] = 'CORVANE'"
                       " AND [ProgName] = 'CORPAY'"
                       " AND [Version] = '5023'"
                       " ELSE "
                       "INSERT INTO [vcSysProgRelease] ( "
                       "[Suite], [ProgName], [Description], [Version], [Critical], "
                       "[MinDBVersion], [Notes], [UploadDate], [UploadTime]  "
                       " ) VALUES ( "
                       "'CORVANE','CORPAY','Payroll','5023','Y',' 7.1 ','Bob''s fix, ''quoted''',"
                       "'2024/05/02','13:45:02')");
    EXPECT_EQ(unit[1].text, release);
    EXPECT_TRUE(unit[1].bindings.isEmpty());

    EXPECT_EQ(unit[2].text, QStringLiteral("UPDATE vcSysProgRelease SET  [RARFile] = :imgBlob"
                                           " WHERE [Suite] = 'CORVANE' AND [ProgName] = 'CORPAY'"
                                           " AND [Version] = '5023'"));
    ASSERT_EQ(unit[2].bindings.size(), 1);
    EXPECT_EQ(unit[2].bindings[0].first, QStringLiteral(":imgBlob"));
    const QByteArray bound = unit[2].bindings[0].second.toByteArray();
    EXPECT_EQ(bound, archive);
    // The archive is bound, not copied: a 200 MB release must not sit in memory twice.
    EXPECT_EQ(bound.constData(), archive.constData());
}

TEST(ReleaseStatements, UnitWithoutRemovalAndOnTheEmbeddedStore) {
    const QByteArray archive(300, 'x');
    const auto clock = [] { return QStringLiteral("t"); };
    const QList<TcData::Statement> alone =
        ReleaseUnit(SqlServerDialect(), sampleRecord(), archive, false, clock, clock);
    ASSERT_EQ(alone.size(), 2);
    EXPECT_TRUE(alone[0].text.startsWith(QStringLiteral("IF EXISTS ( ")));

    // The embedded store: the removal first and the blob statement last, whatever the number
    // of release statements between them.
    const QList<TcData::Statement> embedded =
        ReleaseUnit(EmbeddedDialect(), sampleRecord(), archive, true, clock, clock);
    ASSERT_GE(embedded.size(), 3);
    EXPECT_EQ(embedded.front().text, SqlServerDialect().RemovalStatement(QStringLiteral("CORPAY")));
    EXPECT_TRUE(embedded.back().text.contains(QStringLiteral(":imgBlob")));
    for (qsizetype i = 0; i + 1 < embedded.size(); ++i)
        EXPECT_TRUE(embedded[i].bindings.isEmpty()) << i;
}

// The streamed unit: the same statements, the blob statement naming the file instead of
// holding its bytes.
TEST(ReleaseStatements, StreamedUnitNamesTheArchiveFile) {
    const auto clock = [] { return QStringLiteral("t"); };
    for (const SqlDialect* d : {&SqlServerDialect(), &EmbeddedDialect()}) {
        const QList<TcData::Statement> bound =
            ReleaseUnit(*d, sampleRecord(), QByteArray("x"), true, clock, clock);
        const QList<TcData::Statement> streamed = StreamedReleaseUnit(
            *d, sampleRecord(), QStringLiteral("/z/CORPAY_5023.ZIP"), true, clock, clock);
        ASSERT_EQ(streamed.size(), bound.size());
        for (qsizetype i = 0; i < streamed.size(); ++i) {
            EXPECT_EQ(streamed[i].text, bound[i].text) << i;
            EXPECT_TRUE(streamed[i].bindings.isEmpty()) << i;
        }
        const TcData::Statement& blob = streamed.last();
        EXPECT_EQ(blob.blobFile, QStringLiteral("/z/CORPAY_5023.ZIP"));
        EXPECT_EQ(blob.blobPlaceholder, QStringLiteral(":imgBlob"));
        EXPECT_EQ(blob.blobTable, QStringLiteral("vcSysProgRelease"));
        EXPECT_EQ(blob.blobColumn, QStringLiteral("RARFile"));
        for (qsizetype i = 0; i + 1 < streamed.size(); ++i)
            EXPECT_TRUE(streamed[i].blobFile.isEmpty()) << i;
    }
}

TEST(ReleaseStatements, CriticalFlagAndArchivePath) {
    UploadRow row;
    row.critical = false;
    EXPECT_EQ(MakeReleaseRecord(row, {}).critical, QStringLiteral("N"));
    row.critical = true;
    EXPECT_EQ(MakeReleaseRecord(row, {}).critical, QStringLiteral("Y"));
    // Blanks and control characters around the whole path go; those inside stay.
    EXPECT_EQ(ArchivePath(QStringLiteral("/z/"), QStringLiteral("A B.ZIP \t")),
              QStringLiteral("/z/A B.ZIP"));
}

TEST(ReleaseStatements, ReadArchiveFileReadsEveryByteOrNamesTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("CORPAY_5023.ZIP"));
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.append(static_cast<char>(i * 7));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    EXPECT_EQ(ReadArchiveFile(path), bytes);
    try {
        ReadArchiveFile(dir.filePath(QStringLiteral("gone.ZIP")));
        FAIL() << "no error for a missing archive";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("gone.ZIP"))) << e.what();
    }
}

} // namespace
