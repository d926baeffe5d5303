#include "PeVersion.h"

#include <algorithm>
#include <fstream>
#include <set>
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
#endif

// Layouts follow Microsoft's "PE Format" page (DOS header, COFF header, optional header, section
// table, .rsrc section) and the VS_VERSIONINFO / VS_FIXEDFILEINFO pages. Every number taken from
// the file is untrusted: each read goes through a range check that cannot overflow, and the
// resource tree is walked exactly three levels (type, name, language) with each directory
// visited once.

namespace platform {
namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionResourceId = 1;
constexpr std::uint16_t kLangNeutral = 0x0000;
constexpr std::uint16_t kLangUsEnglish = 0x0409;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedInfoSize = 52; // sizeof(VS_FIXEDFILEINFO)
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kNameIsStringBit = 0x80000000u;
constexpr std::uint32_t kMaxVersionBlock = 0xFFFF; // wLength is a WORD

// offset + length <= size, without overflow.
constexpr bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return !(offset + length < offset || offset + length > size);
}

// A bounded view of untrusted bytes. A read outside the view yields 0 and clears ok(), which
// the caller tests once after a group of reads.
class ByteCursor {
public:
    ByteCursor() = default;
    explicit ByteCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint64_t size() const { return m_bytes.size(); }
    bool ok() const { return m_ok; }
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return Fits(offset, length, m_bytes.size());
    }

    std::uint16_t U16(std::uint64_t offset) {
        if (!Has(offset, 2))
            return Bad<std::uint16_t>();
        return static_cast<std::uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
    }
    std::uint32_t U32(std::uint64_t offset) {
        if (!Has(offset, 4))
            return Bad<std::uint32_t>();
        return static_cast<std::uint32_t>(m_bytes[offset]) |
               static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8 |
               static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16 |
               static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24;
    }
    std::uint8_t U8(std::uint64_t offset) {
        if (!Has(offset, 1))
            return Bad<std::uint8_t>();
        return m_bytes[offset];
    }
    // A view of [offset, offset + length); an empty, failed view when it does not fit.
    ByteCursor Sub(std::uint64_t offset, std::uint64_t length) {
        if (!Has(offset, length)) {
            m_ok = false;
            ByteCursor bad;
            bad.m_ok = false;
            return bad;
        }
        return ByteCursor(m_bytes.subspan(offset, length));
    }

private:
    template <typename T> T Bad() {
        m_ok = false;
        return T{};
    }

    std::span<const std::uint8_t> m_bytes;
    bool m_ok = true;
};

// Where the image's bytes come from: memory, or a file read piecewise.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // The bytes [offset, offset + length), or false when they are not all there.
    virtual bool Read(std::uint64_t offset, std::uint64_t length,
                      std::vector<std::uint8_t>& out) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool Read(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& out) override {
        if (!Fits(offset, length, m_bytes.size()))
            return false;
        out.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

class FileSource final : public ByteSource {
public:
    // error() is set when the file cannot be opened.
    explicit FileSource(const std::filesystem::path& file) {
        std::error_code ec;
        // A FIFO or device named like a program would block or never end; only plain files
        // (links followed) are read.
        if (!std::filesystem::is_regular_file(file, ec)) {
            m_error = std::filesystem::exists(file, ec) ? "not a regular file"
                                                        : "the file does not exist";
            return;
        }
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        if (ec) {
            m_error = "cannot get the file's size: " + ec.message();
            return;
        }
        m_in.open(file, std::ios::binary);
        if (!m_in) {
            m_error = "cannot open the file";
            return;
        }
        m_size = size;
    }
    const std::string& error() const { return m_error; }
    std::uint64_t Size() const override { return m_size; }
    bool Read(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& out) override {
        if (!m_error.empty() || !Fits(offset, length, m_size))
            return false;
        out.resize(length);
        m_in.clear();
        m_in.seekg(static_cast<std::streamoff>(offset));
        if (length == 0)
            return static_cast<bool>(m_in);
        m_in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(length));
        return m_in && static_cast<std::uint64_t>(m_in.gcount()) == length;
    }

private:
    std::ifstream m_in;
    std::uint64_t m_size = 0;
    std::string m_error;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
};

