#include "platform/ZipReader.h"

#include "platform/PlatformError.h"
#include "platform/ZipSupport.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <system_error>

namespace platform {

using namespace zipdetail;

namespace {

constexpr std::size_t kBufferSize = 1024 * 1024;
// A central directory is read whole; this is room for a few million entries.
constexpr std::uint64_t kMaxCentralDirectory = 256ULL << 20;

struct Entry {
    std::string rawName;
    std::string name; // UTF-8
    std::uint16_t madeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localOffset = 0;
    bool isDirectory = false;
    // Set by validation.
    std::vector<std::string> segments;
    std::uint64_t dataOffset = 0;
};

std::string_view AsChars(const std::vector<unsigned char>& v) {
    return {reinterpret_cast<const char*>(v.data()), v.size()};
}

std::uint32_t NameCrc(std::string_view bytes) {
    return Crc32(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// APPNOTE 4.5.3: the ZIP64 extra field holds, in this order, only the values whose header
// fields are all ones.
bool ReadZip64Fields(std::string_view field, std::uint64_t& size, std::uint64_t& compressed,
                     std::uint64_t* offset) {
    ByteReader z({reinterpret_cast<const unsigned char*>(field.data()), field.size()});
    if (size == kMax32)
        size = z.U64();
    if (compressed == kMax32)
        compressed = z.U64();
    if (offset && *offset == kMax32)
        *offset = z.U64();
    return z.ok();
}

template <typename Visit> bool ForEachExtra(std::string_view extra, Visit visit) {
    ByteReader x({reinterpret_cast<const unsigned char*>(extra.data()), extra.size()});
    while (x.Remaining() >= 4) {
        const std::uint16_t id = x.U16();
        const std::uint16_t length = x.U16();
        const std::string_view field = x.Bytes(length);
        if (!x.ok())
            return false; // a torn last field: what came before still counts
        if (!visit(id, field))
            return false;
    }
    return true;
}

class Inflater final {
public:
    explicit Inflater(const std::string& label) {
        if (inflateInit2(&m_z, -MAX_WBITS) != Z_OK)
            throw PlatformError("Cannot extract " + label + ": out of memory");
    }
    ~Inflater() { inflateEnd(&m_z); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& z() { return m_z; }

private:
    z_stream m_z{};
};

class Archive final {
public:
    explicit Archive(const std::filesystem::path& path)
        : m_label("ZIP file " + Quoted(path)),
          m_file(File::OpenRead(path, m_label, /*shareReadOnly=*/false)) {
        Load();
    }

    const std::vector<Entry>& Entries() const { return m_entries; }
    std::vector<Entry>& Entries() { return m_entries; }

    void Validate(Entry& e);
    void Extract(const Entry& e, const std::filesystem::path& target);

private:
    [[noreturn]] void Damaged(const std::string& why) const {
        throw PlatformError("Cannot read " + m_label + ": " + why);
    }
    [[noreturn]] void Refuse(const Entry& e, const std::string& why) const {
        throw PlatformError("Cannot extract entry " + QuotedName(e.name) + " of " + m_label + ": " +
                            why);
    }
    void ReadExactly(std::uint64_t offset, void* buffer, std::size_t size) {
        if (m_file.ReadAt(offset, buffer, size) != size)
            Damaged("the file ends early (it may be truncated)");
    }
    void Load();
    void ParseCentralDirectory(const std::vector<unsigned char>& cd, std::uint64_t count);
    void CheckLocalHeader(Entry& e);
    void ExtractFile(const Entry& e, const std::filesystem::path& dest);
    void CopyData(const Entry& e, File& out, std::uint32_t& crc, std::uint64_t& written);

    std::string m_label;
    File m_file;
    std::uint64_t m_size = 0;
    std::uint64_t m_cdOffset = 0;
    std::vector<Entry> m_entries;
    std::vector<unsigned char> m_in;
    std::vector<unsigned char> m_out;
};

void Archive::Load() {
    m_size = m_file.Info().size;
    const char* notZip = "it is not a ZIP archive, or it is truncated (no end of central "
                         "directory record)";
    if (m_size < kEndOfCentralSize)
        Damaged(notZip);

    // APPNOTE 4.3.16: the end record is the last thing in the file, followed only by a
    // comment of at most 64 KiB.
    const std::size_t tailSize = static_cast<std::size_t>(
        std::min<std::uint64_t>(m_size, kEndOfCentralSize + kMaxCommentSize));
    std::vector<unsigned char> tail(tailSize);
    const std::uint64_t tailStart = m_size - tailSize;
    ReadExactly(tailStart, tail.data(), tailSize);
    std::optional<std::size_t> found;
    for (std::size_t i = tailSize - kEndOfCentralSize + 1; i-- > 0;) {
        if (tail[i] != 0x50 || tail[i + 1] != 0x4b || tail[i + 2] != 0x05 || tail[i + 3] != 0x06)
            continue;
        const std::size_t commentLength = tail[i + 20] | (tail[i + 21] << 8);
        if (i + kEndOfCentralSize + commentLength <= tailSize) {
            found = i;
            break;
        }
    }
    if (!found)
        Damaged(notZip);
    const std::uint64_t endOffset = tailStart + *found;
    ByteReader r(std::span<const unsigned char>(tail).subspan(*found));
    r.U32();
    std::uint32_t disk = r.U16();
    std::uint32_t cdDisk = r.U16();
    r.U16();
    std::uint64_t count = r.U16();
    std::uint64_t cdSize = r.U32();
    std::uint64_t cdOffset = r.U32();
    std::uint64_t cdLimit = endOffset;

    // 4.3.15: a ZIP64 locator right before the end record points at the ZIP64 end record,
    // whose values replace the 16- and 32-bit ones.
    if (endOffset >= kZip64LocatorSize) {
        unsigned char loc[kZip64LocatorSize];
        ReadExactly(endOffset - kZip64LocatorSize, loc, sizeof loc);
        ByteReader l(loc);
        if (l.U32() == kZip64LocatorSig) {
            l.U32();
            const std::uint64_t recordOffset = l.U64();
            const std::uint64_t locatorOffset = endOffset - kZip64LocatorSize;
            if (locatorOffset < kZip64EndSize || recordOffset > locatorOffset - kZip64EndSize)
                Damaged("its ZIP64 end record lies outside the file");
            unsigned char rec[kZip64EndSize];
            ReadExactly(recordOffset, rec, sizeof rec);
            ByteReader z(rec);
            if (z.U32() != kZip64EndSig)
                Damaged("its ZIP64 end record is missing");
            z.Skip(8 + 2 + 2);
            disk = z.U32();
            cdDisk = z.U32();
            z.U64();
            count = z.U64();
            cdSize = z.U64();
            cdOffset = z.U64();
            cdLimit = recordOffset;
        }
    }
    if (disk != 0 || cdDisk != 0)
        Damaged("archives split into several parts are not supported");
    if (cdOffset > cdLimit || cdSize > cdLimit - cdOffset)
        Damaged("its central directory lies outside the file (it may be truncated)");
    if (cdSize > kMaxCentralDirectory)
        Damaged("its central directory is too large");
    if (count > cdSize / kCentralHeaderSize)
        Damaged("its central directory holds fewer entries than recorded");
    m_cdOffset = cdOffset;
    std::vector<unsigned char> cd(static_cast<std::size_t>(cdSize));
    ReadExactly(cdOffset, cd.data(), cd.size());
    ParseCentralDirectory(cd, count);
}

void Archive::ParseCentralDirectory(const std::vector<unsigned char>& cd, std::uint64_t count) {
    ByteReader c(cd);
    // Nothing is sized by the recorded count alone: entries are added as their records are read.
    for (std::uint64_t k = 0; k < count; ++k) {
        // APPNOTE 4.3.12.
        Entry e;
        if (c.U32() != kCentralHeaderSig)
            Damaged("its central directory is damaged at entry " + std::to_string(k + 1));
        e.madeBy = c.U16();
        c.U16();
        e.flags = c.U16();
        e.method = c.U16();
        e.time = c.U16();
        e.date = c.U16();
        e.crc = c.U32();
        e.compressedSize = c.U32();
        e.size = c.U32();
        const std::uint16_t nameLength = c.U16();
        const std::uint16_t extraLength = c.U16();
        const std::uint16_t commentLength = c.U16();
        c.U16();
        c.U16();
        e.externalAttributes = c.U32();
        e.localOffset = c.U32();
        e.rawName = std::string(c.Bytes(nameLength));
        const std::string_view extra = c.Bytes(extraLength);
        c.Skip(commentLength);
        if (!c.ok())
            Damaged("its central directory is truncated at entry " + std::to_string(k + 1));

        std::optional<std::string> unicodeName;
        bool zip64Ok = true;
        ForEachExtra(extra, [&](std::uint16_t id, std::string_view field) {
            if (id == kZip64ExtraId) {
                zip64Ok = ReadZip64Fields(field, e.size, e.compressedSize, &e.localOffset);
            } else if (id == kUnicodePathExtraId && field.size() > 5 && field[0] == 1) {
                // Info-ZIP's UTF-8 name, valid only while it belongs to the plain name.
                ByteReader u({reinterpret_cast<const unsigned char*>(field.data()), field.size()});
                u.Skip(1);
                if (u.U32() == NameCrc(e.rawName))
                    unicodeName = std::string(field.substr(5));
            }
            return true;
        });
        // Unflagged names are CP437 by the APPNOTE, but zip on Unix stores the bytes of the
        // user's locale unflagged, which today is UTF-8; unzip takes such names as they are.
        const bool madeOnUnix = (e.madeBy >> 8) == kHostUnix;
        if ((e.flags & kFlagUtf8) != 0)
            e.name = e.rawName;
        else if (unicodeName)
            e.name = *unicodeName;
        else if (madeOnUnix && IsValidUtf8(e.rawName))
            e.name = e.rawName;
        else
            e.name = Cp437ToUtf8(e.rawName);
        if (!zip64Ok)
            Refuse(e, "its ZIP64 field is too short");
        e.isDirectory = !e.name.empty() && (e.name.back() == '/' || e.name.back() == '\\');
        m_entries.push_back(std::move(e));
    }
}

bool IsDriveLetter(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

void Archive::Validate(Entry& e) {
    const std::uint8_t host = static_cast<std::uint8_t>(e.madeBy >> 8);
    const std::uint32_t unixMode = e.externalAttributes >> 16;
    constexpr std::uint8_t kHostMacOs = 19;
    if (e.name.empty())
        Refuse(e, "it has no name");
    if (e.name.find('\0') != std::string::npos || e.rawName.find('\0') != std::string::npos)
        Refuse(e, "its name contains a NUL character");
    if ((e.flags & kFlagEncrypted) != 0)
        Refuse(e, "it is encrypted");
    if ((host == kHostUnix || host == kHostMacOs) && (unixMode & kUnixTypeMask) == kUnixSymlink)
        Refuse(e, "it is a symbolic link");
    if (e.method != kMethodStored && e.method != kMethodDeflated)
        Refuse(e, "it uses compression method " + std::to_string(e.method) +
                      "; only stored and Deflate entries can be extracted");
    if (e.name.front() == '/' || e.name.front() == '\\')
        Refuse(e, "its name is an absolute path");
    if (IsDriveLetter(e.name))
        Refuse(e, "its name starts with a drive letter");
    // Both slashes separate folders: archives made on Windows may use either.
    e.segments.clear();
    std::size_t start = 0;
    while (start <= e.name.size()) {
        const std::size_t end = std::min(e.name.find_first_of("/\\", start), e.name.size());
        const std::string_view seg = std::string_view(e.name).substr(start, end - start);
        if (seg == "..")
            Refuse(e, "its name leads out of the target folder");
        if (!seg.empty() && seg != ".")
            e.segments.emplace_back(seg);
        start = end + 1;
    }
    if (e.segments.empty() && !e.isDirectory)
        Refuse(e, "its name has no file name");
    if (e.method == kMethodStored && !e.isDirectory && e.compressedSize != e.size)
        Refuse(e, "it is stored, yet its recorded sizes differ");
    CheckLocalHeader(e);
}

void Archive::CheckLocalHeader(Entry& e) {
    // APPNOTE 4.3.7. What the local header says must agree with the central directory: a
    // reader that trusts the other one would see a different archive.
    if (e.localOffset > m_cdOffset || m_cdOffset - e.localOffset < kLocalHeaderSize)
        Refuse(e, "its local header lies outside the archive's data");
    unsigned char fixed[kLocalHeaderSize];
    ReadExactly(e.localOffset, fixed, sizeof fixed);
    ByteReader h(fixed);
    if (h.U32() != kLocalHeaderSig)
        Refuse(e, "its local header is missing");
    h.U16();
    const std::uint16_t flags = h.U16();
    const std::uint16_t method = h.U16();
    h.U32();
    const std::uint32_t crc = h.U32();
    std::uint64_t compressed = h.U32();
    std::uint64_t size = h.U32();
    const std::uint16_t nameLength = h.U16();
    const std::uint16_t extraLength = h.U16();
    const std::uint64_t dataOffset = e.localOffset + kLocalHeaderSize + nameLength + extraLength;
    if (dataOffset > m_cdOffset)
        Refuse(e, "its local header lies outside the archive's data");
    std::vector<unsigned char> rest(nameLength + extraLength);
    ReadExactly(e.localOffset + kLocalHeaderSize, rest.data(), rest.size());
    const std::string_view all = AsChars(rest);
    if (all.substr(0, nameLength) != e.rawName)
        Refuse(e, "its local header names another file");
    if (method != e.method || (flags & kFlagEncrypted) != (e.flags & kFlagEncrypted))
        Refuse(e, "its local header does not match the central directory");
    bool zip64Ok = true;
    ForEachExtra(all.substr(nameLength), [&](std::uint16_t id, std::string_view field) {
        if (id == kZip64ExtraId)
            zip64Ok = ReadZip64Fields(field, size, compressed, nullptr);
        return true;
    });
    // With a data descriptor (bit 3) the local values may be zeros, written before the
    // data was known.
    if ((flags & kFlagDataDescriptor) == 0 &&
        (!zip64Ok || crc != e.crc || compressed != e.compressedSize || size != e.size))
        Refuse(e, "its local header does not match the central directory");
    if (e.compressedSize > m_cdOffset - dataOffset)
        Refuse(e, "its data runs past the end of the archive (it may be truncated)");
    e.dataOffset = dataOffset;
}

void Archive::Extract(const Entry& e, const std::filesystem::path& target) {
    std::filesystem::path dest = target;
    for (const std::string& seg : e.segments)
        dest /= PathFromUtf8(seg);
    std::error_code ec;
    const std::filesystem::path folder = e.isDirectory ? dest : dest.parent_path();
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw PlatformError("Cannot create folder " + Quoted(folder) + ": " + ec.message());
    if (!e.isDirectory)
        ExtractFile(e, dest);
}

void Archive::ExtractFile(const Entry& e, const std::filesystem::path& dest) {
    const std::string destLabel = "file " + Quoted(dest);
    // The file appears under its own name only once its data checked out, so a damaged
    // entry neither leaves a partial file nor spoils the earlier one of that name.
    const std::filesystem::path temp = TempPathBeside(dest);
    File out = File::CreateNew(temp, destLabel);
    try {
        std::uint32_t crc = 0;
        std::uint64_t written = 0;
        CopyData(e, out, crc, written);
        if (written != e.size)
            Refuse(e, "its data is shorter than its recorded size (the archive is damaged)");
        if (crc != e.crc)
            Refuse(e, "its CRC-32 does not match its data (the archive is damaged)");
        out.SetModified(FromDosDateTime(e.date, e.time));
        const std::uint32_t unixMode = e.externalAttributes >> 16;
        if ((e.madeBy >> 8) == kHostUnix && (unixMode & 0777) != 0)
            out.SetUnixMode((unixMode & 0777) | 0600);
        out.Close();
        File::Replace(temp, dest, destLabel);
    } catch (...) {
        out.Discard();
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        throw;
    }
}

void Archive::CopyData(const Entry& e, File& out, std::uint32_t& crc, std::uint64_t& written) {
    m_in.resize(kBufferSize);
    std::uint64_t position = e.dataOffset;
    std::uint64_t remaining = e.compressedSize;
    auto readChunk = [&]() -> std::size_t {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, m_in.size()));
        ReadExactly(position, m_in.data(), n);
        position += n;
        remaining -= n;
        return n;
    };
    if (e.method == kMethodStored) {
        while (remaining > 0) {
            const std::size_t n = readChunk();
            crc = Crc32(crc, m_in.data(), n);
            out.Write(m_in.data(), n);
            written += n;
        }
        return;
    }

    m_out.resize(kBufferSize);
    Inflater inflater(m_label);
    z_stream& z = inflater.z();
    for (;;) {
        if (z.avail_in == 0 && remaining > 0) {
            const std::size_t n = readChunk();
            z.next_in = m_in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = m_out.data();
        z.avail_out = static_cast<uInt>(m_out.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = m_out.size() - z.avail_out;
        if (produced > e.size - written)
            Refuse(e, "its data is longer than its recorded size (the archive is damaged)");
        if (produced > 0) {
            crc = Crc32(crc, m_out.data(), produced);
            out.Write(m_out.data(), produced);
            written += produced;
        }
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_BUF_ERROR && z.avail_in == 0 && remaining == 0)
            Refuse(e, "its compressed data ends early (the archive is damaged)");
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            Refuse(e, std::string("its compressed data is damaged (") +
                          (z.msg ? z.msg : "zlib error") + ")");
    }
    if (z.avail_in != 0 || remaining != 0)
        Refuse(e, "its compressed data is shorter than its recorded size (the archive is damaged)");
}

} // namespace

std::vector<ZipEntryInfo> ListZipEntries(const std::filesystem::path& archive) {
    Archive a(archive);
    std::vector<ZipEntryInfo> list;
    list.reserve(a.Entries().size());
    for (const Entry& e : a.Entries()) {
        ZipEntryInfo info;
        info.name = e.name;
        info.compressedSize = e.compressedSize;
        info.uncompressedSize = e.size;
        info.crc32 = e.crc;
        info.method = e.method;
        info.isDirectory = e.isDirectory;
        list.push_back(std::move(info));
    }
    return list;
}

void ExtractAll(const std::filesystem::path& archive, const std::filesystem::path& target) {
    Archive a(archive);
    // Every entry is checked before the first is written, so a hostile or damaged entry
    // anywhere in the archive leaves the target as it was.
    for (Entry& e : a.Entries())
        a.Validate(e);
    std::error_code ec;
    std::filesystem::create_directories(target, ec);
    if (ec)
        throw PlatformError("Cannot create folder " + Quoted(target) + ": " + ec.message());
    for (const Entry& e : a.Entries())
        a.Extract(e, target);
}

} // namespace platform
