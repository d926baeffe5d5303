// Directory search, file tests and the regional-settings store.
#include "FsTempDir.h"
#include "platform/DirSearch.h"
#include "platform/RegionalSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

using TempDir = FsTempDir;

void WriteBytes(const fs::path& file, std::size_t n) {
    std::ofstream out(file, std::ios::binary);
    out << std::string(n, 'x');
}

// Sets an environment variable for the scope and puts the old value back after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(DirSearch, EveryEntryInCaseInsensitiveNameOrder) {
    TempDir dir;
    const fs::path& d = dir.path();
    for (const char* name :
         {"CORPAY.EXE", "corapp.exe", "Zeta", "_under", ".hidden", "10", "9", "a.txt", "A.txt"})
        WriteBytes(d / name, 1);
    fs::create_directory(d / "sub");
    fs::create_directory_symlink(d / "sub", d / "linkdir");
    fs::create_symlink(d / "nowhere", d / "dangling");

    std::vector<std::string> names;
    std::vector<bool> folders;
    for (const platform::DirEntry& e : platform::ListDirectory(d)) {
        names.push_back(e.name);
        folders.push_back(e.isDirectory);
    }
    // Upper-cased comparison, as NTFS orders names: '_' comes after the letters.
    const std::vector<std::string> expected = {".hidden", "10",         "9",          "A.txt",
                                               "a.txt",   "corapp.exe", "CORPAY.EXE", "dangling",
                                               "linkdir", "sub",        "Zeta",       "_under"};
    EXPECT_EQ(names, expected);
    const std::vector<bool> expectedFolders = {false, false, false, false, false, false,
                                               false, false, true,  true,  false, false};
    EXPECT_EQ(folders, expectedFolders);
    EXPECT_TRUE(platform::ListDirectory(d / "missing").empty());
    EXPECT_TRUE(platform::ListDirectory(d / "Zeta").empty());
}

TEST(DirSearch, LastWriteTimeInUnixSeconds) {
    TempDir dir;
    const fs::path file = dir.path() / "CORTAX.EXE";
    WriteBytes(file, 3);
    const std::int64_t when = 1709640000; // 2024-03-05 12:00:00 UTC
    fs::last_write_time(file, std::chrono::file_clock::from_sys(
                                  std::chrono::sys_seconds(std::chrono::seconds(when))));
    const auto entries = platform::ListDirectory(dir.path());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].lastWriteUnixSeconds, when);
}

TEST(DirSearch, FileSizeOf) {
    TempDir dir;
    const fs::path& d = dir.path();
    WriteBytes(d / "CORPAY.EXE", 1234);
    WriteBytes(d / "empty", 0);
    WriteBytes(d / "a?c", 5);
    WriteBytes(d / "star*", 5);
    fs::create_directory(d / "CORDATA.EXE");
    fs::create_symlink(d / "CORPAY.EXE", d / "link.exe");
    fs::create_symlink(d / "nowhere", d / "dangling");
    struct Case {
        const char* name;
        std::int64_t size;
    } cases[] = {
        {"CORPAY.EXE", 1234}, {"empty", 0}, {"missing", -1}, {"CORDATA.EXE", -1}, {"*.EXE", -1},
        {"CORPAY.EX?", -1},   {"a?c", -1},  {"star*", -1},   {"link.exe", 1234},  {"dangling", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::FileSizeOf(d / c.name), c.size) << c.name;
}

TEST(DirSearch, FileSizeBeyondFourGigabytes) {
    TempDir dir;
    const fs::path file = dir.path() / "CORBIG.EXE";
    WriteBytes(file, 0);
    const std::uintmax_t size = (std::uintmax_t{5} << 30) + 1; // sparse
    fs::resize_file(file, size);
    EXPECT_EQ(platform::FileSizeOf(file), static_cast<std::int64_t>(size));
}

TEST(DirSearch, ExistenceFollowsLinks) {
    TempDir dir;
    const fs::path& d = dir.path();
    WriteBytes(d / "file", 1);
    fs::create_directory(d / "folder");
    fs::create_symlink(d / "file", d / "filelink");
    fs::create_directory_symlink(d / "folder", d / "folderlink");
    fs::create_symlink(d / "nowhere", d / "dangling");
    struct Case {
        const char* name;
        bool file;
        bool folder;
    } cases[] = {
        {"file", true, false},       {"folder", false, true},    {"filelink", true, false},
        {"folderlink", false, true}, {"dangling", false, false}, {"missing", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::FileExists(d / c.name), c.file) << c.name;
        EXPECT_EQ(platform::DirectoryExists(d / c.name), c.folder) << c.name;
    }
}

TEST(RegionalSettings, StoreRoundTripsAndOutlivesTheWriter) {
    TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
    const fs::path store = dir.path() / "corvane" / "regional-settings.ini";
    EXPECT_EQ(platform::RegionalSettingsStorePath(), store);
    EXPECT_EQ(platform::GetSystemDefaultLCID(), 0x0409u);

    const std::uint32_t lcid = 0x0409;
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE), "");
    ASSERT_TRUE(platform::SetLocaleInfo(lcid, platform::LOCALE_SDATE, "/"));
    ASSERT_TRUE(platform::SetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE, "dd.MM.yyyy"));
    ASSERT_TRUE(platform::SetLocaleInfo(lcid, platform::LOCALE_STIMEFORMAT, "HH:mm:ss"));
    ASSERT_TRUE(platform::SetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE, "yyyy/MM/dd"));
    ASSERT_TRUE(platform::SetLocaleInfo(0x0407, platform::LOCALE_SDATE, "."));
    // Blanks and quotes at the ends come back exactly.
    ASSERT_TRUE(platform::SetLocaleInfo(lcid, 4100, " 'x\" "));
    EXPECT_TRUE(fs::exists(store));

    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SDATE), "/");
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SSHORTDATE), "yyyy/MM/dd");
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_STIMEFORMAT), "HH:mm:ss");
    EXPECT_EQ(platform::GetLocaleInfo(lcid, 4100), " 'x\" ");
    EXPECT_EQ(platform::GetLocaleInfo(0x0407, platform::LOCALE_SDATE), ".");

    // A value that cannot be one line is refused and changes nothing.
    EXPECT_FALSE(platform::SetLocaleInfo(lcid, platform::LOCALE_SDATE, "a\nb"));
    EXPECT_EQ(platform::GetLocaleInfo(lcid, platform::LOCALE_SDATE), "/");

    // Written through a temporary file that does not stay behind.
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(store.parent_path()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"regional-settings.ini"});
}

TEST(RegionalSettings, StoreFallsBackToHomeConfig) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path().string());
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>{}, std::optional<std::string>{""},
          std::optional<std::string>{"relative/path"}}) {
        ScopedEnv env("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(platform::RegionalSettingsStorePath(),
                  dir.path() / ".config" / "corvane" / "regional-settings.ini");
    }
}
