#include "PeImageWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

// Writes the smallest image a PE loader and resource tools accept: DOS header and stub, PE
// headers, and one .rsrc section holding a manifest and (optionally) a version resource laid
// out as a resource compiler lays it out. The image has no code; it is never meant to run.

namespace pewriter {
namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kPeHeaderOffset = 0x80;
constexpr std::uint32_t kResourceRva = 0x1000;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kRtManifest = 24;
constexpr std::uint16_t kCodePageUnicode = 1200;

std::uint32_t AlignUp(std::uint32_t v, std::uint32_t a) {
    return (v + a - 1) / a * a;
}

class Bytes {
public:
    std::vector<std::uint8_t>& data() { return m_data; }
    std::size_t size() const { return m_data.size(); }
    void U8(std::uint8_t v) { m_data.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void U64(std::uint64_t v) {
        U32(static_cast<std::uint32_t>(v));
        U32(static_cast<std::uint32_t>(v >> 32));
    }
    void Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        m_data.insert(m_data.end(), b, b + n);
    }
    void Raw(const std::vector<std::uint8_t>& v) {
        m_data.insert(m_data.end(), v.begin(), v.end());
    }
    void PadTo(std::size_t n) {
        if (m_data.size() < n)
            m_data.resize(n, 0);
    }
    void Align(std::size_t a) { PadTo((m_data.size() + a - 1) / a * a); }
    // ASCII text as UTF-16LE with its terminator.
    void WideZ(const std::string& s) {
        for (const char c : s)
            U16(static_cast<unsigned char>(c));
        U16(0);
    }
    void PatchU16(std::size_t at, std::uint16_t v) {
        m_data[at] = static_cast<std::uint8_t>(v);
        m_data[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void PatchU32(std::size_t at, std::uint32_t v) {
        PatchU16(at, static_cast<std::uint16_t>(v));
        PatchU16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }

private:
    std::vector<std::uint8_t> m_data;
};

// One node of a VS_VERSIONINFO tree: wLength, wValueLength, wType, szKey, padding, Value,
// padding, Children. wValueLength counts words for text values and bytes for binary ones.
struct VersionBlock {
    std::string key;
    bool text = false;
    std::vector<std::uint8_t> value;
    std::uint16_t valueLength = 0;
    std::vector<VersionBlock> children;
};

void WriteBlock(Bytes& out, const VersionBlock& block) {
    out.Align(4);
    const std::size_t start = out.size();
    out.U16(0); // wLength, patched below
    out.U16(block.valueLength);
    out.U16(block.text ? 1 : 0);
    out.WideZ(block.key);
    out.Align(4);
    out.Raw(block.value);
    for (const VersionBlock& child : block.children)
        WriteBlock(out, child);
    out.PatchU16(start, static_cast<std::uint16_t>(out.size() - start));
}

VersionBlock StringBlock(const std::string& key, const std::string& value) {
    VersionBlock b;
    b.key = key;
    b.text = true;
    Bytes v;
    v.WideZ(value);
    b.value = v.data();
    b.valueLength = static_cast<std::uint16_t>(value.size() + 1);
    return b;
}

std::vector<std::uint8_t> VersionResource(const std::uint16_t words[4], std::uint16_t language,
                                          bool withFixedInfo) {
    VersionBlock root;
    root.key = "VS_VERSION_INFO";
    if (withFixedInfo) {
        const std::uint32_t ms = static_cast<std::uint32_t>(words[0]) << 16 | words[1];
        const std::uint32_t ls = static_cast<std::uint32_t>(words[2]) << 16 | words[3];
        Bytes fixed;
        fixed.U32(0xFEEF04BD); // dwSignature
        fixed.U32(0x00010000); // dwStrucVersion
        fixed.U32(ms);         // dwFileVersionMS
        fixed.U32(ls);         // dwFileVersionLS
        fixed.U32(ms);         // dwProductVersionMS
        fixed.U32(ls);         // dwProductVersionLS
        fixed.U32(0x3F);       // dwFileFlagsMask
        fixed.U32(0);          // dwFileFlags
        fixed.U32(0x00040004); // dwFileOS: VOS_NT_WINDOWS32
        fixed.U32(1);          // dwFileType: VFT_APP
        fixed.U32(0);          // dwFileSubtype
        fixed.U32(0);          // dwFileDateMS
        fixed.U32(0);          // dwFileDateLS
        root.value = fixed.data();
        root.valueLength = static_cast<std::uint16_t>(root.value.size());
    }

    char versionText[32];
    std::snprintf(versionText, sizeof versionText, "%u.%u.%u.%u", unsigned{words[0]},
                  unsigned{words[1]}, unsigned{words[2]}, unsigned{words[3]});
    char tableKey[16];
    std::snprintf(tableKey, sizeof tableKey, "%04X%04X", unsigned{language},
                  unsigned{kCodePageUnicode});

    VersionBlock table;
    table.key = tableKey;
    table.text = true;
    table.children = {StringBlock("CompanyName", "Corvane"),
                      StringBlock("FileVersion", versionText),
                      StringBlock("ProductVersion", versionText)};
    VersionBlock strings;
    strings.key = "StringFileInfo";
    strings.text = true;
    strings.children = {table};

    VersionBlock translation;
    translation.key = "Translation";
    Bytes pair;
    pair.U16(language);
    pair.U16(kCodePageUnicode);
    translation.value = pair.data();
    translation.valueLength = 4;
    VersionBlock vars;
    vars.key = "VarFileInfo";
    vars.text = true;
    vars.children = {translation};

    root.children = {strings, vars};
    Bytes out;
    WriteBlock(out, root);
    return out.data();
}

std::vector<std::uint8_t> Manifest() {
    static const char kText[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
        "  <assemblyIdentity type=\"win32\" name=\"Corvane.Program\" version=\"1.0.0.0\"/>\r\n"
        "</assembly>\r\n";
    return {kText, kText + sizeof kText - 1};
}

// type -> name ID -> LANGID -> data, each level in ascending order as loaders expect.
using ResourceTree =
    std::map<std::uint32_t,
             std::map<std::uint32_t, std::map<std::uint16_t, std::vector<std::uint8_t>>>>;

std::vector<std::uint8_t> ResourceSection(const ResourceTree& tree) {
    auto directorySize = [](std::size_t entries) {
        return static_cast<std::uint32_t>(16 + 8 * entries);
    };
    // Layout: every directory first (root, types, names), then the data entries, then data.
    std::uint32_t offset = directorySize(tree.size());
    std::map<std::uint32_t, std::uint32_t> typeDir;
    for (const auto& [type, names] : tree) {
        typeDir[type] = offset;
        offset += directorySize(names.size());
    }
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> nameDir;
    for (const auto& [type, names] : tree)
        for (const auto& [id, langs] : names) {
            nameDir[{type, id}] = offset;
            offset += directorySize(langs.size());
        }
    std::uint32_t dataEntries = offset;
    for (const auto& [type, names] : tree)
        for (const auto& [id, langs] : names)
            offset += static_cast<std::uint32_t>(16 * langs.size());
    std::uint32_t dataAt = AlignUp(offset, 8);

    Bytes out;
    auto directoryHeader = [&](std::size_t entries) {
        out.U32(0); // Characteristics
        out.U32(0); // TimeDateStamp
        out.U16(0); // MajorVersion
        out.U16(0); // MinorVersion
        out.U16(0); // NumberOfNamedEntries
        out.U16(static_cast<std::uint16_t>(entries));
    };
    constexpr std::uint32_t kSubdirectory = 0x80000000u;
    directoryHeader(tree.size());
    for (const auto& [type, names] : tree) {
        out.U32(type);
        out.U32(kSubdirectory | typeDir[type]);
    }
    for (const auto& [type, names] : tree) {
        directoryHeader(names.size());
        for (const auto& [id, langs] : names) {
            out.U32(id);
            out.U32(kSubdirectory | nameDir[{type, id}]);
        }
    }
    std::uint32_t entryAt = dataEntries;
    for (const auto& [type, names] : tree)
        for (const auto& [id, langs] : names) {
            directoryHeader(langs.size());
            for (const auto& [lang, data] : langs) {
                out.U32(lang);
                out.U32(entryAt);
                entryAt += 16;
            }
        }
    std::uint32_t blobAt = dataAt;
    for (const auto& [type, names] : tree)
        for (const auto& [id, langs] : names)
            for (const auto& [lang, data] : langs) {
                out.U32(kResourceRva + blobAt); // OffsetToData is an RVA
                out.U32(static_cast<std::uint32_t>(data.size()));
                out.U32(0); // CodePage
                out.U32(0); // Reserved
                blobAt = AlignUp(blobAt + static_cast<std::uint32_t>(data.size()), 8);
            }
    for (const auto& [type, names] : tree)
        for (const auto& [id, langs] : names)
            for (const auto& [lang, data] : langs) {
                out.Align(8);
                out.Raw(data);
            }
    return out.data();
}

} // namespace

std::vector<std::uint8_t> MakePeImage(const PeImageOptions& options) {
    ResourceTree tree;
    tree[kRtManifest][1][0x0409] = Manifest();
    const bool withVersion =
        std::any_of(std::begin(options.versionWords), std::end(options.versionWords),
                    [](const std::optional<std::uint16_t>& w) { return w.has_value(); });
    if (withVersion) {
        std::uint16_t words[4];
        for (int i = 0; i < 4; ++i)
            words[i] = options.versionWords[i].value_or(0);
        tree[kRtVersion][1][options.language] =
            VersionResource(words, options.language, options.withFixedInfo);
        for (const PeVersionLanguage& more : options.moreLanguages)
            tree[kRtVersion][1][more.language] =
                VersionResource(more.versionWords, more.language, options.withFixedInfo);
    }
    const std::vector<std::uint8_t> rsrc = ResourceSection(tree);
    const auto rsrcSize = static_cast<std::uint32_t>(rsrc.size());
    const std::uint32_t rsrcRaw = AlignUp(rsrcSize, kFileAlignment);
    const bool plus = options.pe32Plus;

    Bytes out;
    // DOS header: only e_magic and e_lfanew matter to a PE loader.
    out.Raw("MZ", 2);
    const std::uint16_t dosFields[] = {0x90, 3, 0, 4, 0, 0xFFFF, 0, 0xB8, 0, 0, 0, 0x40};
    for (const std::uint16_t f : dosFields)
        out.U16(f);
    out.PadTo(0x3C);
    out.U32(kPeHeaderOffset);
    static const std::uint8_t kStub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                         0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
    out.Raw(kStub, sizeof kStub);
    static const char kStubText[] = "This program cannot be run in DOS mode.\r\r\n$";
    out.Raw(kStubText, sizeof kStubText - 1);
    out.PadTo(kPeHeaderOffset);

    out.Raw("PE\0\0", 4);
    out.U16(plus ? 0x8664 : 0x014C); // Machine: AMD64 or i386
    out.U16(1);                      // NumberOfSections
    out.U32(0);                      // TimeDateStamp: 0 keeps fixtures reproducible
    out.U32(0);                      // PointerToSymbolTable
    out.U32(0);                      // NumberOfSymbols
    out.U16(plus ? 240 : 224);       // SizeOfOptionalHeader
    // EXECUTABLE_IMAGE, plus LARGE_ADDRESS_AWARE (64-bit) or 32BIT_MACHINE (32-bit)
    out.U16(plus ? 0x0022 : 0x0102);

    out.U16(plus ? 0x20B : 0x10B); // Magic
    out.U8(14);                    // MajorLinkerVersion
    out.U8(0);                     // MinorLinkerVersion
    out.U32(0);                    // SizeOfCode
    out.U32(rsrcRaw);              // SizeOfInitializedData
    out.U32(0);                    // SizeOfUninitializedData
    out.U32(0);                    // AddressOfEntryPoint
    out.U32(0);                    // BaseOfCode
    if (plus) {
        out.U64(0x140000000ull); // ImageBase
    } else {
        out.U32(kResourceRva); // BaseOfData
        out.U32(0x00400000);   // ImageBase
    }
    out.U32(kSectionAlignment);
    out.U32(kFileAlignment);
    out.U16(6); // MajorOperatingSystemVersion
    out.U16(0);
    out.U16(0); // MajorImageVersion
    out.U16(0);
    out.U16(6); // MajorSubsystemVersion
    out.U16(0);
    out.U32(0);                                                              // Win32VersionValue
    out.U32(kResourceRva + AlignUp(rsrcSize, kSectionAlignment));            // SizeOfImage
    out.U32(kFileAlignment);                                                 // SizeOfHeaders
    out.U32(0);                                                              // CheckSum
    out.U16(2);                                                              // Subsystem: GUI
    out.U16(0);                                                              // DllCharacteristics
    for (const std::uint32_t v : {0x100000u, 0x1000u, 0x100000u, 0x1000u}) { // stack, heap
        if (plus)
            out.U64(v);
        else
            out.U32(v);
    }
    out.U32(0);  // LoaderFlags
    out.U32(16); // NumberOfRvaAndSizes
    for (int i = 0; i < 16; ++i) {
        out.U32(i == 2 ? kResourceRva : 0); // IMAGE_DIRECTORY_ENTRY_RESOURCE
        out.U32(i == 2 ? rsrcSize : 0);
    }

    out.Raw(".rsrc\0\0\0", 8);
    out.U32(rsrcSize);       // VirtualSize
    out.U32(kResourceRva);   // VirtualAddress
    out.U32(rsrcRaw);        // SizeOfRawData
    out.U32(kFileAlignment); // PointerToRawData
    out.U32(0);              // PointerToRelocations
    out.U32(0);              // PointerToLinenumbers
    out.U16(0);              // NumberOfRelocations
    out.U16(0);              // NumberOfLinenumbers
    out.U32(0x40000040);     // INITIALIZED_DATA | MEM_READ

    out.PadTo(kFileAlignment);
    out.Raw(rsrc);
    out.PadTo(kFileAlignment + rsrcRaw);
    out.PadTo(options.padTo);
    return std::move(out.data());
}

std::vector<std::uint8_t> MakeVersionedPe(std::uint16_t major, std::uint16_t minor,
                                          std::uint16_t release, std::uint16_t build,
                                          bool pe32Plus) {
    PeImageOptions o;
    o.pe32Plus = pe32Plus;
    o.versionWords[0] = major;
    o.versionWords[1] = minor;
    o.versionWords[2] = release;
    o.versionWords[3] = build;
    return MakePeImage(o);
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace pewriter
