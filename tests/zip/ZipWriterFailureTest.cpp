// A writer that fails leaves the archive folder as it was: the older archive of the same
// name intact, no empty or half-written archive and no temporary file.
#include "ZipTestSupport.h"

#include "platform/PlatformError.h"
#include "platform/ZipReader.h"
#include "platform/ZipWriter.h"

#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace ziptest;

namespace {

class ZipWriterFailure : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        m_zipFolder = m_dir / "ZIPFiles";
        m_archive = m_zipFolder / "CORPAY_5023.ZIP";
        WriteFile(m_dir / "old" / "CORPAY.EXE", "the build packed last week");
        platform::ZipWriter w;
        fs::create_directories(m_zipFolder);
        w.Create(m_archive);
        w.AddFile(m_dir / "old" / "CORPAY.EXE");
        w.Close();
        m_oldArchive = ReadFile(m_archive);
    }

    void ExpectOldArchiveOnly() {
        EXPECT_EQ(Tree(m_zipFolder), std::set<std::string>{"CORPAY_5023.ZIP"});
        EXPECT_EQ(ReadFile(m_archive), m_oldArchive);
    }

    fs::path m_zipFolder;
    fs::path m_archive;
    std::string m_oldArchive;
};

TEST_F(ZipWriterFailure, MissingFolderFailsAtCreate) {
    platform::ZipWriter w;
    const fs::path archive = m_dir / "NoZIPFiles" / "CORPAY_5023.ZIP";
    try {
        w.Create(archive);
        FAIL() << "Create succeeded";
    } catch (const platform::PlatformError& e) {
        EXPECT_NE(std::string(e.what()).find(archive.string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(fs::exists(m_dir / "NoZIPFiles"));
}

struct SourceFailure {
    const char* label;
    // Prepares the source in dir and returns its path; may hold a resource until the end.
    std::function<fs::path(const fs::path& dir, int& heldFd)> arrange;
    const char* reason;
    bool meaninglessForRoot = false;
    friend void PrintTo(const SourceFailure& c, std::ostream* os) { *os << c.label; }
};

class ZipWriterSourceFailure : public ZipWriterFailure,
                               public ::testing::WithParamInterface<SourceFailure> {};

TEST_P(ZipWriterSourceFailure, KeepsTheOlderArchive) {
    const SourceFailure& c = GetParam();
    if (c.meaninglessForRoot && geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root";
    int heldFd = -1;
    const fs::path source = c.arrange(m_dir / "tool", heldFd);
    {
        platform::ZipWriter w;
        w.Create(m_archive);
        try {
            w.AddFile(source);
            FAIL() << "AddFile succeeded";
        } catch (const platform::PlatformError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
            EXPECT_NE(text.find(source.filename().string()), std::string::npos) << text;
        }
        ExpectOldArchiveOnly();
        // The writer does not pretend that a later Close could finish the archive.
        EXPECT_THROW(w.Close(), platform::PlatformError);
    }
    if (heldFd >= 0)
        close(heldFd);
    ExpectOldArchiveOnly();
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ZipWriterSourceFailure,
    ::testing::Values(SourceFailure{"Missing",
                                    [](const fs::path& dir, int&) {
                                        fs::create_directories(dir);
                                        return dir / "CORPAY.EXE";
                                    },
                                    "No such file or directory"},
                      SourceFailure{"IsAFolder",
                                    [](const fs::path& dir, int&) {
                                        fs::create_directories(dir / "CORPAY.EXE");
                                        return dir / "CORPAY.EXE";
                                    },
                                    "folder"},
                      SourceFailure{"Unreadable",
                                    [](const fs::path& dir, int&) {
                                        WriteFile(dir / "CORPAY.EXE", "secret");
                                        fs::permissions(dir / "CORPAY.EXE", fs::perms::none);
                                        return dir / "CORPAY.EXE";
                                    },
                                    "Permission denied", true},
                      SourceFailure{"LockedForWriting",
                                    [](const fs::path& dir, int& heldFd) {
                                        WriteFile(dir / "CORPAY.EXE", "being written by the build");
                                        heldFd = open((dir / "CORPAY.EXE").c_str(), O_RDWR);
                                        EXPECT_EQ(flock(heldFd, LOCK_EX), 0);
                                        return dir / "CORPAY.EXE";
                                    },
                                    "locked"}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(ZipWriterFailure, WriteErrorKeepsTheOlderArchive) {
    WriteFile(m_dir / "tool" / "CORPAY.EXE", RandomBytes(3u << 20, 11));
    platform::ZipWriter w;
    w.Create(m_archive);
    {
        const FileSizeLimit limit(1u << 20); // as a full disk would
        try {
            w.AddFile(m_dir / "tool" / "CORPAY.EXE");
            FAIL() << "AddFile succeeded";
        } catch (const platform::PlatformError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("Cannot write ZIP file \"" + m_archive.string() + "\""),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find("File too large"), std::string::npos) << text;
        }
    }
    ExpectOldArchiveOnly();
}

TEST_F(ZipWriterFailure, UnfinishedArchiveNeverReplacesTheOlderOne) {
    WriteFile(m_dir / "tool" / "CORPAY.EXE", "the new build");
    {
        platform::ZipWriter w;
        w.Create(m_archive);
        w.AddFile(m_dir / "tool" / "CORPAY.EXE");
        // While writing, the older archive is still what the name holds.
        EXPECT_EQ(ReadFile(m_archive), m_oldArchive);
        EXPECT_EQ(Tree(m_zipFolder).size(), 2u) << "the new archive grows beside the old";
    } // destroyed without Close
    ExpectOldArchiveOnly();

    platform::ZipWriter w;
    w.Create(m_archive);
    w.AddFile(m_dir / "tool" / "CORPAY.EXE");
    w.Abandon();
    ExpectOldArchiveOnly();
    EXPECT_THROW(w.Close(), platform::PlatformError);
}

} // namespace