// A place in the file for an RVA, with how many bytes of the section's data follow it there.
struct FilePlace {
    std::uint64_t offset = 0;
    std::uint64_t available = 0;
};

struct ResourceEntry {
    std::uint32_t name = 0;   // an ID, or kNameIsStringBit | offset of a name string
    std::uint32_t target = 0; // kSubdirectoryBit | directory offset, or a data entry offset
    bool IsId() const { return (name & kNameIsStringBit) == 0; }
    bool IsDirectory() const { return (target & kSubdirectoryBit) != 0; }
    std::uint32_t Offset() const { return target & ~kSubdirectoryBit; }
};

std::uint16_t UserLanguage() {
#ifdef _WIN32
    return GetUserDefaultUILanguage();
#else
    // No per-user UI language to ask for; the tool's users work in US English.
    return kLangUsEnglish;
#endif
}

class PeVersionReader {
public:
    explicit PeVersionReader(ByteSource& source) : m_source(source) {}

    PeVersionResult Run() {
        PeVersionResult result;
        FileVersion version;
        if (Parse(version))
            result.version = version;
        else
            result.error = m_error;
        return result;
    }

private:
    bool Fail(std::string message) {
        m_error = std::move(message);
        return false;
    }

    // The bytes [offset, offset + length) of the file, or false when they are not all there.
    bool Fetch(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& buffer) {
        return m_source.Read(offset, length, buffer);
    }

    bool Parse(FileVersion& version) {
        std::vector<std::uint8_t> buf;
        if (m_source.Size() < 64 || !Fetch(0, 64, buf))
            return Fail("not a PE file: shorter than a DOS header");
        ByteCursor dos(buf);
        if (dos.U8(0) != 'M' || dos.U8(1) != 'Z')
            return Fail("not a PE file: no MZ signature");
        const std::uint64_t peOffset = dos.U32(0x3C);

        if (!Fetch(peOffset, 24, buf))
            return Fail("not a PE file: the PE header lies outside the file");
        ByteCursor coff(buf);
        if (coff.U32(0) != 0x00004550) // "PE\0\0"
            return Fail("not a PE file: no PE signature");
        const std::uint32_t sectionCount = coff.U16(6);
        const std::uint32_t optionalSize = coff.U16(20);

        const std::uint64_t optionalOffset = peOffset + 24;
        if (optionalSize < 2 || !Fetch(optionalOffset, optionalSize, buf))
            return Fail("truncated PE file: the optional header runs past the end of the file");
        ByteCursor optional(buf);
        std::uint64_t countAt = 0, directoriesAt = 0;
        switch (optional.U16(0)) {
        case 0x10B: // PE32
            countAt = 92;
            directoriesAt = 96;
            break;
        case 0x20B: // PE32+
            countAt = 108;
            directoriesAt = 112;
            break;
        default:
            return Fail("not a PE file: unknown optional header magic");
        }
        const std::uint32_t directoryCount = optional.U32(countAt);
        if (!optional.ok())
            return Fail("malformed PE file: the optional header is too small");
        // IMAGE_DIRECTORY_ENTRY_RESOURCE is entry 2.
        if (directoryCount < 3 || !optional.Has(directoriesAt + 2 * 8, 8))
            return Fail("no version resource: the image has no resource directory");
        const std::uint32_t resourceRva = optional.U32(directoriesAt + 2 * 8);
        if (resourceRva == 0)
            return Fail("no version resource: the image has no resource directory");

        if (!Fetch(optionalOffset + optionalSize, std::uint64_t{sectionCount} * 40, buf))
            return Fail("truncated PE file: the section table runs past the end of the file");
        ByteCursor table(buf);
        m_sections.clear();
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = std::uint64_t{i} * 40;
            m_sections.push_back(
                {table.U32(at + 12), table.U32(at + 8), table.U32(at + 16), table.U32(at + 20)});
        }
        if (!table.ok())
            return Fail("truncated PE file: the section table runs past the end of the file");

        FilePlace tree;
        if (!MapRva(resourceRva, tree))
            return Fail("malformed PE file: the resource directory lies outside the file's "
                        "sections");
        m_treeOffset = tree.offset;
        m_treeSize = tree.available;

        ResourceEntry entry;
        if (!FindVersionEntry(entry))
            return false;

