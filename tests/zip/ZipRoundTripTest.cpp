// Archives written by ZipWriter read back by ZipReader and by independent readers, and
// archives of other writers read by ZipReader. Contents and CRCs are compared, never the
// compressed bytes.
#include "ZipTestSupport.h"

#include "platform/PlatformError.h"
#include "platform/ZipReader.h"
#include "platform/ZipWriter.h"

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

using namespace ziptest;

namespace {

// Checks with Python's zipfile that the archive holds exactly one entry of that name and
// Deflate method, and writes its bytes (CRC checked by zipfile) to out.
const char* kPythonReadOne = R"PY(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
if names != [sys.argv[2]]:
    sys.exit("entries: %r" % names)
info = z.infolist()[0]
if info.compress_type != zipfile.ZIP_DEFLATED:
    sys.exit("method %d" % info.compress_type)
open(sys.argv[3], "wb").write(z.read(names[0]))
)PY";

int PythonReadOne(const fs::path& archive, const std::string& name, const fs::path& out) {
    return RunShell("python3 -c " + ShellQuote(kPythonReadOne) + " " +
                    ShellQuote(archive.string()) + " " + ShellQuote(name) + " " +
                    ShellQuote(out.string()));
}

void Pack(const fs::path& archive, const fs::path& source, const std::string& entryName = {}) {
    platform::ZipWriter w;
    w.Create(archive);
    w.AddFile(source, entryName);
    w.Close();
}

