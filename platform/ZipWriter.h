#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace platform {

// Writes a standard ZIP archive (PKWARE APPNOTE) with Deflate entries, streamed in one pass
// with bounded buffers. The archive is written under a temporary name in the target's folder
// and moved over the target only by Close(); an archive abandoned before Close() (an error,
// or destruction) leaves the earlier file of that name, or nothing.
// Every failure raises PlatformError with a text naming the file.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Starts a new archive that will replace `archive`. Fails when the folder is missing or
    // the file cannot be created.
    void Create(const std::filesystem::path& archive);
    // Adds a file compressed with Deflate, named entryName (UTF-8), or the file's own name
    // when entryName is empty. The file is read with others allowed to read it, not write it.
    void AddFile(const std::filesystem::path& source, const std::string& entryName = {});
    // Writes the central directory and moves the archive into place.
    void Close();
    // Drops an unfinished archive (also done by the destructor).
    void Abandon();

    // Deflate level used (zlib 1..9); 6 by default, as zip -6.
    void SetLevel(int level);
    // Writes the ZIP64 fields and end records even where the 32-bit ones would do, as they
    // are written for entries and offsets of 4 GiB and more; lets that layout be checked
    // without writing gigabytes.
    void SetForceZip64(bool force);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
