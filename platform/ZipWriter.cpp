#include "platform/ZipWriter.h"

#include "platform/PlatformError.h"
#include "platform/ZipSupport.h"

#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <vector>

namespace platform {

using namespace zipdetail;

namespace {

// Large enough that the system calls cost nothing next to Deflate, small enough that a
// packer of 200 MB files stays within a few hundred KiB of buffers.
constexpr std::size_t kBufferSize = 256 * 1024;

struct CentralRecord {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t madeBy = 0;
    DosDateTime when;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint32_t externalAttributes = 0;
    bool zip64Sizes = false; // the local header carries its sizes in a ZIP64 extra field
};

// zlib's deflateBound for the default settings, computed in 64 bits (uLong is 32 bits on
// Windows), plus some slack: whether an entry's sizes can reach 4 GiB must be decided before
// its local header is written.
std::uint64_t DeflateBound(std::uint64_t size) {
    return size + (size >> 12) + (size >> 14) + (size >> 25) + 64;
}

std::uint32_t Low32(std::uint64_t v, bool zip64) {
    return zip64 ? kMax32 : static_cast<std::uint32_t>(v);
}

class Deflater final {
public:
    Deflater(int level, const std::string& label) {
        // Raw Deflate (no zlib header), 32 KiB window, memLevel 8: what zip -6 does.
        if (deflateInit2(&m_z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw PlatformError("Cannot compress " + label + ": out of memory");
    }
    ~Deflater() { deflateEnd(&m_z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    z_stream& z() { return m_z; }

private:
    z_stream m_z{};
};

} // namespace

struct ZipWriter::Impl {
    std::filesystem::path target;
    std::filesystem::path temp;
    std::string label;
    File file;
    std::uint64_t position = 0;
    std::vector<CentralRecord> entries;
    int level = 6;
    bool forceZip64 = false;
    bool failed = false;
    std::vector<unsigned char> in;
    std::vector<unsigned char> out;

    void Write(const void* data, std::size_t size) {
        file.Write(data, size);
        position += size;
    }
    void Write(const ByteWriter& w) { Write(w.Data().data(), w.Size()); }

    void RequireOpen() const {
        if (file.IsOpen())
            return;
        if (failed)
            throw PlatformError("The " + label + " was abandoned after an earlier error");
        throw PlatformError("No ZIP file is open for writing");
    }

    void Drop() noexcept {
        file.Discard();
        if (!temp.empty()) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            temp.clear();
        }
        entries.clear();
        entries.shrink_to_fit();
        position = 0;
    }

    void AddEntry(const std::filesystem::path& source, const std::string& entryName);
    std::uint64_t Compress(File& src, std::uint32_t& crc, const std::string& sourceLabel);
    void Finish();
};

ZipWriter::ZipWriter() : m_impl(std::make_unique<Impl>()) {}

ZipWriter::~ZipWriter() {
    Abandon();
}

void ZipWriter::SetLevel(int level) {
    if (level < 1 || level > 9)
        throw PlatformError("The Deflate level must be between 1 and 9, not " +
                            std::to_string(level));
    m_impl->level = level;
}

void ZipWriter::SetForceZip64(bool force) {
    m_impl->forceZip64 = force;
}

void ZipWriter::Create(const std::filesystem::path& archive) {
    Impl& d = *m_impl;
    d.Drop();
    d.failed = false;
    d.target = archive;
    d.label = "ZIP file " + Quoted(archive);
    std::error_code ec;
    if (std::filesystem::is_directory(archive, ec))
        throw PlatformError("Cannot create " + d.label + ": a folder of that name exists");
    File::CheckReplaceable(archive, d.label);
    // The archive grows under a name of its own beside the target, so that the target is
    // either the earlier file or the finished archive, never something in between.
    d.temp = TempPathBeside(archive);
    try {
        d.file = File::CreateNew(d.temp, d.label);
    } catch (...) {
        d.temp.clear();
        throw;
    }
}

void ZipWriter::AddFile(const std::filesystem::path& source, const std::string& entryName) {
    Impl& d = *m_impl;
    d.RequireOpen();
    try {
        d.AddEntry(source, entryName);
    } catch (...) {
        d.Drop();
        d.failed = true;
        throw;
    }
}

void ZipWriter::Close() {
    Impl& d = *m_impl;
    d.RequireOpen();
    try {
        d.Finish();
    } catch (...) {
        d.Drop();
        d.failed = true;
        throw;
    }
}

void ZipWriter::Abandon() {
    m_impl->Drop();
    m_impl->failed = false;
}

void ZipWriter::Impl::AddEntry(const std::filesystem::path& source, const std::string& entryName) {
    const std::string sourceLabel = "file " + Quoted(source);
    std::string name = entryName.empty() ? Utf8(source.filename()) : entryName;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty())
        throw PlatformError("Cannot add " + sourceLabel + " to the " + label +
                            ": the entry needs a name");
    if (name.size() > kMax16)
        throw PlatformError("Cannot add " + sourceLabel + " to the " + label +
                            ": the entry name is too long");

    // Open the source before anything is written, so a file that cannot be read leaves the
    // archive as it was.
    File src = File::OpenRead(source, sourceLabel, /*shareReadOnly=*/true);
    const FileInfo info = src.Info();

    CentralRecord r;
    r.name = name;
    r.flags = IsAscii(name) ? 0 : kFlagUtf8;
    r.when = ToDosDateTime(info.modified);
    if (info.unixMode != 0) {
        r.madeBy = static_cast<std::uint16_t>((kHostUnix << 8) | kVersionZip64);
        r.externalAttributes = ((info.unixMode & 0xFFFF) << 16) | info.dosAttributes;
    } else {
        r.madeBy = static_cast<std::uint16_t>((kHostMsDos << 8) | kVersionZip64);
        r.externalAttributes = info.dosAttributes;
    }
    r.offset = position;
    r.zip64Sizes = forceZip64 || info.size >= kMax32 || DeflateBound(info.size) >= kMax32;

    // APPNOTE 4.3.7. CRC and sizes are patched in once the data is written; a ZIP64 entry
    // carries both sizes in its extra field (4.5.3) and 0xFFFFFFFF in the header.
    ByteWriter h;
    h.U32(kLocalHeaderSig);
    h.U16(r.zip64Sizes ? kVersionZip64 : kVersionDeflate);
    h.U16(r.flags);
    h.U16(kMethodDeflated);
    h.U16(r.when.time);
    h.U16(r.when.date);
    h.U32(0);
    h.U32(Low32(0, r.zip64Sizes));
    h.U32(Low32(0, r.zip64Sizes));
    h.U16(static_cast<std::uint16_t>(name.size()));
    h.U16(r.zip64Sizes ? 20 : 0);
    h.Bytes(name);
    if (r.zip64Sizes) {
        h.U16(kZip64ExtraId);
        h.U16(16);
        h.U64(0);
        h.U64(0);
    }
    Write(h);

    const std::uint64_t dataStart = position;
    r.size = Compress(src, r.crc, sourceLabel);
    r.compressedSize = position - dataStart;
    src.Close();
    if (!r.zip64Sizes && (r.size >= kMax32 || r.compressedSize >= kMax32))
        throw PlatformError("Cannot add " + sourceLabel + " to the " + label +
                            ": the file grew past 4 GiB while it was read");

    ByteWriter patch;
    patch.U32(r.crc);
    file.WriteAt(r.offset + 14, patch.Data().data(), patch.Size());
    patch.Clear();
    if (r.zip64Sizes) {
        patch.U64(r.size);
        patch.U64(r.compressedSize);
        file.WriteAt(r.offset + kLocalHeaderSize + name.size() + 4, patch.Data().data(),
                     patch.Size());
    } else {
        patch.U32(static_cast<std::uint32_t>(r.compressedSize));
        patch.U32(static_cast<std::uint32_t>(r.size));
        file.WriteAt(r.offset + 18, patch.Data().data(), patch.Size());
    }
    entries.push_back(std::move(r));
}

std::uint64_t ZipWriter::Impl::Compress(File& src, std::uint32_t& crc,
                                        const std::string& sourceLabel) {
    in.resize(kBufferSize);
    out.resize(kBufferSize);
    Deflater deflater(level, sourceLabel);
    z_stream& z = deflater.z();
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    std::uint64_t total = 0;
    crc = 0;
    for (;;) {
        const std::size_t n = src.Read(in.data(), in.size());
        crc = Crc32(crc, in.data(), n);
        total += n;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
        const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            const int rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR)
                throw PlatformError("Cannot compress " + sourceLabel + ": zlib failed");
            if (z.avail_out == 0) {
                Write(out.data(), out.size());
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
            }
            if (rc == Z_STREAM_END)
                break;
            if (flush == Z_NO_FLUSH && z.avail_in == 0 && z.avail_out != 0)
                break;
        }
        if (flush == Z_FINISH)
            break;
    }
    Write(out.data(), out.size() - z.avail_out);
    return total;
}

void ZipWriter::Impl::Finish() {
    // APPNOTE 4.3.12: the central directory, flushed in pieces so its buffer stays bounded.
    const std::uint64_t cdStart = position;
    ByteWriter w;
    for (const CentralRecord& r : entries) {
        const bool sizes64 = r.zip64Sizes;
        const bool offset64 = forceZip64 || r.offset >= kMax32;
        ByteWriter extra;
        if (sizes64 || offset64) {
            // 4.5.3: only the fields whose header value is 0xFFFFFFFF, in this order.
            extra.U16(kZip64ExtraId);
            extra.U16(static_cast<std::uint16_t>((sizes64 ? 16 : 0) + (offset64 ? 8 : 0)));
            if (sizes64) {
                extra.U64(r.size);
                extra.U64(r.compressedSize);
            }
            if (offset64)
                extra.U64(r.offset);
        }
        w.U32(kCentralHeaderSig);
        w.U16(r.madeBy);
        w.U16(sizes64 || offset64 ? kVersionZip64 : kVersionDeflate);
        w.U16(r.flags);
        w.U16(kMethodDeflated);
        w.U16(r.when.time);
        w.U16(r.when.date);
        w.U32(r.crc);
        w.U32(Low32(r.compressedSize, sizes64));
        w.U32(Low32(r.size, sizes64));
        w.U16(static_cast<std::uint16_t>(r.name.size()));
        w.U16(static_cast<std::uint16_t>(extra.Size()));
        w.U16(0); // comment
        w.U16(0); // disk
        w.U16(0); // internal attributes
        w.U32(r.externalAttributes);
        w.U32(Low32(r.offset, offset64));
        w.Bytes(r.name);
        w.Bytes({reinterpret_cast<const char*>(extra.Data().data()), extra.Size()});
        if (w.Size() >= kBufferSize) {
            Write(w);
            w.Clear();
        }
    }
    Write(w);
    w.Clear();
    const std::uint64_t cdSize = position - cdStart;
    const std::uint64_t count = entries.size();
    const bool zip64End = forceZip64 || count >= kMax16 || cdStart >= kMax32 || cdSize >= kMax32;
    if (zip64End) {
        const std::uint64_t recordOffset = position;
        // 4.3.14: ZIP64 end of central directory record, then 4.3.15: its locator.
        w.U32(kZip64EndSig);
        w.U64(kZip64EndSize - 12);
        w.U16(static_cast<std::uint16_t>((kHostUnix << 8) | kVersionZip64));
        w.U16(kVersionZip64);
        w.U32(0);
        w.U32(0);
        w.U64(count);
        w.U64(count);
        w.U64(cdSize);
        w.U64(cdStart);
        w.U32(kZip64LocatorSig);
        w.U32(0);
        w.U64(recordOffset);
        w.U32(1);
    }
    // 4.4.1.4: a field that does not fit holds all ones and the ZIP64 record has its value.
    const auto count16 = static_cast<std::uint16_t>(forceZip64 || count >= kMax16 ? kMax16 : count);
    w.U32(kEndOfCentralSig);
    w.U16(0);
    w.U16(0);
    w.U16(count16);
    w.U16(count16);
    w.U32(Low32(cdSize, forceZip64 || cdSize >= kMax32));
    w.U32(Low32(cdStart, forceZip64 || cdStart >= kMax32));
    w.U16(0);
    Write(w);

    file.Sync();
    file.Close();
    File::Replace(temp, target, label);
    temp.clear();
    File::SyncFolder(target.parent_path());
    entries.clear();
    position = 0;
}

} // namespace platform
