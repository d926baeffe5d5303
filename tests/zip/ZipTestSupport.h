#pragma once
// Helpers for the archive tests: a scratch folder per test, file contents, an independent
// CRC-32, a hand-made archive builder for crafted input, and running outside tools.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ziptest {

namespace fs = std::filesystem;

// A fresh folder below the system's temporary folder, removed after the test.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    fs::path m_dir;
};

std::string ReadFile(const fs::path& file);
void WriteFile(const fs::path& file, const std::string& bytes);
std::string RandomBytes(std::size_t size, std::uint32_t seed);
// Text-like data that Deflate shrinks several times, as program files and logs do.
std::string CompressibleBytes(std::size_t size);
// Bitwise CRC-32 (IEEE), written apart from the code under test.
std::uint32_t Crc32Of(const std::string& bytes);

// Every path below dir, relative and with "/" separators; folders end in "/".
std::set<std::string> Tree(const fs::path& dir);

// Runs a shell command, its output going to the test log; returns its exit status.
int RunShell(const std::string& command);
std::string ShellQuote(const std::string& text);
bool HaveTool(const std::string& name);

// An entry of a hand-made archive. Data are stored (method 0) unless method says otherwise;
// the overrides write values that disagree with the data.
struct CraftedEntry {
    std::string name;
    std::string data = "payload\n";
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t madeBy = 20; // MS-DOS host, APPNOTE 2.0
    std::uint32_t externalAttributes = 0;
    std::optional<std::string> localName{};
    std::optional<std::uint32_t> crc{};
    std::optional<std::uint32_t> size{};
};
std::string CraftArchive(const std::vector<CraftedEntry>& entries);

// The fields of a one-entry archive, found by walking its records, so a test can make an
// archive of ours lie about one thing.
struct SingleEntryLayout {
    std::size_t localHeader = 0;
    std::size_t centralHeader = 0;
};
SingleEntryLayout LayoutOf(const std::string& archive);
void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t GetU32(const std::string& bytes, std::size_t offset);

// Lowers the process's file size limit for one scope, so that writes fail as on a full disk.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t m_previous = 0;
};

} // namespace ziptest
