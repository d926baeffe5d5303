#pragma once
// One archive's upload to the cloud release table: the removal of the program's earlier rows,
// the release row and the archive bytes, committed together or not at all, so a failure at
// any step leaves the earlier release as it was.
#include "DataCMN.h"
#include "SqlDialect.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// What one row of the ZIP file list says about its release, exactly as the cells hold it.
struct UploadRow {
    QString fileName; // the archive's file name
    QString progName; // "EXEName"
    QString version;  // "Version"
    bool critical = false;
    QString minDBVersion; // "DB Version", as typed
    QString notes;        // as typed
};

using TextClock = std::function<QString()>;

// The archive's path: folder and name joined, then trimmed of blanks and control characters.
QString ArchivePath(const QString& zipPath, const QString& fileName);

// The release row's values: the critical flag as "Y" or "N", the description as looked up.
ReleaseRecord MakeReleaseRecord(const UploadRow& row, const QString& description);

// The whole archive file in memory (one copy). Raises AppError naming the file.
QByteArray ReadArchiveFile(const QString& path);

// The statements of one upload in the order they run: the removal (when asked for), the
// release statement(s) and the blob statement with ":imgBlob" bound to the archive bytes
// (shared, not copied). The clocks give the upload date and time each time a piece needs them.
QList<TcData::Statement> ReleaseUnit(const SqlDialect& dialect, const ReleaseRecord& record,
                                     const QByteArray& archive, bool withRemoval,
                                     const TextClock& dateText, const TextClock& timeText);

// The same statements with the blob statement taking the archive from its file: on the
// embedded store streamed into the row inside the unit, so the archive is never in memory
// whole; a file that cannot be read fails the blob statement and with it the unit.
QList<TcData::Statement> StreamedReleaseUnit(const SqlDialect& dialect, const ReleaseRecord& record,
                                             const QString& archivePath, bool withRemoval,
                                             const TextClock& dateText, const TextClock& timeText);

// Runs the archive's unit on the cloud connection with today's date and time: on SQL Server
// the archive is read first and bound, on the embedded store it is streamed from its file.
// Returns the unit's outcome; an error that keeps the unit from running at all (on SQL Server
// the archive unreadable; the connection gone) raises AppError with UploadFailedText's wording.
TcData::UnitResult UploadRelease(TcData& data, const ReleaseRecord& record,
                                 const QString& archivePath, bool withRemoval);

// The error box text for an upload that did not go through.
QString UploadFailedText(const QString& progName, const QString& databaseMessage);
