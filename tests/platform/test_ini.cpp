// Private-profile reading, one table per rule.
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

using platform::IniFile;
using namespace std::string_literals;

namespace {

struct Case {
    const char* rule;
    std::string file;
    std::string section;
    std::string key;
    std::string defaultValue;
    std::string expected;
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(IniFile::FromBytes(c.file).Get(c.section, c.key, c.defaultValue), c.expected);
    }
}

std::string Utf16Le(const std::u16string& text, bool bom = true) {
    std::string out = bom ? "\xFF\xFE"s : ""s;
    for (const char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

} // namespace

TEST(IniRules, R01_CrLfOrAnyRunOfThemEndsALine) {
    Check({
        {"CR only", "[Common]\rHost=a\rUser=b", "Common", "User", "-", "b"},
        {"LF only", "[Common]\nHost=a\nUser=b\n", "Common", "User", "-", "b"},
        {"CRLF", "[Common]\r\nHost=a\r\nUser=b\r\n", "Common", "Host", "-", "a"},
        {"runs of CR and LF", "[Common]\n\r\r\n\nHost=a\r\r\rUser=b", "Common", "User", "-", "b"},
        {"LF CR", "[Common]\n\rHost=a\n\r", "Common", "Host", "-", "a"},
    });
}

TEST(IniRules, R02_LinesAreTrimmedOfBlanksAndControlsButNotNoBreakSpace) {
    Check({
        {"blanks around the line", " \t[Common]\v\f \n\t Host=a \t\v\f", "Common", "Host", "-",
         "a"},
        {"no-break space kept",
         "[Common]\nHost=\xC2\xA0"
         "a\xC2\xA0",
         "Common", "Host", "-",
         "\xC2\xA0"
         "a\xC2\xA0"},
        {"other controls kept",
         "[Common]\nHost=\x01"
         "a",
         "Common", "Host", "-",
         "\x01"
         "a"},
    });
}

TEST(IniRules, R03_SectionHeaders) {
    Check({
        {"blanks inside the brackets", "[ Common ]\nHost=a", "Common", "Host", "-", "a"},
        {"text after ] ignored", "[Common] ; the database\nHost=a", "Common", "Host", "-", "a"},
        {"up to the first ]", "[Common]x]\nHost=a", "Common", "Host", "-", "a"},
        {"missing ]", "[Common\nHost=a", "Common", "Host", "-", "a"},
        {"indented header", "   [Common]\nHost=a", "Common", "Host", "-", "a"},
    });
}

TEST(IniRules, R04_LinesBeforeTheFirstSectionAreNeverFound) {
    Check({
        {"key before any section", "Host=a\n[Common]\nUser=b", "Common", "Host", "-", "-"},
        {"no section name finds them", "Host=a\n[Common]\n", "", "Host", "-", "-"},
    });
}

TEST(IniRules, R05_OnlyTheFirstSectionOfANameIsSearched) {
    Check({
        {"later section's keys hidden", "[Common]\nHost=a\n[Other]\n[common]\nUser=b", "Common",
         "User", "-", "-"},
        {"even when the first is empty", "[Common]\n[Till]\n[Common]\nHost=b", "Common", "Host",
         "-", "-"},
        {"first one's keys found", "[Common]\nHost=a\n[Common]\nHost=b", "Common", "Host", "-",
         "a"},
    });
}

TEST(IniRules, R06_NamesMatchCaseInsensitivelyTrimmedAndWhole) {
    Check({
        {"section and key case", "[COMMON]\nhost=a", "Common", "HOST", "-", "a"},
        {"queried names trimmed", "[Common]\nHost=a", " Common\t", "  Host ", "-", "a"},
        {"inner blanks count in sections", "[Co mmon]\nHost=a", "Common", "Host", "-", "-"},
        {"inner blanks count in keys", "[Common]\nHo st=a", "Common", "Host", "-", "-"},
        {"a prefix is no match", "[Common]\nHostName=a", "Common", "Host", "-", "-"},
        {"nor is a longer query", "[Common]\nHost=a", "Common", "Hosts", "-", "-"},
        {"only ASCII letters fold", "[Common]\n\xC3\x89t\xC3\xA9=a", "Common", "\xC3\xA9t\xC3\xA9",
         "-", "-"},
    });
}

TEST(IniRules, R07_KeyBeforeTheFirstEqualsValueAfterIt) {
    Check({
        {"a=b=c", "[Common]\na=b=c", "Common", "a", "-", "b=c"},
        {"User==x", "[Common]\nUser==x", "Common", "User", "-", "=x"},
        {"blanks around both", "[Common]\n  Host \t=\t srv01  ", "Common", "Host", "-", "srv01"},
    });
}

TEST(IniRules, R08_TheFirstOccurrenceOfAKeyWins) {
    Check({
        {"even when empty", "[Common]\nHost=\nHost=b", "Common", "Host", "-", ""},
        {"whatever its case", "[Common]\nHost=a\nHOST=b", "Common", "host", "-", "a"},
        {"a key without = gives the default", "[Common]\nPswd", "Common", "Pswd", "dflt", "dflt"},
        {"and hides a later value", "[Common]\nPswd\nPswd=secret", "Common", "Pswd", "dflt",
         "dflt"},
    });
}

TEST(IniRules, R09_OnlyALeadingSemicolonMakesAComment) {
    Check({
        {"; comment", "[Common]\n;Host=x\nHost=y", "Common", "Host", "-", "y"},
        {"indented ; comment", "[Common]\n   ;Host=x\nHost=y", "Common", "Host", "-", "y"},
        {"# is part of the key", "[Common]\n# User=x\nUser=y", "Common", "# User", "-", "x"},
        {"so # hides nothing", "[Common]\n# User=x\nUser=y", "Common", "User", "-", "y"},
    });
}

TEST(IniRules, R10_NoInlineComments) {
    Check({
        {"; inside", "[Common]\nHost=dbserver01 ; primary", "Common", "Host", "-",
         "dbserver01 ; primary"},
        {"# inside", "[Common]\nHost=a # b", "Common", "Host", "-", "a # b"},
    });
}

TEST(IniRules, R11_AnEmptyValueIsEmptyNotTheDefault) {
    Check({
        {"Host=", "[Common]\nHost=", "Common", "Host", "dflt", ""},
        {"Host=  ", "[Common]\nHost=  \t", "Common", "Host", "dflt", ""},
        {"Host=\"\"", "[Common]\nHost=\"\"", "Common", "Host", "dflt", ""},
        {"Host=''", "[Common]\nHost=''", "Common", "Host", "dflt", ""},
    });
}

TEST(IniRules, R12_OnePairOfMatchingOuterQuotesIsRemoved) {
    Check({
        {"double quotes keep inner blanks", "[C]\nk=\"  a b  \"", "C", "k", "-", "  a b  "},
        {"single quotes", "[C]\nk='x'", "C", "k", "-", "x"},
        {"unmatched", "[C]\nk=\"abc", "C", "k", "-", "\"abc"},
        {"mixed", "[C]\nk='abc\"", "C", "k", "-", "'abc\""},
        {"only the outer pair", "[C]\nk=\"a\"b\"", "C", "k", "-", "a\"b"},
        {"one pair only", "[C]\nk=\"\"x\"\"", "C", "k", "-", "\"x\""},
        {"quotes then text", "[C]\nk=\"dbserver01\" ; the db", "C", "k", "-",
         "\"dbserver01\" ; the db"},
        {"a lone quote", "[C]\nk=\"", "C", "k", "-", "\""},
    });
}

TEST(IniRules, R13_NoEscapesNoExpansion) {
    Check({
        {"backslash n", "[C]\nk=a\\nb", "C", "k", "-", "a\\nb"},
        {"environment", "[C]\nk=%USERNAME%", "C", "k", "-", "%USERNAME%"},
        {"UNC path", "[C]\nk=\\\\server\\share", "C", "k", "-", "\\\\server\\share"},
    });
}

TEST(IniRules, R14_ValuesAreCutTo2047Characters) {
    const std::string x2047(2047, 'x');
    std::string e2047;
    for (int i = 0; i < 2047; ++i)
        e2047 += "\xC3\xA9"; // é: one character, two bytes
    Check({
        {"longer", "[C]\nk=" + std::string(3000, 'x'), "C", "k", "-", x2047},
        {"exactly 2047", "[C]\nk=" + x2047, "C", "k", "-", x2047},
        {"counted after the quotes", "[C]\nk=\"" + x2047 + "\"", "C", "k", "-", x2047},
        {"characters, not bytes", "[C]\nk=" + e2047 + "\xC3\xA9\xC3\xA9", "C", "k", "-", e2047},
        // U+1F600 takes two UTF-16 units; it does not fit in the last one.
        {"no half character", "[C]\nk=" + std::string(2046, 'x') + "\xF0\x9F\x98\x80", "C", "k",
         "-", std::string(2046, 'x')},
        {"the default too", "", "C", "k", std::string(2100, 'd'), std::string(2047, 'd')},
    });
}

TEST(IniRules, R15_TheDefaultLosesTrailingSpacesAndOnePairOfQuotes) {
    Check({
        {"trailing spaces", "", "C", "k", "dflt   ", "dflt"},
        {"leading spaces kept", "", "C", "k", "  dflt", "  dflt"},
        {"quotes", "", "C", "k", "\"dflt\"", "dflt"},
        {"quotes after spaces go", "", "C", "k", "'dflt'  ", "dflt"},
        {"mixed quotes kept", "", "C", "k", "'dflt\"", "'dflt\""},
    });
}

TEST(IniRules, R16_Encodings) {
    Check({
        {"UTF-16LE with BOM", Utf16Le(u"[Common]\r\nHost=Gr\u00FC\u00DFe\r\n"), "Common", "Host",
         "-",
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
        {"UTF-16LE surrogate pair", Utf16Le(u"[C]\nk=\U0001F600"), "C", "k", "-",
         "\xF0\x9F\x98\x80"},
        {"UTF-16LE lone surrogate",
         Utf16Le(u"[C]\nk=a\xD800"
                 u"b"),
         "C", "k", "-",
         "a\xEF\xBF\xBD"
         "b"},
        {"UTF-8 BOM skipped", "\xEF\xBB\xBF[Common]\nHost=caf\xC3\xA9", "Common", "Host", "-",
         "caf\xC3\xA9"},
        {"UTF-8 without BOM", "[Common]\nHost=\xE2\x82\xAC", "Common", "Host", "-", "\xE2\x82\xAC"},
        {"else Windows-1252", "[Common]\nHost=caf\xE9 \x80 \x9F", "Common", "Host", "-",
         "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8"},
        {"1252 undefined bytes as C1 controls", "[C]\nk=\x81", "C", "k", "-", "\xC2\x81"},
    });
}

TEST(IniRules, R17_ANulEndsTheValue) {
    Check({
        {"NUL inside", "[Common]\nHost=ab\0cd"s, "Common", "Host", "-", "ab"},
        {"blank before NUL", "[Common]\nHost=ab \0cd"s, "Common", "Host", "-", "ab"},
        {"later lines unharmed", "[Common]\nHost=a\0b\nUser=u"s, "Common", "User", "-", "u"},
        {"UTF-16 NUL", Utf16Le(u"[C]\nk=ab"s + u'\0' + u"cd"), "C", "k", "-", "ab"},
    });
}

TEST(IniRules, R18_EmptyBinaryOrMissingFilesGiveTheDefault) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    Check({
        {"empty file", "", "Common", "Host", "dflt", "dflt"},
        {"binary file", binary, "Common", "Host", "dflt", "dflt"},
        {"garbage around valid lines",
         "\x01\x02\x03\n[Common]\n\x7F\x80\x81\n===\n]]][[\nHost=srv\n\xFF\xFE\xFD\nUser=u",
         "Common", "User", "-", "u"},
        {"garbage lines keep the value before them",
         "[Common]\nHost=srv\n\x01\x02\x03\n===", "Common", "Host", "-", "srv"},
    });
    EXPECT_EQ(IniFile::FromFile("/nonexistent/corvane.ini").Get("Common", "Host", "dflt"), "dflt");
    EXPECT_EQ(IniFile::FromFile("/").Get("Common", "Host", "dflt"), "dflt");
}

TEST(IniFile, FromFileReadsThroughTheSameRules) {
    char name[] = "/tmp/corupd-ini-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(name, std::ios::binary);
        out << Utf16Le(u"[Common]\r\nHost = \"srv 01\" \r\n[Till]\r\nConnector=MSOLEDBSQL");
    }
    const IniFile ini = IniFile::FromFile(name);
    EXPECT_EQ(ini.Get("common", "host"), "srv 01");
    EXPECT_EQ(ini.Get("Till", "Connector"), "MSOLEDBSQL");
    EXPECT_EQ(ini.Get("Till", "Missing"), "");
    std::remove(name);
}
