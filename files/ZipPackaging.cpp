#include "ZipPackaging.h"

#include "PathUtil.h"
#include "platform/ZipWriter.h"

namespace files {

ArchivePacker::ArchivePacker(const QString& archivePath)
    : m_writer(std::make_unique<platform::ZipWriter>()) {
    m_writer->Create(ToFsPath(archivePath));
}

// An archive not closed is abandoned by the writer, which removes its temporary file.
ArchivePacker::~ArchivePacker() = default;

void ArchivePacker::AddFile(const QString& sourcePath) {
    m_writer->AddFile(ToFsPath(sourcePath));
}

void ArchivePacker::Close() {
    m_writer->Close();
}

void PackProgramFile(const QString& sourcePath, const QString& archivePath) {
    ArchivePacker packer(archivePath);
    packer.AddFile(sourcePath);
    packer.Close();
}

} // namespace files
