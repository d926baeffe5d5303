#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pewriter {

// A further language of the version resource (ID 1), for images that hold it in several.
struct PeVersionLanguage {
    std::uint16_t language = 0;
    std::uint16_t versionWords[4] = {};
};

// Options for a small, valid PE image (no code that runs), for fixtures and demo programs.
struct PeImageOptions {
    bool pe32Plus = true; // 64-bit (PE32+) or 32-bit (PE32)
    // The fixed file version (major, minor, release, build); none means no version resource.
    std::optional<std::uint16_t> versionWords[4];
    std::uint16_t language = 0x0409; // LANGID of the version resource
    bool withFixedInfo = true;       // a version resource without VS_FIXEDFILEINFO when false
    std::size_t padTo = 0;           // pad the image with zero bytes to this size
    // More languages of the same version resource; the directory lists all of them in
    // ascending LANGID order, as resource compilers write it.
    std::vector<PeVersionLanguage> moreLanguages;
};

std::vector<std::uint8_t> MakePeImage(const PeImageOptions& options);

// Convenience: a 64-bit image with the given version.
std::vector<std::uint8_t> MakeVersionedPe(std::uint16_t major, std::uint16_t minor,
                                          std::uint16_t release, std::uint16_t build,
                                          bool pe32Plus = true);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace pewriter
