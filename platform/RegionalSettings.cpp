#include "RegionalSettings.h"

#include "IniFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h maps these names to their W forms; ours are the functions of this file.
#undef SetLocaleInfo
#undef GetLocaleInfo
#else
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

namespace {
std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
std::string Narrow(const wchar_t* w, int units) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, units, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, units, s.data(), n, nullptr, nullptr);
    return s;
}
} // namespace

std::uint32_t GetSystemDefaultLCID() {
    return ::GetSystemDefaultLCID();
}

bool SetLocaleInfo(std::uint32_t lcid, std::uint32_t item, const std::string& value) {
    return ::SetLocaleInfoW(lcid, item, Wide(value).c_str()) != 0;
}

std::string GetLocaleInfo(std::uint32_t lcid, std::uint32_t item) {
    wchar_t buffer[256];
    const int n = ::GetLocaleInfoW(lcid, item, buffer, 256);
    return n > 1 ? Narrow(buffer, n - 1) : std::string();
}

std::filesystem::path RegionalSettingsStorePath() {
    return {};
}

#else

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kUsEnglish = 0x0409;

std::string SectionName(std::uint32_t lcid) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(lcid));
    return text;
}

// The value names Windows keeps under HKCU\Control Panel\International.
std::string KeyName(std::uint32_t item) {
    switch (item) {
    case LOCALE_SDATE:
        return "sDate";
    case LOCALE_SSHORTDATE:
        return "sShortDate";
    case LOCALE_STIMEFORMAT:
        return "sTimeFormat";
    default:
        return "Item" + std::to_string(item);
    }
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n\v\f");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n\v\f") - b + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (up(a[i]) != up(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The line's section name when it is a section header.
bool SectionOf(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.empty() || t.front() != '[')
        return false;
    std::string inner = t.substr(1);
    if (const std::size_t close = inner.find(']'); close != std::string::npos)
        inner.resize(close);
    name = Trim(inner);
    return true;
}

// Puts key=value into the first section of that name, replacing the key's first line.
void Upsert(std::vector<std::string>& lines, const std::string& section, const std::string& key,
            const std::string& value) {
    // Quoted, so the reader hands back leading and trailing blanks and quotes exactly.
    const std::string entry = key + "=\"" + value + "\"";
    std::size_t i = 0;
    std::string name;
    for (; i < lines.size(); ++i)
        if (SectionOf(lines[i], name) && EqualNoCase(name, section))
            break;
    if (i == lines.size()) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
        return;
    }
    std::size_t last = i;
    for (std::size_t j = i + 1; j < lines.size() && !SectionOf(lines[j], name); ++j) {
        const std::string t = Trim(lines[j]);
        if (t.empty())
            continue;
        last = j;
        const std::size_t eq = t.find('=');
        if (t.front() != ';' && EqualNoCase(Trim(t.substr(0, eq)), key)) {
            lines[j] = entry;
            return;
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, entry);
}

} // namespace

std::uint32_t GetSystemDefaultLCID() {
    return kUsEnglish;
}

fs::path RegionalSettingsStorePath() {
    // XDG base directories: a relative $XDG_CONFIG_HOME is to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return {};
        base = fs::path(home) / ".config";
    }
    return base / "corvane" / "regional-settings.ini";
}

bool SetLocaleInfo(std::uint32_t lcid, std::uint32_t item, const std::string& value) {
    // One value per line: a line break or NUL could not be read back.
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    const fs::path store = RegionalSettingsStorePath();
    if (store.empty())
        return false;
    std::error_code ec;
    fs::create_directories(store.parent_path(), ec);
    if (ec)
        return false;

    std::vector<std::string> lines = ReadLines(store);
    Upsert(lines, SectionName(lcid), KeyName(item), value);

    // Written beside the store and renamed over it, so a crash never leaves half a file.
    fs::path temp = store;
    temp += ".tmp-" + std::to_string(static_cast<long>(getpid()));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, store, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

std::string GetLocaleInfo(std::uint32_t lcid, std::uint32_t item) {
    const fs::path store = RegionalSettingsStorePath();
    if (store.empty())
        return {};
    return IniFile::FromFile(store).Get(SectionName(lcid), KeyName(item));
}

#endif

} // namespace platform
