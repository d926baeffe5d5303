#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A read-only private-profile file, read by the rules of GetPrivateProfileStringW.
// All texts are UTF-8.
class IniFile {
public:
    static IniFile FromBytes(std::string_view bytes);
    // A missing or unreadable file gives an empty IniFile (every lookup gives the default).
    static IniFile FromFile(const std::filesystem::path& file);

    // The value of key in section, or the default (trailing blanks and one pair of quotes
    // removed) when either is missing.
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view defaultValue = {}) const;

private:
    std::vector<std::string> m_lines; // decoded, split lines
};

} // namespace platform
