#include "DirSearch.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// NTFS keeps a folder's names ordered by their upper-cased form, so '_' sorts after the
// letters; names alike but for case fall back to plain byte order to stay deterministic.
bool NameBefore(const std::string& a, const std::string& b) {
    const auto upperLess = [](char x, char y) {
        return static_cast<unsigned char>(UpperAscii(x)) <
               static_cast<unsigned char>(UpperAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upperLess))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upperLess))
        return false;
    return a < b;
}

std::string Utf8Name(const fs::path& p) {
    const std::u8string s = p.filename().u8string();
    return std::string(s.begin(), s.end());
}

std::int64_t UnixSeconds(fs::file_time_type t) {
    const auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

bool HasWildcard(const fs::path& file) {
    const std::string name = Utf8Name(file);
    return name.find_first_of("*?") != std::string::npos;
}

} // namespace

std::vector<DirEntry> ListDirectory(const fs::path& folder) {
    std::vector<DirEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return entries;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        DirEntry e;
        e.name = Utf8Name(it->path());
        std::error_code entryEc;
        e.isDirectory = it->is_directory(entryEc); // links count by what they point to
        // A dangling link has no time of its own to show: 0.
        const fs::file_time_type written = fs::last_write_time(it->path(), entryEc);
        e.lastWriteUnixSeconds = entryEc ? 0 : UnixSeconds(written);
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return NameBefore(a.name, b.name); });
    return entries;
}

std::int64_t FileSizeOf(const fs::path& file) {
    if (HasWildcard(file))
        return -1;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return -1;
    const std::uintmax_t size = fs::file_size(file, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

bool FileExists(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

bool DirectoryExists(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec);
}

} // namespace platform
