// The PE version reader: committed fixtures, the language rule, and hostile input made from
// a good image by truncating or corrupting it.
#include "FsTempDir.h"
#include "PeImageWriter.h"
#include "platform/PeVersion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::FileVersion;
using platform::ReadPeVersion;
using platform::ReadPeVersionFile;

namespace {

const fs::path kFixtures = fs::path(CORUPD_TEST_FIXTURES) / "pe";

std::vector<std::uint8_t> ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(const platform::PeVersionResult& r) {
    if (!r.version)
        return "NONE";
    const FileVersion& v = *r.version;
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
           std::to_string(v.release) + "." + std::to_string(v.build);
}

using TempDir = FsTempDir;

// Little-endian access to an image the test is about to corrupt.
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, static_cast<std::uint16_t>(v));
    Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// Where the parts of a one-section image lie, found the way a reader finds them.
struct Layout {
    std::size_t pe = 0;          // "PE\0\0"
    std::size_t optional = 0;    // optional header
    std::size_t section = 0;     // the .rsrc section header
    std::size_t tree = 0;        // resource root directory
    std::size_t typeEntry = 0;   // root entry of RT_VERSION
    std::size_t nameDir = 0;     // RT_VERSION's name directory
    std::size_t languageDir = 0; // ID 1's language directory
    std::size_t dataEntry = 0;   // IMAGE_RESOURCE_DATA_ENTRY
    std::size_t versionInfo = 0; // VS_VERSIONINFO
    std::size_t versionEnd = 0;  // first byte after it
};

Layout LayoutOf(const std::vector<std::uint8_t>& b) {
    Layout l;
    l.pe = U32(b, 0x3C);
    l.optional = l.pe + 24;
    l.section = l.optional + (b[l.pe + 20] | b[l.pe + 21] << 8);
    const std::uint32_t rva = U32(b, l.section + 12);
    const std::uint32_t raw = U32(b, l.section + 20);
    l.tree = raw;
    l.typeEntry = l.tree + 16; // RT_VERSION (16) sorts before the manifest (24)
    l.nameDir = l.tree + (U32(b, l.typeEntry + 4) & 0x7FFFFFFF);
    l.languageDir = l.tree + (U32(b, l.nameDir + 16 + 4) & 0x7FFFFFFF);
    l.dataEntry = l.tree + U32(b, l.languageDir + 16 + 4);
    l.versionInfo = raw + (U32(b, l.dataEntry) - rva);
    l.versionEnd = l.versionInfo + U32(b, l.dataEntry + 4);
    return l;
}

pewriter::PeImageOptions VersionOptions(std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                        std::uint16_t d, std::uint16_t language = 0x0409) {
    pewriter::PeImageOptions o;
    o.versionWords[0] = a;
    o.versionWords[1] = b;
    o.versionWords[2] = c;
    o.versionWords[3] = d;
    o.language = language;
    return o;
}

} // namespace

TEST(PeVersion, CommittedFixturesGiveTheirExpectedVersionsFromFileAndMemory) {
    std::ifstream tsv(kFixtures / "expected.tsv");
    ASSERT_TRUE(tsv) << "missing " << (kFixtures / "expected.tsv");
    std::string line;
    int rows = 0;
    while (std::getline(tsv, line)) {
        std::istringstream fields(line);
        std::string name, expected;
        fields >> name >> expected;
        SCOPED_TRACE(name);
        const auto fromFile = ReadPeVersionFile(kFixtures / name);
        EXPECT_EQ(Text(fromFile), expected);
        EXPECT_EQ(fromFile.error.empty(), expected != "NONE");
        const std::vector<std::uint8_t> bytes = ReadAll(kFixtures / name);
        EXPECT_EQ(Text(ReadPeVersion(bytes)), expected);
        EXPECT_TRUE(platform::LooksLikePeFile(kFixtures / name));
        ++rows;
    }
    EXPECT_GE(rows, 7);
}

