#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

struct ZipEntryInfo {
    // As stored: UTF-8 when flagged (or given in Info-ZIP's Unicode path field, or valid
    // UTF-8 from an archive made on Unix), else CP437 decoded.
    std::string name;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc32 = 0;
    std::uint16_t method = 0;
    bool isDirectory = false;
};

// Lists the entries of an archive from its central directory. Raises PlatformError.
std::vector<ZipEntryInfo> ListZipEntries(const std::filesystem::path& archive);

// Extracts every entry below target (created when missing), creating sub-folders and
// replacing files of the same name. Entries stored or deflated; each entry's CRC-32 and sizes
// are verified, and each file is written under a temporary name and moved into place only
// once it checks out. Refuses, with a PlatformError naming the entry and before writing
// anything for it: absolute names, drive letters, ".." segments (either slash), symbolic
// links, encrypted entries, sizes that lie.
void ExtractAll(const std::filesystem::path& archive, const std::filesystem::path& target);

} // namespace platform