void SetModified(const fs::path& file, std::time_t t) {
    const timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

std::time_t ModifiedOf(const fs::path& file) {
    struct stat st {};
    EXPECT_EQ(stat(file.c_str(), &st), 0);
    return st.st_mtime;
}

struct Sample {
    const char* label;
    const char* fileName;
    enum Kind { Text, Random, Compressible } kind;
    std::size_t size;
    friend void PrintTo(const Sample& c, std::ostream* os) { *os << c.label; }
};

std::string BytesOf(const Sample& s) {
    switch (s.kind) {
    case Sample::Random:
        return RandomBytes(s.size, 1);
    case Sample::Compressible:
        return CompressibleBytes(s.size);
    case Sample::Text:
        break;
    }
    return std::string("MZ small program\n").substr(0, s.size);
}

class ZipRoundTrip : public ScratchTest, public ::testing::WithParamInterface<Sample> {};

TEST_P(ZipRoundTrip, ReadBackByOursAndByIndependentReaders) {
    const Sample& s = GetParam();
    const std::string bytes = BytesOf(s);
    const fs::path source =
        m_dir / "tool" / fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.fileName)));
    WriteFile(source, bytes);
    const fs::path archive = m_dir / "tool" / "ZIPFiles" / "SAMPLE_5023.ZIP";
    fs::create_directories(archive.parent_path());
    Pack(archive, source);

    const auto entries = platform::ListZipEntries(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, s.fileName);
    EXPECT_EQ(entries[0].method, 8);
    EXPECT_EQ(entries[0].uncompressedSize, bytes.size());
    EXPECT_EQ(entries[0].crc32, Crc32Of(bytes));
    EXPECT_FALSE(entries[0].isDirectory);
    if (s.kind == Sample::Compressible) {
        EXPECT_LT(entries[0].compressedSize, bytes.size() / 3);
    }
    if (s.kind == Sample::Random) { // Deflate's stored blocks cost a few bytes per 16 KiB
        EXPECT_LT(entries[0].compressedSize, bytes.size() + bytes.size() / 1000 + 64);
    }

    // "Upgrades" does not exist yet: extraction makes it.
    const fs::path target = m_dir / "tool" / "Upgrades";
    platform::ExtractAll(archive, target);
    EXPECT_EQ(Tree(target), std::set<std::string>{s.fileName});
    EXPECT_EQ(ReadFile(target / source.filename()), bytes);

    if (HaveTool("unzip")) {
        EXPECT_EQ(RunShell("unzip -tqq " + ShellQuote(archive.string())), 0) << "unzip -t failed";
    }
    if (HaveTool("python3")) {
        const fs::path out = m_dir / "python.out";
        ASSERT_EQ(PythonReadOne(archive, s.fileName, out), 0) << "zipfile rejected the archive";
        EXPECT_EQ(ReadFile(out), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ZipRoundTrip,
    ::testing::Values(Sample{"Empty", "EMPTY.EXE", Sample::Text, 0},
                      Sample{"Small", "CORPAY.EXE", Sample::Text, 17},
                      Sample{"Random5MB", "CORRAND.EXE", Sample::Random, 5u << 20},
                      Sample{"Compressible5MB", "CORTEXT.EXE", Sample::Compressible, 5u << 20},
                      Sample{"NonAsciiName", "Prüfung € 数据.exe", Sample::Text, 17}),
    [](const auto& p) { return std::string(p.param.label); });

using ZipWriterTest = ScratchTest;

TEST_F(ZipWriterTest, EntriesKeepNamesFoldersAndModificationTime) {
    // 2021-03-04 05:06:08 local time: even seconds survive DOS time exactly.
    std::tm tm{};
    tm.tm_year = 121;
    tm.tm_mon = 2;
    tm.tm_mday = 4;
    tm.tm_hour = 5;
    tm.tm_min = 6;
    tm.tm_sec = 8;
    tm.tm_isdst = -1;
    const std::time_t when = std::mktime(&tm);
    WriteFile(m_dir / "a.bin", RandomBytes(70000, 3));
    WriteFile(m_dir / "b.txt", CompressibleBytes(300000));
    SetModified(m_dir / "a.bin", when);

    const fs::path archive = m_dir / "multi.zip";
    platform::ZipWriter w;
    w.Create(archive);
    w.AddFile(m_dir / "a.bin");
    w.AddFile(m_dir / "b.txt", "docs\\deep/b.txt"); // either slash separates folders
    w.Close();

    const auto entries = platform::ListZipEntries(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a.bin");
    EXPECT_EQ(entries[1].name, "docs/deep/b.txt");

    platform::ExtractAll(archive, m_dir / "out");
    EXPECT_EQ(Tree(m_dir / "out"),
              (std::set<std::string>{"a.bin", "docs/", "docs/deep/", "docs/deep/b.txt"}));
    EXPECT_EQ(ReadFile(m_dir / "out" / "a.bin"), ReadFile(m_dir / "a.bin"));
    EXPECT_EQ(ReadFile(m_dir / "out" / "docs" / "deep" / "b.txt"), ReadFile(m_dir / "b.txt"));
    EXPECT_EQ(ModifiedOf(m_dir / "out" / "a.bin"), when);

    if (HaveTool("python3")) {
        const std::string script = "import sys, zipfile\n"
                                   "d = zipfile.ZipFile(sys.argv[1]).getinfo('a.bin').date_time\n"
                                   "sys.exit(0 if d == (2021, 3, 4, 5, 6, 8) else repr(d))\n";
        EXPECT_EQ(RunShell("python3 -c " + ShellQuote(script) + " " + ShellQuote(archive.string())),
                  0);
    }
}

TEST_F(ZipWriterTest, PackingAgainReplacesTheArchiveAndExtractingAgainReplacesTheFile) {
    const fs::path archive = m_dir / "CORPAY_5023.ZIP";
    WriteFile(m_dir / "v1" / "CORPAY.EXE", "first build");
    WriteFile(m_dir / "v2" / "CORPAY.EXE", "second build, longer");
    Pack(archive, m_dir / "v1" / "CORPAY.EXE");
    platform::ExtractAll(archive, m_dir / "Upgrades");
    Pack(archive, m_dir / "v2" / "CORPAY.EXE");
    EXPECT_EQ(platform::ListZipEntries(archive).size(), 1u);
    platform::ExtractAll(archive, m_dir / "Upgrades");
    EXPECT_EQ(ReadFile(m_dir / "Upgrades" / "CORPAY.EXE"), "second build, longer");
    EXPECT_EQ(Tree(m_dir),
              (std::set<std::string>{"CORPAY_5023.ZIP", "Upgrades/", "Upgrades/CORPAY.EXE", "v1/",
                                     "v1/CORPAY.EXE", "v2/", "v2/CORPAY.EXE"}));
}

TEST_F(ZipWriterTest, Zip64RecordsAreReadByEveryReader) {
    const std::string one = CompressibleBytes(400000);
    const std::string two = RandomBytes(100000, 9);
    WriteFile(m_dir / "one.txt", one);
    WriteFile(m_dir / "two.bin", two);
    const fs::path archive = m_dir / "big.zip";
    platform::ZipWriter w;
    w.SetForceZip64(true);
    w.Create(archive);
    w.AddFile(m_dir / "one.txt");
    w.AddFile(m_dir / "two.bin");
    w.Close();

    const std::string raw = ReadFile(archive);
    EXPECT_NE(raw.find(std::string("PK\x06\x06", 4)), std::string::npos) << "no ZIP64 end record";
    EXPECT_NE(raw.find(std::string("PK\x06\x07", 4)), std::string::npos) << "no ZIP64 locator";

    const auto entries = platform::ListZipEntries(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].uncompressedSize, two.size());
    platform::ExtractAll(archive, m_dir / "out");
    EXPECT_EQ(ReadFile(m_dir / "out" / "one.txt"), one);
    EXPECT_EQ(ReadFile(m_dir / "out" / "two.bin"), two);

    if (HaveTool("unzip")) {
        EXPECT_EQ(RunShell("unzip -tqq " + ShellQuote(archive.string())), 0);
    }
    if (HaveTool("python3")) {
        const std::string script = "import sys, zipfile\n"
                                   "z = zipfile.ZipFile(sys.argv[1])\n"
                                   "assert z.namelist() == ['one.txt', 'two.bin'], z.namelist()\n"
                                   "assert z.testzip() is None\n"
                                   "assert z.getinfo('two.bin').file_size == 100000\n";
        EXPECT_EQ(RunShell("python3 -c " + ShellQuote(script) + " " + ShellQuote(archive.string())),
                  0);
    }
}

// A real entry past 4 GiB: a sparse file of zeros, which Deflate packs quickly but which
// still takes some seconds on a shared machine, so it runs only when asked for.
TEST_F(ZipWriterTest, EntryOfMoreThan4GiB) {
    if (!std::getenv("CORUPD_TEST_LARGE_ZIP"))
        GTEST_SKIP() << "set CORUPD_TEST_LARGE_ZIP=1 to pack a 4 GiB + 1 byte file";
    const fs::path source = m_dir / "HUGE.EXE";
    const std::uint64_t size = (std::uint64_t{4} << 30) + 1;
    {
        const int fd = open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        ASSERT_EQ(pwrite(fd, "!", 1, static_cast<off_t>(size - 1)), 1);
        close(fd);
    }
    const fs::path archive = m_dir / "HUGE_1.ZIP";
    platform::ZipWriter w;
    w.SetLevel(1);
    w.Create(archive);
    w.AddFile(source);
    WriteFile(m_dir / "after.txt", "an entry behind the large one");
    w.AddFile(m_dir / "after.txt");
    w.Close();

    const auto entries = platform::ListZipEntries(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].uncompressedSize, size);
    if (HaveTool("python3")) {
        const std::string script =
            "import sys, zipfile\n"
            "z = zipfile.ZipFile(sys.argv[1])\n"
            "assert z.getinfo('HUGE.EXE').file_size == 4294967297\n"
            "assert z.read('after.txt') == b'an entry behind the large one'\n";
        EXPECT_EQ(RunShell("python3 -c " + ShellQuote(script) + " " + ShellQuote(archive.string())),
                  0);
    }
    if (HaveTool("unzip")) {
        EXPECT_EQ(RunShell("unzip -tqq " + ShellQuote(archive.string())), 0);
    }
}