TEST(PeVersion, FailuresSayWhy) {
    struct Case {
        const char* file;
        const char* error;
    } cases[] = {
        {"noversion.exe", "no version resource"},
        {"nofixed.exe", "no fixed file information"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto r = ReadPeVersionFile(kFixtures / c.file);
        EXPECT_FALSE(r.version);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
}

TEST(PeVersion, LanguageNeutralFirstThenUsEnglishThenTheFirst) {
    // Off Windows the user's language is US English.
    struct Case {
        const char* name;
        std::uint16_t language; // of the first block
        std::vector<pewriter::PeVersionLanguage> more;
        const char* expected;
    } cases[] = {
        {"neutral beats US English and German",
         0x0407,
         {{0x0000, {1, 0, 0, 0}}, {0x0409, {2, 0, 0, 0}}},
         "1.0.0.0"},
        {"US English beats the first",
         0x0407,
         {{0x0409, {2, 0, 0, 0}}, {0x040C, {4, 0, 0, 0}}},
         "2.0.0.0"},
        {"else the first in the directory", 0x040C, {{0x0407, {3, 0, 0, 0}}}, "3.0.0.0"},
        {"German only", 0x0407, {}, "7.0.0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pewriter::PeImageOptions o = VersionOptions(7, 0, 0, 0, c.language);
        o.moreLanguages = c.more;
        EXPECT_EQ(Text(ReadPeVersion(pewriter::MakePeImage(o))), c.expected);
    }
}

TEST(PeVersion, BothImageKindsWithPaddingAfterTheResource) {
    for (const bool plus : {false, true}) {
        pewriter::PeImageOptions o = VersionOptions(12, 10, 0, 7);
        o.pe32Plus = plus;
        o.padTo = 300 * 1024;
        const auto image = pewriter::MakePeImage(o);
        EXPECT_EQ(image.size(), 300u * 1024);
        EXPECT_EQ(Text(ReadPeVersion(image)), "12.10.0.7") << (plus ? "PE32+" : "PE32");
    }
}

TEST(PeVersion, EveryTruncationFailsOrGivesTheRightVersion) {
    for (const bool plus : {false, true}) {
        const auto image = pewriter::MakeVersionedPe(3, 5, 12, 7, plus);
        const Layout l = LayoutOf(image);
        for (std::size_t length = 0; length < image.size(); ++length) {
            const std::span<const std::uint8_t> cut(image.data(), length);
            const auto r = ReadPeVersion(cut);
            if (length < l.versionEnd) {
                ASSERT_FALSE(r.version) << "cut at " << length;
                ASSERT_FALSE(r.error.empty());
            } else {
                // Nothing the reader needs lies past the version block.
                ASSERT_EQ(Text(r), "3.5.12.7") << "cut at " << length;
            }
        }
    }
}

TEST(PeVersion, CorruptedHeadersAndResourceTreesFailWithTheirReason) {
    const auto good = pewriter::MakeVersionedPe(1, 2, 3, 4);
    const Layout layout = LayoutOf(good);
    using Patch = void (*)(std::vector<std::uint8_t>&, const Layout&);
    struct Case {
        const char* name;
        Patch patch;
        const char* error;
    } cases[] = {
        {"no MZ", [](auto& b, auto&) { b[0] = 'X'; }, "no MZ signature"},
        {"PE header offset past the end", [](auto& b, auto&) { Put32(b, 0x3C, 0xFFFFFFF0); },
         "PE header lies outside"},
        {"PE header offset wraps around", [](auto& b, auto&) { Put32(b, 0x3C, 0xFFFFFFFF); },
         "PE header lies outside"},
        {"no PE signature", [](auto& b, auto& l) { b[l.pe + 1] = 'X'; }, "no PE signature"},
        {"unknown optional header magic", [](auto& b, auto& l) { Put16(b, l.optional, 0x1234); },
         "unknown optional header magic"},
        {"optional header too big", [](auto& b, auto& l) { Put16(b, l.pe + 20, 0xFFFF); },
         "optional header runs past"},
        {"optional header too small", [](auto& b, auto& l) { Put16(b, l.pe + 20, 4); },
         "optional header is too small"},
        {"65535 sections", [](auto& b, auto& l) { Put16(b, l.pe + 6, 0xFFFF); },
         "section table runs past"},
        {"no resource directory", [](auto& b, auto& l) { Put32(b, l.optional + 112 + 16, 0); },
         "no resource directory"},
        {"resource directory outside every section",
         [](auto& b, auto& l) { Put32(b, l.optional + 112 + 16, 0x7FFF0000); },
         "outside the file's sections"},
        {"section data far past the end of the file",
         [](auto& b, auto& l) { Put32(b, l.section + 20, 0xFFFFFE00); },
         "outside the file's sections"},
        {"root directory claims 131070 entries",
         [](auto& b, auto& l) {
             Put16(b, l.tree + 12, 0xFFFF);
             Put16(b, l.tree + 14, 0xFFFF);
         },
         "entries run past"},
        {"type entry loops back to the root",
         [](auto& b, auto& l) { Put32(b, l.typeEntry + 4, 0x80000000); }, "loops back"},
        {"name entry loops back to the name level",
         [](auto& b, auto& l) {
             Put32(b, l.nameDir + 16 + 4,
                   0x80000000 | static_cast<std::uint32_t>(l.nameDir - l.tree));
         },
         "loops back"},
        {"language entry leads to a fourth level",
         [](auto& b, auto& l) {
             Put32(b, l.languageDir + 16 + 4,
                   0x80000000 | static_cast<std::uint32_t>(l.dataEntry - l.tree));
         },
         "deeper than three levels"},
        {"type entry points at data", [](auto& b, auto& l) { b[l.typeEntry + 7] &= 0x7F; },
         "holds no name level"},
        {"directory far outside the section",
         [](auto& b, auto& l) { Put32(b, l.typeEntry + 4, 0xFFFFFFFF); }, "directory lies outside"},
        {"data entry far outside the section",
         [](auto& b, auto& l) { Put32(b, l.languageDir + 16 + 4, 0x7FFFFFF0); },
         "data entry lies outside"},
        {"only a version resource with ID 2", [](auto& b, auto& l) { Put32(b, l.nameDir + 16, 2); },
         "no version resource with ID 1"},
        {"no RT_VERSION type", [](auto& b, auto& l) { Put32(b, l.typeEntry, 17); },
         "no version resource"},
        {"version data RVA outside every section",
         [](auto& b, auto& l) { Put32(b, l.dataEntry, 0xFFFFFFF0); },
         "outside the file's sections"},
        {"absurd version size", [](auto& b, auto& l) { Put32(b, l.dataEntry + 4, 0xFFFFFFFF); },
         "runs past the end of its section"},
        {"block longer than the resource",
         [](auto& b, auto& l) { Put16(b, l.versionInfo, 0xFFF0); }, "longer than the resource"},
        {"not a VS_VERSION_INFO block", [](auto& b, auto& l) { b[l.versionInfo + 6] = 'X'; },
         "no VS_VERSION_INFO block"},
        {"fixed info shorter than VS_FIXEDFILEINFO",
         [](auto& b, auto& l) { Put16(b, l.versionInfo + 2, 51); },
         "shorter than VS_FIXEDFILEINFO"},
        {"fixed info cut by its block", [](auto& b, auto& l) { Put16(b, l.versionInfo, 60); },
         "runs past the end of its block"},
        {"wrong signature", [](auto& b, auto& l) { b[l.versionInfo + 40] ^= 0xFF; },
         "wrong signature"},
    };
    ASSERT_EQ(Text(ReadPeVersion(good)), "1.2.3.4");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bad = good;
        c.patch(bad, layout);
        const auto r = ReadPeVersion(bad);
        EXPECT_FALSE(r.version);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
}

TEST(PeVersion, RandomCorruptionNeverCrashes) {
    const auto good = pewriter::MakeVersionedPe(1, 2, 3, 4, false);
    const Layout l = LayoutOf(good);
    std::mt19937 random(20240305);
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::uint8_t> bad(good.begin(), good.begin() + l.versionEnd);
        for (int flips = 1 + round % 8; flips > 0; --flips)
            bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        const auto r = ReadPeVersion(bad);
        EXPECT_EQ(r.version.has_value(), r.error.empty());
    }
}

TEST(PeVersion, FileReadsOnlyWhatItNeedsFromAHugeFile) {
    TempDir dir;
    const fs::path file = dir.path() / "CORHUGE.EXE";
    auto image = pewriter::MakeVersionedPe(10, 123, 4, 0);
    // The resource section claims a whole gigabyte, as a large installer's does.
    const Layout l = LayoutOf(image);
    Put32(image, l.section + 8, 0x40000000);
    Put32(image, l.section + 16, 0x40000000);
    ASSERT_TRUE(pewriter::WriteFile(file.string(), image));
    // Sparse: costs no disk, but reading all of it would take seconds.
    fs::resize_file(file, std::uintmax_t{4} << 30);

    const auto start = std::chrono::steady_clock::now();
    const auto r = ReadPeVersionFile(file);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(Text(r), "10.123.4.0") << r.error;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
}

TEST(PeVersion, FilesThatAreNotPeImages) {
    TempDir dir;
    const fs::path text = dir.path() / "notes.txt";
    std::ofstream(text) << "MZ but nothing else of a program\n";
    const fs::path empty = dir.path() / "empty.exe";
    std::ofstream{empty};
    const fs::path fifo = dir.path() / "CORPIPE.EXE";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    struct Case {
        fs::path file;
        const char* error;
    } cases[] = {
        {text, "not a PE file"},
        {empty, "not a PE file"},
        {dir.path() / "missing.exe", "does not exist"},
        {dir.path(), "not a regular file"},
        {fifo, "not a regular file"}, // opening it would block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        const auto r = ReadPeVersionFile(c.file);
        EXPECT_FALSE(r.version);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_FALSE(platform::LooksLikePeFile(c.file));
    }
}
