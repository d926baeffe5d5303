#include "platform/ZipSupport.h"
#include "platform/Utf8.h"

#include "platform/PlatformError.h"

#include <zlib.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform::zipdetail {

// ---- byte fields --------------------------------------------------------------------------

void ByteWriter::U16(std::uint16_t v) {
    m_data.push_back(static_cast<unsigned char>(v));
    m_data.push_back(static_cast<unsigned char>(v >> 8));
}

void ByteWriter::U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
}

void ByteWriter::U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
}

void ByteWriter::Bytes(std::string_view bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
}

bool ByteReader::Take(std::size_t count) {
    if (!m_ok || count > m_data.size() - m_pos) {
        m_ok = false;
        m_pos = m_data.size();
        return false;
    }
    return true;
}

std::uint16_t ByteReader::U16() {
    if (!Take(2))
        return 0;
    const auto v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

std::uint32_t ByteReader::U32() {
    const std::uint32_t lo = U16();
    const std::uint32_t hi = U16();
    return lo | (hi << 16);
}

std::uint64_t ByteReader::U64() {
    const std::uint64_t lo = U32();
    const std::uint64_t hi = U32();
    return lo | (hi << 32);
}

std::string_view ByteReader::Bytes(std::size_t count) {
    if (!Take(count))
        return {};
    std::string_view v(reinterpret_cast<const char*>(m_data.data() + m_pos), count);
    m_pos += count;
    return v;
}

void ByteReader::Skip(std::size_t count) {
    if (Take(count))
        m_pos += count;
}

// ---- dates and names ----------------------------------------------------------------------

DosDateTime ToDosDateTime(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0)
        return {0, (1 << 5) | 1};
#else
    if (localtime_r(&t, &tm) == nullptr)
        return {0, (1 << 5) | 1};
#endif
    const int year = tm.tm_year + 1900;
    if (year < 1980)
        return {0, (1 << 5) | 1}; // 1980-01-01 00:00:00
    if (year > 2107)
        return {(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
    DosDateTime d;
    d.time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    d.date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    return d;
}

std::time_t FromDosDateTime(std::uint16_t date, std::uint16_t time) {
    std::tm tm{};
    tm.tm_year = ((date >> 9) & 0x7F) + 80;
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = (time >> 11) & 0x1F;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    if (tm.tm_mon < 0 || tm.tm_mon > 11)
        tm.tm_mon = 0;
    if (tm.tm_mday == 0)
        tm.tm_mday = 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

constexpr std::array<char16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

} // namespace

std::string Cp437ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? b : kCp437High[b - 0x80]);
    }
    return out;
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string u = path.u8string();
    return {u.begin(), u.end()};
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + Utf8(path) + "\"";
}

std::string QuotedName(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::filesystem::path TempPathBeside(const std::filesystem::path& final) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    std::string name = Utf8(final.filename());
    // Keep the temporary name within the 255 bytes file systems allow.
    if (name.size() > 120)
        name = "zip";
    const std::string temp =
        "." + name + ".tmp-" + std::to_string(pid) + "-" + std::to_string(++counter);
    return final.parent_path() / PathFromUtf8(temp);
}

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

// ---- files --------------------------------------------------------------------------------

File::~File() {
    Discard();
}

File::File(File&& other) noexcept : m_label(std::move(other.m_label)) {
#ifdef _WIN32
    m_handle = std::exchange(other.m_handle, nullptr);
#else
    m_fd = std::exchange(other.m_fd, -1);
#endif
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Discard();
        m_label = std::move(other.m_label);
#ifdef _WIN32
        m_handle = std::exchange(other.m_handle, nullptr);
#else
        m_fd = std::exchange(other.m_fd, -1);
#endif
    }
    return *this;
}

void File::Fail(const char* verb) const {
    throw PlatformError(std::string("Cannot ") + verb + " " + m_label + ": " + LastSystemError());
}

#ifdef _WIN32

namespace {

std::string WideToUtf8(const wchar_t* text, int length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

} // namespace

std::string LastSystemError() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = n ? WideToUtf8(text, static_cast<int>(n)) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
        out.pop_back();
    return out;
}

File File::CreateNew(const std::filesystem::path& path, std::string label) {
    File f;
    f.m_label = std::move(label);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        f.Fail("create");
    f.m_handle = h;
    return f;
}

File File::OpenRead(const std::filesystem::path& path, std::string label, bool shareReadOnly) {
    File f;
    f.m_label = std::move(label);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw PlatformError("Cannot read " + f.m_label + ": it is a folder, not a file");
    const DWORD share = shareReadOnly ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        f.Fail("open");
    f.m_handle = h;
    return f;
}

bool File::IsOpen() const {
    return m_handle != nullptr;
}

