// Archives that try to write outside the target, hide what they are, or lie about their
// data. None may write outside the target, and none may leave a partial file behind.
#include "ZipTestSupport.h"

#include "platform/PlatformError.h"
#include "platform/ZipReader.h"
#include "platform/ZipWriter.h"

#include <functional>

using namespace ziptest;

namespace {

std::string ErrorOf(const fs::path& archive, const fs::path& target) {
    try {
        platform::ExtractAll(archive, target);
    } catch (const platform::PlatformError& e) {
        return e.what();
    }
    return "(no error)";
}

// Entries refused by their central directory record or local header: nothing at all is
// written, not even the harmless entry before them, nor the target folder.
struct RefusedEntry {
    const char* label;
    ziptest::CraftedEntry entry;
    const char* reason;
    friend void PrintTo(const RefusedEntry& c, std::ostream* os) { *os << c.label; }
};

class ZipRefusedEntry : public ScratchTest, public ::testing::WithParamInterface<RefusedEntry> {};

TEST_P(ZipRefusedEntry, NothingIsWritten) {
    const RefusedEntry& c = GetParam();
    const fs::path archive = m_dir / "a.zip";
    WriteFile(archive, CraftArchive({{.name = "good.txt"}, c.entry}));
    fs::create_directories(m_dir / "out");
    const fs::path target = m_dir / "out" / "Upgrades";

    const std::string text = ErrorOf(archive, target);
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_NE(text.find(archive.string()), std::string::npos) << text;
    if (c.entry.name.find('\0') == std::string::npos) {
        EXPECT_NE(text.find("entry \"" + c.entry.name + "\""), std::string::npos) << text;
    }
    EXPECT_EQ(Tree(m_dir), (std::set<std::string>{"a.zip", "out/"}));
    EXPECT_FALSE(fs::exists("/tmp/corupd-zip-test-absolute"));
}

using ZipCraftedArchive = ScratchTest;

// The hand-made archives are sound apart from what each case spoils: unspoiled, every
// reader takes them.
TEST_F(ZipCraftedArchive, WithoutTamperingExtracts) {
    const fs::path archive = m_dir / "a.zip";
    WriteFile(archive, CraftArchive({{.name = "good.txt"},
                                     {.name = "sub\\win.txt", .data = "backslash"},
                                     {.name = "dir/", .data = ""}}));
    platform::ExtractAll(archive, m_dir / "out");
    EXPECT_EQ(Tree(m_dir / "out"),
              (std::set<std::string>{"dir/", "good.txt", "sub/", "sub/win.txt"}));
    EXPECT_EQ(ReadFile(m_dir / "out" / "sub" / "win.txt"), "backslash");
    if (HaveTool("unzip")) {
        EXPECT_EQ(RunShell("unzip -tqq " + ShellQuote(archive.string())), 0);
    }
}

constexpr std::uint32_t kUnixSymlinkMode = 0120777;
constexpr std::uint16_t kMadeOnUnix = (3 << 8) | 20;

INSTANTIATE_TEST_SUITE_P(
    Crafted, ZipRefusedEntry,
    ::testing::Values(
        RefusedEntry{"DotDotSlash", {.name = "../evil"}, "leads out of the target folder"},
        RefusedEntry{"DotDotBackslash", {.name = "..\\evil"}, "leads out of the target folder"},
        RefusedEntry{"DotDotInside", {.name = "a/../../b"}, "leads out of the target folder"},
        RefusedEntry{"AbsoluteSlash", {.name = "/tmp/corupd-zip-test-absolute"}, "absolute"},
        RefusedEntry{"AbsoluteBackslash", {.name = "\\abs"}, "absolute"},
        RefusedEntry{"DriveLetter", {.name = "C:/x"}, "drive letter"},
        RefusedEntry{"SymbolicLink",
                     {.name = "link",
                      .data = "../../../etc",
                      .madeBy = kMadeOnUnix,
                      .externalAttributes = kUnixSymlinkMode << 16},
                     "symbolic link"},
        RefusedEntry{"Encrypted", {.name = "secret.txt", .flags = 1}, "encrypted"},
        RefusedEntry{"NulInName", {.name = std::string("a\0b", 3)}, "NUL"},
        RefusedEntry{"EmptyName", {.name = ""}, "no name"},
        RefusedEntry{"LocalHeaderNamesAnother",
                     {.name = "fine.txt", .localName = "../evil"},
                     "local header"},
        RefusedEntry{"UnsupportedMethod", {.name = "bz.txt", .method = 12}, "method 12"},
        RefusedEntry{"StoredSizesDiffer", {.name = "s.txt", .size = 100}, "sizes differ"}),
    [](const auto& p) { return std::string(p.param.label); });

// Entries whose data do not match what the archive says about them. The check can only
// happen while extracting; the file of that name already in the target stays as it was.
struct LyingArchive {
    const char* label;
    std::function<void(std::string& archive)> spoil;
    const char* reason;
    friend void PrintTo(const LyingArchive& c, std::ostream* os) { *os << c.label; }
};

class ZipLyingArchive : public ScratchTest, public ::testing::WithParamInterface<LyingArchive> {};

TEST_P(ZipLyingArchive, LeavesNoPartialFile) {
    const LyingArchive& c = GetParam();
    WriteFile(m_dir / "tool" / "CORPAY.EXE", CompressibleBytes(3u << 20));
    const fs::path archive = m_dir / "CORPAY_5023.ZIP";
    {
        platform::ZipWriter w;
        w.Create(archive);
        w.AddFile(m_dir / "tool" / "CORPAY.EXE");
        w.Close();
    }
    std::string bytes = ReadFile(archive);
    c.spoil(bytes);
    WriteFile(archive, bytes);
    const fs::path target = m_dir / "Upgrades";
    WriteFile(target / "CORPAY.EXE", "the earlier upgrade");

    const std::string text = ErrorOf(archive, target);
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_NE(text.find(archive.string()), std::string::npos) << text;
    EXPECT_EQ(Tree(target), std::set<std::string>{"CORPAY.EXE"});
    EXPECT_EQ(ReadFile(target / "CORPAY.EXE"), "the earlier upgrade");
}

// Offsets of the CRC and sizes in the local (14, 18, 22) and central (16, 20, 24) headers.
void SetInBoth(std::string& a, std::size_t localField,
               std::function<std::uint32_t(std::uint32_t)> f) {
    const SingleEntryLayout l = LayoutOf(a);
    PutU32(a, l.localHeader + localField, f(GetU32(a, l.localHeader + localField)));
    PutU32(a, l.centralHeader + localField + 2, f(GetU32(a, l.centralHeader + localField + 2)));
}

INSTANTIATE_TEST_SUITE_P(
    Spoiled, ZipLyingArchive,
    ::testing::Values(
        LyingArchive{
            "CrcWrong",
            [](std::string& a) { SetInBoth(a, 14, [](std::uint32_t v) { return v ^ 1; }); },
            "CRC-32"},
        LyingArchive{
            "SizeRecordedSmaller",
            [](std::string& a) { SetInBoth(a, 22, [](std::uint32_t v) { return v - 1; }); },
            "longer than its recorded size"},
        LyingArchive{
            "SizeRecordedLarger",
            [](std::string& a) { SetInBoth(a, 22, [](std::uint32_t v) { return v + 1; }); },
            "shorter than its recorded size"},
        LyingArchive{
            "CompressedSizeRecordedSmaller",
            [](std::string& a) { SetInBoth(a, 18, [](std::uint32_t v) { return v - 100; }); },
            "ends early"},
        LyingArchive{"DataDamaged",
                     [](std::string& a) {
                         for (std::size_t i = 0; i < 64; ++i)
                             a[a.size() / 2 + i] = static_cast<char>(a[a.size() / 2 + i] ^ 0x5A);
                     },
                     "damaged"},
        LyingArchive{"LocalCrcDiffers",
                     [](std::string& a) {
                         const SingleEntryLayout l = LayoutOf(a);
                         PutU32(a, l.localHeader + 14, GetU32(a, l.localHeader + 14) + 1);
                     },
                     "local header does not match"},
        LyingArchive{"TruncatedAtHalf", [](std::string& a) { a.resize(a.size() / 2); },
                     "truncated"},
        LyingArchive{"MiddleCutOut", [](std::string& a) { a.erase(a.size() / 3, 4096); },
                     "truncated"}),
    [](const auto& p) { return std::string(p.param.label); });

using ZipReaderTest = ScratchTest;

TEST_F(ZipReaderTest, StoredEntryWithWrongCrcLeavesNoFile) {
    const fs::path archive = m_dir / "a.zip";
    WriteFile(archive, CraftArchive({{.name = "CORPAY.EXE", .crc = 0x12345678}}));
    const std::string text = ErrorOf(archive, m_dir / "out");
    EXPECT_NE(text.find("entry \"CORPAY.EXE\""), std::string::npos) << text;
    EXPECT_NE(text.find("CRC-32"), std::string::npos) << text;
    EXPECT_EQ(Tree(m_dir / "out"), std::set<std::string>{});
}

TEST_F(ZipReaderTest, WriteErrorWhileExtractingLeavesNoPartialFile) {
    WriteFile(m_dir / "CORPAY.EXE", RandomBytes(3u << 20, 4));
    const fs::path archive = m_dir / "CORPAY_5023.ZIP";
    {
        platform::ZipWriter w;
        w.Create(archive);
        w.AddFile(m_dir / "CORPAY.EXE");
        w.Close();
    }
    const fs::path target = m_dir / "Upgrades";
    WriteFile(target / "CORPAY.EXE", "the earlier upgrade");
    std::string text;
    {
        const FileSizeLimit limit(1u << 20); // as a full disk would
        text = ErrorOf(archive, target);
    }
    EXPECT_NE(text.find("Cannot write file \"" + (target / "CORPAY.EXE").string() + "\""),
              std::string::npos)
        << text;
    EXPECT_EQ(Tree(target), std::set<std::string>{"CORPAY.EXE"});
    EXPECT_EQ(ReadFile(target / "CORPAY.EXE"), "the earlier upgrade");
}

TEST_F(ZipReaderTest, MissingArchiveNamesTheFile) {
    const fs::path archive = m_dir / "Temp" / "CORPAY_5023.ZIP";
    const std::string text = ErrorOf(archive, m_dir / "Upgrades");
    EXPECT_NE(text.find("ZIP file \"" + archive.string() + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(m_dir / "Upgrades"));
}

TEST_F(ZipReaderTest, NonZipFileIsRefused) {
    WriteFile(m_dir / "a.zip", std::string(5000, 'x'));
    EXPECT_NE(ErrorOf(m_dir / "a.zip", m_dir / "out").find("not a ZIP archive"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "out"));
}

} // namespace
