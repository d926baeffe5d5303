#include "IniFile.h"
#include "Utf8.h"

#include <fstream>
#include <system_error>

// GetPrivateProfileStringW's reading rules, as far as a read-only caller can see them:
// case-insensitive names, trimmed lines, whole-line ';' comments only, the first section and
// the first key of a name win, one pair of outer quotes removed, values cut to the 2047
// characters of a 2048-character buffer. Files are decoded to UTF-8 first, so everything below
// works on UTF-8 text.

namespace platform {
namespace {

constexpr std::size_t kMaxValueUnits = 2047; // UTF-16 units, as the WCHAR buffer counts them

// The blanks and control characters the profile reader trims: tab, LF, VT, FF, CR, space.
bool IsTrimmed(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

// One pair of matching outer quotes, the text at least two characters long.
std::string_view StripQuotes(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is not well formed
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t NextUtf8(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    std::size_t n = 0;
    char32_t min = 0;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < n)
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (b(k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool IsValidUtf8(std::string_view s) {
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = NextUtf8(s, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// UTF-8 with every ill-formed byte replaced by U+FFFD.
std::string RepairUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = NextUtf8(s, i, cp);
        if (n == 0) {
            AppendUtf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string FromUtf16Le(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    const auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(s[i]) |
                                     static_cast<unsigned char>(s[i + 1]) << 8);
    };
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? char32_t{0xFFFD} : char32_t{u});
    }
    return out;
}

std::string FromWindows1252(std::string_view s) {
    // 0x80..0x9F; the five bytes Windows leaves undefined map to the C1 controls, as
    // MultiByteToWideChar maps them.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, c >= 0x80 && c <= 0x9F ? kHigh[c - 0x80] : char32_t{c});
    }
    return out;
}

std::string Decode(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return FromUtf16Le(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return RepairUtf8(bytes.substr(3));
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return FromWindows1252(bytes);
}

// At most `units` UTF-16 units of a UTF-8 text, never splitting a character.
std::string CutToUnits(std::string_view s, std::size_t units) {
    std::size_t used = 0, i = 0;
    char32_t cp;
    while (i < s.size()) {
        std::size_t n = NextUtf8(s, i, cp);
        if (n == 0)
            n = 1;
        const std::size_t cost = cp >= 0x10000 ? 2 : 1;
        if (used + cost > units)
            break;
        used += cost;
        i += n;
    }
    return std::string(s.substr(0, i));
}

std::string ValueText(std::string_view raw) {
    // The reader hands the value over as a C string: a NUL ends it.
    if (const std::size_t nul = raw.find('\0'); nul != std::string_view::npos)
        raw = raw.substr(0, nul);
    return CutToUnits(StripQuotes(Trim(raw)), kMaxValueUnits);
}

std::string DefaultText(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return CutToUnits(StripQuotes(text), kMaxValueUnits);
}

} // namespace

IniFile IniFile::FromBytes(std::string_view bytes) {
    IniFile ini;
    const std::string text = Decode(bytes);
    // CR, LF or any run of them ends a line.
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        if (!line.empty())
            ini.m_lines.emplace_back(line);
        start = end + 1;
    }
    return ini;
}

IniFile IniFile::FromFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return {};
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return FromBytes(bytes);
}

std::string IniFile::Get(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const {
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (const std::string& text : m_lines) {
        const std::string_view line = text;
        if (line.front() == '[') {
            // Only the first section of a name is searched.
            if (inSection)
                break;
            std::string_view name = line.substr(1);
            if (const std::size_t close = name.find(']'); close != std::string_view::npos)
                name = name.substr(0, close);
            inSection = EqualNoCase(Trim(name), section);
            continue;
        }
        if (!inSection || line.front() == ';')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            // A key without '=' has no value, yet it hides a later line of the same key.
            if (EqualNoCase(line, key))
                break;
            continue;
        }
        if (EqualNoCase(Trim(line.substr(0, eq)), key))
            return ValueText(line.substr(eq + 1));
    }
    return DefaultText(defaultValue);
}

} // namespace platform
