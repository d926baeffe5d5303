#include "ZipFileList.h"

#include "DataCMN.h"
#include "DataSYS.h"
#include "PathUtil.h"
#include "ZipNames.h"
#include "platform/DirSearch.h"

namespace files {

bool IsZipFileName(const QString& name) {
    return name.size() >= 4 && UpperAscii(name).endsWith(QLatin1String("ZIP"));
}

QList<ZipFileRow> ScanZipFiles(const QString& folder) {
    QList<ZipFileRow> rows;
    for (const platform::DirEntry& e : platform::ListDirectory(ToFsPath(folder))) {
        const QString name = QString::fromStdString(e.name);
        if (!IsZipFileName(name))
            continue;
        ZipFileRow row;
        row.name = name;
        const ArchiveNameParts parts = ParseArchiveName(name);
        row.programName = parts.programName;
        row.version = parts.version;
        row.sizeBytes = platform::FileSizeOf(ToFsPath(folder + name));
        GetProgramDescription(row.programName);
        row.description = sPgmDescription;
        rows.append(row);
    }
    return rows;
}

} // namespace files
