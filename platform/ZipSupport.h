#pragma once
// Pieces shared by the ZIP writer and reader: the record layout of the PKWARE APPNOTE, a
// bounded little-endian cursor for untrusted bytes, DOS date and time, name texts, and a thin
// file handle whose failures raise PlatformError naming the file and the system's reason.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::zipdetail {

// APPNOTE 4.3: record signatures and fixed sizes.
inline constexpr std::uint32_t kLocalHeaderSig = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSig = 0x02014b50;
inline constexpr std::uint32_t kEndOfCentralSig = 0x06054b50;
inline constexpr std::uint32_t kZip64EndSig = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSig = 0x07064b50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndOfCentralSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxCommentSize = 0xFFFF;

// APPNOTE 4.5.2: extra field ids.
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
inline constexpr std::uint16_t kUnicodePathExtraId = 0x7075; // Info-ZIP Unicode Path

// APPNOTE 4.4.4: general purpose bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

// APPNOTE 4.4.2: upper byte of "version made by".
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;

inline constexpr std::uint16_t kVersionDeflate = 20;
inline constexpr std::uint16_t kVersionZip64 = 45;

inline constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
inline constexpr std::uint16_t kMax16 = 0xFFFFu;

// Unix file type bits as stored in the upper half of the external attributes.
inline constexpr std::uint32_t kUnixTypeMask = 0170000;
inline constexpr std::uint32_t kUnixSymlink = 0120000;

// Appends little-endian fields to a byte buffer.
class ByteWriter final {
public:
    void U16(std::uint16_t v);
    void U32(std::uint32_t v);
    void U64(std::uint64_t v);
    void Bytes(std::string_view bytes);
    const std::vector<unsigned char>& Data() const { return m_data; }
    std::size_t Size() const { return m_data.size(); }
    void Clear() { m_data.clear(); }

private:
    std::vector<unsigned char> m_data;
};

// Reads little-endian fields from untrusted bytes. A read past the end yields zeros and
// clears ok() for good, so a group of reads is checked once.
class ByteReader final {
public:
    explicit ByteReader(std::span<const unsigned char> data) : m_data(data) {}
    std::uint16_t U16();
    std::uint32_t U32();
    std::uint64_t U64();
    std::string_view Bytes(std::size_t count);
    void Skip(std::size_t count);
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    std::size_t Position() const { return m_pos; }
    bool ok() const { return m_ok; }

private:
    bool Take(std::size_t count);
    std::span<const unsigned char> m_data;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

struct DosDateTime {
    std::uint16_t time = 0;
    std::uint16_t date = 0;
};
// Local time, clamped to the years DOS dates can hold (1980 to 2107).
DosDateTime ToDosDateTime(std::time_t t);
std::time_t FromDosDateTime(std::uint16_t date, std::uint16_t time);

// Any byte outside printable ASCII makes a name need the UTF-8 flag.
bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Code page 437 (the APPNOTE default for unflagged names) to UTF-8.
std::string Cp437ToUtf8(std::string_view bytes);

std::string Utf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);
// The path in double quotes, for messages.
std::string Quoted(const std::filesystem::path& path);
// A name from an archive in double quotes, control bytes shown as \xNN.
std::string QuotedName(std::string_view name);

// A name in the same folder as `final`, unique to this process and call: ".<name>.tmp-<pid>-<n>".
std::filesystem::path TempPathBeside(const std::filesystem::path& final);

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size);

// The attributes of an opened file.
struct FileInfo {
    std::uint64_t size = 0;
    std::time_t modified = 0;
    bool isRegular = false;
    bool isDirectory = false;
    std::uint32_t unixMode = 0;      // st_mode where the system has one, else 0
    std::uint32_t dosAttributes = 0; // read-only, hidden, system, archive bits
};

// One open file. `label` names the file in messages (e.g. `ZIP file "/a/b.ZIP"`), so a
// temporary file can be reported by the name the user knows.
class File final {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Creates a file that must not exist yet, for writing.
    static File CreateNew(const std::filesystem::path& path, std::string label);
    // Opens for reading. With shareReadOnly others may read the file while it is open but
    // not write it: on Windows through the share mode; elsewhere a shared advisory lock
    // fails when a writer holds an exclusive one.
    static File OpenRead(const std::filesystem::path& path, std::string label, bool shareReadOnly);

    bool IsOpen() const;
    const std::string& Label() const { return m_label; }
    FileInfo Info() const;

    // Reads up to size bytes at the current position; 0 only at the end of the file.
    std::size_t Read(void* buffer, std::size_t size);
    // Reads up to size bytes at offset; fewer only at the end of the file.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
    void Write(const void* data, std::size_t size);
    // Overwrites bytes already written; the position for Write stays where it was.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    void Sync();
    void SetModified(std::time_t modified);
    void SetUnixMode(std::uint32_t mode);
    void Close();
    // Closes without reporting anything (for cleanup paths).
    void Discard() noexcept;

    // Moves from over to, replacing a file of that name.
    static void Replace(const std::filesystem::path& from, const std::filesystem::path& to,
                        const std::string& label);
    // Fails when an existing file at path could not be replaced later, as on Windows while
    // another program has it open without allowing deletion.
    static void CheckReplaceable(const std::filesystem::path& path, const std::string& label);
    // Makes a completed rename durable where the system needs the folder flushed.
    static void SyncFolder(const std::filesystem::path& folder) noexcept;

private:
    [[noreturn]] void Fail(const char* verb) const;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::string m_label;
};

// The last system error (errno, or GetLastError on Windows) as text.
std::string LastSystemError();

} // namespace platform::zipdetail
