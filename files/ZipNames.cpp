#include "ZipNames.h"

#include "DataSYS.h"

namespace files {

QString ArchiveName(const QString& programFileName, const QString& versionField) {
    return programFileName.left(qMax<qsizetype>(0, programFileName.size() - 4)) + QLatin1Char('_') +
           TrimControl(versionField) + QStringLiteral(".ZIP");
}

ArchiveNameParts ParseArchiveName(const QString& archiveName) {
    // Positions from 1, 0 when absent, as the names were always read.
    const qsizetype u = archiveName.indexOf(QLatin1Char('_')) + 1;
    const qsizetype d = archiveName.indexOf(QLatin1Char('.')) + 1;
    ArchiveNameParts parts;
    if (u > 1)
        parts.programName = archiveName.left(u - 1);
    if (d - u - 1 > 0)
        parts.version = archiveName.mid(u, d - u - 1);
    return parts;
}

} // namespace files