FileInfo File::Info() const {
    BY_HANDLE_FILE_INFORMATION bhfi{};
    if (!GetFileInformationByHandle(m_handle, &bhfi))
        Fail("read");
    FileInfo info;
    info.size = (std::uint64_t{bhfi.nFileSizeHigh} << 32) | bhfi.nFileSizeLow;
    const std::uint64_t ft = (std::uint64_t{bhfi.ftLastWriteTime.dwHighDateTime} << 32) |
                             bhfi.ftLastWriteTime.dwLowDateTime;
    info.modified = ft > kUnixEpochAsFileTime
                        ? static_cast<std::time_t>((ft - kUnixEpochAsFileTime) / 10000000ULL)
                        : 0;
    info.isDirectory = (bhfi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.isRegular = !info.isDirectory;
    info.dosAttributes = bhfi.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return info;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(m_handle, buffer, want, &got, nullptr))
        Fail("read");
    return got;
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED ov{};
        const std::uint64_t at = offset + done;
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = size - done;
        const DWORD want = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(m_handle, static_cast<char*>(buffer) + done, want, &got, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            Fail("read");
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void File::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD put = 0;
        if (!WriteFile(m_handle, p, want, &put, nullptr))
            Fail("write");
        p += put;
        size -= put;
    }
}

void File::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    // A positioned write on a synchronous handle moves the file pointer: put it back.
    LARGE_INTEGER zero{}, here{};
    if (!SetFilePointerEx(m_handle, zero, &here, FILE_CURRENT))
        Fail("write");
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    if (!WriteFile(m_handle, data, static_cast<DWORD>(size), &put, &ov) || put != size)
        Fail("write");
    if (!SetFilePointerEx(m_handle, here, nullptr, FILE_BEGIN))
        Fail("write");
}

void File::Sync() {
    if (!FlushFileBuffers(m_handle))
        Fail("write");
}

void File::SetModified(std::time_t modified) {
    const std::uint64_t ft =
        static_cast<std::uint64_t>(modified) * 10000000ULL + kUnixEpochAsFileTime;
    FILETIME t{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
    SetFileTime(m_handle, nullptr, nullptr, &t);
}

void File::SetUnixMode(std::uint32_t) {}

void File::Close() {
    if (!m_handle)
        return;
    HANDLE h = std::exchange(m_handle, nullptr);
    if (!CloseHandle(h))
        Fail("write");
}

void File::Discard() noexcept {
    if (m_handle)
        CloseHandle(std::exchange(m_handle, nullptr));
}

void File::Replace(const std::filesystem::path& from, const std::filesystem::path& to,
                   const std::string& label) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw PlatformError("Cannot save " + label + ": " + LastSystemError());
}

void File::CheckReplaceable(const std::filesystem::path& path, const std::string& label) {
    // Opening for deletion succeeds only when every other opener allows it, which is what
    // MoveFileExW will need at the end.
    HANDLE h =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return;
        throw PlatformError("Cannot create " + label + ": " + LastSystemError());
    }
    CloseHandle(h);
}

void File::SyncFolder(const std::filesystem::path&) noexcept {}

#else

std::string LastSystemError() {
    return std::system_category().message(errno);
}

File File::CreateNew(const std::filesystem::path& path, std::string label) {
    File f;
    f.m_label = std::move(label);
    f.m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (f.m_fd < 0)
        f.Fail("create");
    return f;
}

File File::OpenRead(const std::filesystem::path& path, std::string label, bool shareReadOnly) {
    File f;
    f.m_label = std::move(label);
    // O_NONBLOCK so that a FIFO in place of the file cannot hang the open.
    f.m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (f.m_fd < 0)
        f.Fail("open");
    struct stat st {};
    if (::fstat(f.m_fd, &st) != 0)
        f.Fail("open");
    if (S_ISDIR(st.st_mode))
        throw PlatformError("Cannot read " + f.m_label + ": it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw PlatformError("Cannot read " + f.m_label + ": it is not a regular file");
    const int flags = ::fcntl(f.m_fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(f.m_fd, F_SETFL, flags & ~O_NONBLOCK);
    if (shareReadOnly && ::flock(f.m_fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        throw PlatformError("Cannot read " + f.m_label +
                            ": it is locked for writing by another program");
    return f;
}

bool File::IsOpen() const {
    return m_fd >= 0;
}

FileInfo File::Info() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Fail("read");
    FileInfo info;
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.modified = st.st_mtime;
    info.isRegular = S_ISREG(st.st_mode);
    info.isDirectory = S_ISDIR(st.st_mode);
    info.unixMode = static_cast<std::uint32_t>(st.st_mode);
    info.dosAttributes = (st.st_mode & S_IWUSR) ? 0 : 0x01;
    return info;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            Fail("read");
    }
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, static_cast<char*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("read");
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void File::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("write");
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void File::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("write");
        }
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

void File::Sync() {
    if (::fsync(m_fd) != 0)
        Fail("write");
}

void File::SetModified(std::time_t modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, {modified, 0}};
    ::futimens(m_fd, times); // cosmetic: a file system without times keeps the file
}

void File::SetUnixMode(std::uint32_t mode) {
    ::fchmod(m_fd, static_cast<mode_t>(mode));
}

void File::Close() {
    if (m_fd < 0)
        return;
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        Fail("write");
}

void File::Discard() noexcept {
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

void File::Replace(const std::filesystem::path& from, const std::filesystem::path& to,
                   const std::string& label) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw PlatformError("Cannot save " + label + ": " + LastSystemError());
}

void File::CheckReplaceable(const std::filesystem::path&, const std::string&) {}

void File::SyncFolder(const std::filesystem::path& folder) noexcept {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

} // namespace platform::zipdetail
