#pragma once
// Packs one program file into an archive of its own.
#include <QString>

#include <memory>

namespace platform {
class ZipWriter;
}

namespace files {

// One archive being written. It is built under a temporary name and takes the archive's name
// only when Close() succeeds, so a failure on the way leaves the earlier archive of that name,
// or none, never a partial one. Failures raise platform::PlatformError with the writer's text.
class ArchivePacker final {
  public:
    // Starts the archive that will replace archivePath.
    explicit ArchivePacker(const QString& archivePath);
    ~ArchivePacker();
    ArchivePacker(const ArchivePacker&) = delete;
    ArchivePacker& operator=(const ArchivePacker&) = delete;

    // Adds the file with Deflate, as an entry named by the file's own name.
    void AddFile(const QString& sourcePath);
    // Completes the archive and puts it in place.
    void Close();

  private:
    std::unique_ptr<platform::ZipWriter> m_writer;
};

// The whole of it for one file: create, add, close.
void PackProgramFile(const QString& sourcePath, const QString& archivePath);

} // namespace files