// Archives from other writers: Info-ZIP zip stored and deflated with folders, and Python
// writing to a pipe (sizes in a data descriptor after the data).
class ForeignArchive : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        m_src = m_dir / "src";
        WriteFile(m_src / "CORPAY.EXE", RandomBytes(200000, 5));
        WriteFile(m_src / "sub" / "notes.txt", CompressibleBytes(150000));
        WriteFile(m_src / "sub" / "deep" / "empty.dat", "");
        WriteFile(m_src / "sub" / "über.txt", "non-ASCII name from zip\n");
    }

    void ExpectSameTree(const fs::path& out) {
        EXPECT_EQ(Tree(out), Tree(m_src));
        for (const std::string& rel : Tree(m_src)) {
            if (rel.back() != '/') {
                EXPECT_EQ(ReadFile(out / rel), ReadFile(m_src / rel)) << rel;
            }
        }
    }

    fs::path m_src;
};

TEST_F(ForeignArchive, InfoZipStoredAndDeflated) {
    if (!HaveTool("zip"))
        GTEST_SKIP() << "zip is not installed";
    for (const char* level : {"-0", "-6"}) {
        SCOPED_TRACE(level);
        const fs::path archive = m_dir / (std::string("zip") + level + ".zip");
        ASSERT_EQ(RunShell("cd " + ShellQuote(m_src.string()) + " && zip -q -r " + level + " " +
                           ShellQuote(archive.string()) + " ."),
                  0);
        const auto entries = platform::ListZipEntries(archive);
        int folders = 0, deflated = 0;
        for (const auto& e : entries) {
            folders += e.isDirectory;
            deflated += e.method == 8;
        }
        EXPECT_GT(folders, 0) << "zip -r lists folders as entries";
        EXPECT_EQ(deflated > 0, level[1] != '0');
        const fs::path out = m_dir / ("out" + std::string(level));
        platform::ExtractAll(archive, out);
        ExpectSameTree(out);
    }
}

TEST_F(ForeignArchive, PythonStreamWithDataDescriptors) {
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    const std::string script =
        "import os, sys, zipfile\n"
        "src = sys.argv[1]\n"
        "with zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    for d, dirs, files in os.walk(src):\n"
        "        dirs.sort()\n"
        "        for f in sorted(files):\n"
        "            p = os.path.join(d, f)\n"
        "            z.write(p, os.path.relpath(p, src))\n";
    const fs::path archive = m_dir / "stream.zip";
    ASSERT_EQ(RunShell("python3 -c " + ShellQuote(script) + " " + ShellQuote(m_src.string()) +
                       " | cat > " + ShellQuote(archive.string())),
              0);
    const fs::path out = m_dir / "out";
    platform::ExtractAll(archive, out);
    ExpectSameTree(out);
}

} // namespace
