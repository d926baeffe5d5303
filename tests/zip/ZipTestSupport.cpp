#include "ZipTestSupport.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ziptest {

void ScratchTest::SetUp() {
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        if (c == '/')
            c = '-';
    m_dir = fs::temp_directory_path() / ("corupd-zip-" + std::to_string(getpid()) + "-" +
                                         std::to_string(++counter) + "-" + name);
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
}

void ScratchTest::TearDown() {
    std::error_code ec;
    // Undo chmod 000 and the like before removing.
    for (auto it = fs::recursive_directory_iterator(m_dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_dir, ec);
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << file;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << file;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string CompressibleBytes(std::size_t size) {
    static const char* words[] = {"release ",          "CORPAY ",  "version ",  "5.02.3 ", "table ",
                                  "vcSysProgRelease ", "upload\n", "critical ", "notes "};
    std::mt19937 rng(7);
    std::string s;
    s.reserve(size + 32);
    while (s.size() < size) {
        s += words[rng() % 9];
        if (rng() % 5 == 0)
            s += std::to_string(rng() % 1000);
    }
    s.resize(size);
    return s;
}

std::uint32_t Crc32Of(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

std::set<std::string> Tree(const fs::path& dir) {
    std::set<std::string> out;
    std::error_code ec;
    if (!fs::exists(dir, ec))
        return out;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
         ++it) {
        std::string rel = fs::relative(it->path(), dir).generic_string();
        if (it->is_directory() && !it->is_symlink())
            rel += "/";
        out.insert(rel);
    }
    return out;
}

int RunShell(const std::string& command) {
    std::fflush(stdout);
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

bool HaveTool(const std::string& name) {
    return RunShell("command -v " + name + " >/dev/null 2>&1") == 0;
}

namespace {

void U16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void U32(std::string& s, std::uint32_t v) {
    U16(s, v & 0xFFFF);
    U16(s, v >> 16);
}

std::uint16_t GetU16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) |
                                      (static_cast<unsigned char>(b.at(at + 1)) << 8));
}

} // namespace

std::uint32_t GetU32(const std::string& b, std::size_t at) {
    return GetU16(b, at) | (static_cast<std::uint32_t>(GetU16(b, at + 2)) << 16);
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int k = 0; k < 4; ++k)
        bytes.at(offset + k) = static_cast<char>((value >> (8 * k)) & 0xFF);
}

std::string CraftArchive(const std::vector<CraftedEntry>& entries) {
    std::string out;
    std::string central;
    for (const CraftedEntry& e : entries) {
        const std::uint32_t crc = e.crc.value_or(Crc32Of(e.data));
        const auto compressed = static_cast<std::uint32_t>(e.data.size());
        const std::uint32_t size = e.size.value_or(compressed);
        const std::string localName = e.localName.value_or(e.name);
        const auto offset = static_cast<std::uint32_t>(out.size());
        U32(out, 0x04034b50);
        U16(out, 20);
        U16(out, e.flags);
        U16(out, e.method);
        U16(out, 0);
        U16(out, (1 << 5) | 1);
        U32(out, crc);
        U32(out, compressed);
        U32(out, size);
        U16(out, static_cast<std::uint32_t>(localName.size()));
        U16(out, 0);
        out += localName;
        out += e.data;

        U32(central, 0x02014b50);
        U16(central, e.madeBy);
        U16(central, 20);
        U16(central, e.flags);
        U16(central, e.method);
        U16(central, 0);
        U16(central, (1 << 5) | 1);
        U32(central, crc);
        U32(central, compressed);
        U32(central, size);
        U16(central, static_cast<std::uint32_t>(e.name.size()));
        U16(central, 0);
        U16(central, 0);
        U16(central, 0);
        U16(central, 0);
        U32(central, e.externalAttributes);
        U32(central, offset);
        central += e.name;
    }
    const auto cdOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    U32(out, 0x06054b50);
    U16(out, 0);
    U16(out, 0);
    U16(out, static_cast<std::uint32_t>(entries.size()));
    U16(out, static_cast<std::uint32_t>(entries.size()));
    U32(out, static_cast<std::uint32_t>(central.size()));
    U32(out, cdOffset);
    U16(out, 0);
    return out;
}

SingleEntryLayout LayoutOf(const std::string& archive) {
    SingleEntryLayout l;
    const std::size_t end = archive.size() - 22;
    EXPECT_EQ(GetU32(archive, end), 0x06054b50u) << "archive has a comment or no end record";
    l.centralHeader = GetU32(archive, end + 16);
    EXPECT_EQ(GetU32(archive, l.centralHeader), 0x02014b50u);
    l.localHeader = GetU32(archive, l.centralHeader + 42);
    EXPECT_EQ(GetU32(archive, l.localHeader), 0x04034b50u);
    return l;
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN); // a failing write() is wanted, not the signal's default
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    m_previous = r.rlim_cur;
    r.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &r);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = m_previous;
    setrlimit(RLIMIT_FSIZE, &r);
}

} // namespace ziptest
