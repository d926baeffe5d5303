#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

struct DirEntry {
    std::string name;                // UTF-8, without folder
    bool isDirectory = false;
    std::int64_t lastWriteUnixSeconds = 0; // last-write time, seconds since 1970 UTC
};

// Every entry of a folder (hidden ones and sub-folders too, not "." and ".."), in
// case-insensitive name order as NTFS yields them. A folder that cannot be read gives none.
std::vector<DirEntry> ListDirectory(const std::filesystem::path& folder);

// Size in bytes of a file; -1 for a missing file, a folder, or a name holding a wildcard.
std::int64_t FileSizeOf(const std::filesystem::path& file);

// True when a regular file (not a folder) exists at the path, following links.
bool FileExists(const std::filesystem::path& file);
// True when a folder exists at the path, following links.
bool DirectoryExists(const std::filesystem::path& folder);

} // namespace platform
