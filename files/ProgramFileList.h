#pragma once
// The suite's program files beside the tool: which names count, what a row shows, and the
// archive fields that the first ticked row gives.
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace files {

// At least four characters, "COR" first and "EXE" last in any case of a to z; no dot needed.
bool IsProgramFileName(const QString& name);

// The file's version as major.MM.release; "0.0.0" after the box
// "Error Reading Version Info for File: " + path when it cannot be read.
QString GetEXEFileVersion(const QString& path);

// The text with every "." removed (5.02.3 gives 5023).
QString VersionDigits(const QString& text);

// Whole megabytes of a size in bytes, truncated toward zero (so -1 gives 0).
qint64 WholeMegabytes(qint64 bytes);
// "12 Meg"
QString MegabyteText(qint64 bytes);

struct ProgramFileRow {
    QString name;     // as the directory search gives it
    QString dateText; // last write, local time, in the process's formats
    QString version;  // version text, "0.0.0" when unreadable
    qint64 sizeBytes = -1;
    QString description; // from the catalogue, empty when none
};

// One row per program file of the folder (folder ends in a separator), in the order of the
// directory search. Each file's version is read, its size taken and its description looked up
// in that order, so the boxes of one file come together.
QList<ProgramFileRow> ScanProgramFiles(const QString& folder);

// What the tick boxes of the list decide: the archive suffix and the version digits.
struct TickRow {
    bool ticked = false;
    QString name;
    QString version;
};
struct ArchiveFields {
    QString suffix;
    QString versionDigits;
};
// The first ticked row (in grid order) that gives a name decides both fields; none when no
// ticked row gives one, and then the fields keep their text. The suite's main program keeps
// its "COR"; every other program loses it.
std::optional<ArchiveFields> ArchiveFieldsFromTicks(const QList<TickRow>& rows);

} // namespace files