        // IMAGE_RESOURCE_DATA_ENTRY: OffsetToData (an RVA), Size, CodePage, Reserved.
        if (!FetchTree(entry.Offset(), 16, buf))
            return Fail("malformed resource directory: a data entry lies outside the resource "
                        "section");
        ByteCursor dataEntry(buf);
        const std::uint32_t dataRva = dataEntry.U32(0);
        const std::uint32_t dataSize = dataEntry.U32(4);
        FilePlace data;
        if (!MapRva(dataRva, data))
            return Fail("malformed version resource: its data lies outside the file's sections");
        if (dataSize > data.available)
            return Fail("malformed version resource: its size runs past the end of its section");
        // A VS_VERSIONINFO block is at most a WORD long, so nothing past that is needed.
        const std::uint64_t wanted = std::min<std::uint64_t>(dataSize, kMaxVersionBlock);
        if (!Fetch(data.offset, wanted, buf))
            return Fail("truncated PE file: the version resource runs past the end of the file");
        return ParseVersionInfo(ByteCursor(buf), version);
    }

    bool MapRva(std::uint32_t rva, FilePlace& place) const {
        for (const Section& s : m_sections) {
            const std::uint32_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
            if (rva < s.virtualAddress || rva - s.virtualAddress >= span)
                continue;
            const std::uint64_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize)
                return false; // in the section's zero-filled tail: nothing in the file
            place.offset = std::uint64_t{s.rawPointer} + delta;
            const std::uint64_t rawEnd = std::uint64_t{s.rawPointer} + s.rawSize;
            const std::uint64_t fileEnd = std::min<std::uint64_t>(rawEnd, m_source.Size());
            if (place.offset >= fileEnd)
                return false;
            place.available = fileEnd - place.offset;
            return true;
        }
        return false;
    }

    // A read inside the resource section, offsets relative to the resource directory.
    bool FetchTree(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& buf) {
        if (!Fits(offset, length, m_treeSize))
            return false;
        return Fetch(m_treeOffset + offset, length, buf);
    }

    bool ReadDirectory(std::uint32_t offset, std::vector<ResourceEntry>& entries) {
        if (!m_visited.insert(offset).second)
            return Fail("malformed resource directory: it loops back on itself");
        std::vector<std::uint8_t> buf;
        if (!FetchTree(offset, 16, buf))
            return Fail("malformed resource directory: a directory lies outside the resource "
                        "section");
        ByteCursor header(buf);
        const std::uint64_t count = std::uint64_t{header.U16(12)} + header.U16(14);
        if (!FetchTree(std::uint64_t{offset} + 16, count * 8, buf))
            return Fail("malformed resource directory: its entries run past the end of the "
                        "resource section");
        ByteCursor list(buf);
        entries.clear();
        for (std::uint64_t i = 0; i < count; ++i)
            entries.push_back({list.U32(i * 8), list.U32(i * 8 + 4)});
        return true;
    }

    static const ResourceEntry* FindId(const std::vector<ResourceEntry>& entries,
                                       std::uint32_t id) {
        for (const ResourceEntry& e : entries)
            if (e.IsId() && e.name == id)
                return &e;
        return nullptr;
    }

    bool FindVersionEntry(ResourceEntry& found) {
        m_visited.clear();
        std::vector<ResourceEntry> types, names, languages;
        if (!ReadDirectory(0, types))
            return false;
        const ResourceEntry* type = FindId(types, kRtVersion);
        if (!type)
            return Fail("no version resource");
        if (!type->IsDirectory())
            return Fail("malformed resource directory: the version type holds no name level");
        if (!ReadDirectory(type->Offset(), names))
            return false;
        // As Windows does, only the version resource with ID 1 counts.
        const ResourceEntry* name = FindId(names, kVersionResourceId);
        if (!name)
            return Fail("no version resource with ID 1");
        if (!name->IsDirectory())
            return Fail("malformed resource directory: the version resource holds no language "
                        "level");
        if (!ReadDirectory(name->Offset(), languages))
            return false;

        const ResourceEntry* chosen = nullptr;
        for (const std::uint16_t lang : {kLangNeutral, UserLanguage(), kLangUsEnglish}) {
            chosen = FindId(languages, lang);
            if (chosen)
                break;
        }
        if (!chosen) {
            const auto first = std::find_if(languages.begin(), languages.end(),
                                            [](const ResourceEntry& e) { return e.IsId(); });
            if (first == languages.end())
                return Fail("no version resource: its language level is empty");
            chosen = &*first;
        }
        if (chosen->IsDirectory())
            return Fail("malformed resource directory: deeper than three levels");
        found = *chosen;
        return true;
    }

    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 32 bits,
    // then VS_FIXEDFILEINFO. Resources made by 16-bit tools lack wType and hold the key in
    // 8-bit characters; VerQueryValue reads both.
    bool ParseVersionInfo(ByteCursor data, FileVersion& version) {
        const std::uint32_t blockLength = data.U16(0);
        const std::uint32_t valueLength = data.U16(2);
        if (!data.ok())
            return Fail("malformed version resource: shorter than its header");
        if (blockLength > data.size())
            return Fail("malformed version resource: its block is longer than the resource");
        ByteCursor block = data.Sub(0, blockLength);

        static constexpr char kKey[] = "VS_VERSION_INFO";
        constexpr std::uint64_t keyChars = sizeof(kKey); // with the terminator
        std::uint64_t valueOffset = 0;
        if (KeyMatches(block, 6, 2, kKey))
            valueOffset = 6 + keyChars * 2;
        else if (KeyMatches(block, 4, 1, kKey))
            valueOffset = 4 + keyChars;
        else
            return Fail("malformed version resource: no VS_VERSION_INFO block");
        valueOffset = (valueOffset + 3) & ~std::uint64_t{3};

        if (valueLength == 0)
            return Fail("the version resource holds no fixed file information");
        if (valueLength < kFixedInfoSize)
            return Fail("the fixed file information is shorter than VS_FIXEDFILEINFO");
        if (!block.Has(valueOffset, kFixedInfoSize))
            return Fail("the fixed file information runs past the end of its block");
        ByteCursor fixed = block.Sub(valueOffset, kFixedInfoSize);
        if (fixed.U32(0) != kFixedInfoSignature)
            return Fail("the fixed file information has a wrong signature");
        const std::uint32_t ms = fixed.U32(8);
        const std::uint32_t ls = fixed.U32(12);
        if (!fixed.ok())
            return Fail("the fixed file information runs past the end of its block");
        version.major = static_cast<std::uint16_t>(ms >> 16);
        version.minor = static_cast<std::uint16_t>(ms & 0xFFFF);
        version.release = static_cast<std::uint16_t>(ls >> 16);
        version.build = static_cast<std::uint16_t>(ls & 0xFFFF);
        return true;
    }

    // The NUL-terminated key at offset, in characters of `width` bytes, equals `key`.
    static bool KeyMatches(ByteCursor block, std::uint64_t offset, std::uint64_t width,
                           const char* key) {
        for (std::uint64_t i = 0;; ++i) {
            const std::uint64_t at = offset + i * width;
            const std::uint32_t c = width == 2 ? block.U16(at) : block.U8(at);
            if (!block.ok() || c != static_cast<unsigned char>(key[i]))
                return false;
            if (c == 0)
                return true;
        }
    }

    ByteSource& m_source;
    std::string m_error;
    std::vector<Section> m_sections;
    std::uint64_t m_treeOffset = 0;
    std::uint64_t m_treeSize = 0;
    std::set<std::uint32_t> m_visited;
};

} // namespace

PeVersionResult ReadPeVersion(std::span<const std::uint8_t> image) {
    MemorySource source(image);
    return PeVersionReader(source).Run();
}

PeVersionResult ReadPeVersionFile(const std::filesystem::path& file) {
    FileSource source(file);
    if (!source.error().empty())
        return {std::nullopt, source.error()};
    return PeVersionReader(source).Run();
}

bool LooksLikePeFile(const std::filesystem::path& file) {
    FileSource source(file);
    std::vector<std::uint8_t> buf;
    if (!source.error().empty() || !source.Read(0, 64, buf))
        return false;
    ByteCursor dos(buf);
    if (dos.U8(0) != 'M' || dos.U8(1) != 'Z')
        return false;
    if (!source.Read(dos.U32(0x3C), 4, buf))
        return false;
    ByteCursor signature(buf);
    return signature.U32(0) == 0x00004550 && signature.ok();
}

} // namespace platform
