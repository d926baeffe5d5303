#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

// Locale items the tool rewrites at start-up (Windows LCTYPE numbers).
inline constexpr std::uint32_t LOCALE_SDATE = 29;
inline constexpr std::uint32_t LOCALE_SSHORTDATE = 31;
inline constexpr std::uint32_t LOCALE_STIMEFORMAT = 4099;

// GetSystemDefaultLCID; off Windows the US English identifier 0x0409.
std::uint32_t GetSystemDefaultLCID();

// SetLocaleInfoW. Off Windows the value is kept in a per-user store that outlives the tool:
// $XDG_CONFIG_HOME/corvane/regional-settings.ini (or ~/.config/...). Returns success.
bool SetLocaleInfo(std::uint32_t lcid, std::uint32_t item, const std::string& value);

// Reads back an item written by SetLocaleInfo (empty when never written).
std::string GetLocaleInfo(std::uint32_t lcid, std::uint32_t item);

// Where the store lies off Windows.
std::filesystem::path RegionalSettingsStorePath();

} // namespace platform
