// Packing one program file into an archive of its own, checked by other readers, and what a
// failed packing leaves behind.
#include "ProgramFileFixtures.h"
#include "ZipPackaging.h"
#include "platform/PlatformError.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace filefixtures;

class Packaging : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("ZIPFiles")));
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString zipPath(const QString& name) const {
        return m_dir.filePath(QStringLiteral("ZIPFiles/") + name);
    }
    QStringList zipFolder() const {
        return QDir(m_dir.filePath(QStringLiteral("ZIPFiles")))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir m_dir;
};

TEST_F(Packaging, OneDeflateEntryNamedByTheFileReadableByOthers) {
    // A program with some structure past its headers, so Deflate has something to do.
    const QString source = path(QStringLiteral("CorPay.exe"));
    WriteProgram(source, 5, 2, 3, 4, 300000);
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(200000);
        for (int i = 0; i < 5000; ++i)
            f.write(QByteArray::number(i * 7919));
    }
    files::PackProgramFile(source, zipPath(QStringLiteral("CorPay_5023.ZIP")));
    EXPECT_TRUE(ArchiveHoldsOnly(zipPath(QStringLiteral("CorPay_5023.ZIP")),
                                 QStringLiteral("CorPay.exe"), source));
    EXPECT_EQ(zipFolder(), QStringList{QStringLiteral("CorPay_5023.ZIP")});
}

TEST_F(Packaging, PackingAgainReplacesTheArchive) {
    const QString source = path(QStringLiteral("CORPAY.EXE"));
    const QString archive = zipPath(QStringLiteral("CORPAY_5023.ZIP"));
    WriteProgram(source, 5, 2, 3);
    files::PackProgramFile(source, archive);
    WriteProgram(source, 5, 2, 3, 9, 5000);
    files::PackProgramFile(source, archive);
    EXPECT_TRUE(ArchiveHoldsOnly(archive, QStringLiteral("CORPAY.EXE"), source));
    EXPECT_EQ(zipFolder().size(), 1);
}

TEST_F(Packaging, FailureLeavesTheOlderArchiveAndNoPartialOne) {
    const QString archive = zipPath(QStringLiteral("CORPAY_5023.ZIP"));
    const QByteArray older("an archive made earlier");
    WriteBytes(archive, older);

    const QString missing = path(QStringLiteral("CORPAY.EXE"));
    const QString folder = path(QStringLiteral("CORDATA.EXE"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("CORDATA.EXE")));
    const QString unreadable = path(QStringLiteral("CORLOCK.EXE"));
    WriteProgram(unreadable, 1, 0, 0);
    QFile::setPermissions(unreadable, QFileDevice::WriteOwner);
    const bool rootReadsAnyway = QFile(unreadable).open(QIODevice::ReadOnly);

    for (const QString& source : {missing, folder, unreadable}) {
        if (source == unreadable && rootReadsAnyway)
            continue; // permissions do not stop this user
        try {
            files::PackProgramFile(source, archive);
            ADD_FAILURE() << "no error for " << source.toStdString();
        } catch (const platform::PlatformError& e) {
            EXPECT_FALSE(QString::fromUtf8(e.what()).isEmpty());
        }
        EXPECT_EQ(ReadBytes(archive), older) << source.toStdString();
        EXPECT_EQ(zipFolder(), QStringList{QStringLiteral("CORPAY_5023.ZIP")})
            << source.toStdString();
    }
}

TEST_F(Packaging, MissingZipFolderFailsAtCreation) {
    const QString source = path(QStringLiteral("CORPAY.EXE"));
    WriteProgram(source, 5, 2, 3);
    ASSERT_TRUE(QDir(m_dir.filePath(QStringLiteral("ZIPFiles"))).removeRecursively());
    try {
        files::ArchivePacker packer(zipPath(QStringLiteral("CORPAY_5023.ZIP")));
        ADD_FAILURE() << "created an archive in a missing folder";
    } catch (const platform::PlatformError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("CORPAY_5023.ZIP")))
            << e.what();
    }
}

} // namespace
