#pragma once
// How an archive is named after its program file and version, and how the program name and
// version are read back out of an archive's name.
#include <QString>

namespace files {

// The program file's name without its last four characters (its ".EXE"), "_", the version
// field trimmed of blanks and control characters, ".ZIP": CORPAY.EXE and 5023 give
// CORPAY_5023.ZIP. The name keeps its case.
QString ArchiveName(const QString& programFileName, const QString& versionField);

struct ArchiveNameParts {
    QString programName; // before the first "_"
    QString version;     // from after the first "_" (or the start) to the first "."
    bool operator==(const ArchiveNameParts&) const = default;
};
// Reads the parts by the positions of the first "_" and the first ".": a name without "_"
// has no program name, and its version is the text before its first ".".
ArchiveNameParts ParseArchiveName(const QString& archiveName);

} // namespace files
