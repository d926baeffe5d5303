#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace platform {

// The file version of VS_FIXEDFILEINFO (dwFileVersionMS / dwFileVersionLS split into words).
struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
    bool operator==(const FileVersion&) const = default;
};

struct PeVersionResult {
    std::optional<FileVersion> version; // empty on failure
    std::string error;                  // why it failed (for tests and logs), empty on success
};

// Reads the fixed file version of a PE image (32- or 64-bit) held in memory.
// Malformed input yields an error, never a crash or a read past the span.
PeVersionResult ReadPeVersion(std::span<const std::uint8_t> image);

// Reads the fixed file version of a PE file on disk, reading only the headers, the section
// table and the resource data it needs (never the whole file).
PeVersionResult ReadPeVersionFile(const std::filesystem::path& file);

// True when the file starts like a PE image ("MZ" with a valid "PE\0\0" signature).
bool LooksLikePeFile(const std::filesystem::path& file);

} // namespace platform
