#pragma once
// The archives in the ZIP folder: which names count and what a row shows.
#include <QList>
#include <QString>
#include <QtGlobal>

namespace files {

// At least four characters and "ZIP" last in any case of a to z; no dot needed.
bool IsZipFileName(const QString& name);

struct ZipFileRow {
    QString name; // as the directory search gives it
    qint64 sizeBytes = -1;
    QString programName; // read out of the name
    QString version;     // read out of the name
    QString description; // the catalogue's description of the program name
};

// One row per archive of the folder (folder ends in a separator), in the order of the
// directory search; each description is looked up as its row is made.
QList<ZipFileRow> ScanZipFiles(const QString& folder);

} // namespace files
