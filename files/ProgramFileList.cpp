#include "ProgramFileList.h"

#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "PathUtil.h"
#include "platform/DirSearch.h"
#include "platform/PeVersion.h"

#include <QDateTime>

namespace files {

bool IsProgramFileName(const QString& name) {
    if (name.size() < 4)
        return false;
    const QString upper = UpperAscii(name);
    return upper.startsWith(QLatin1String("COR")) && upper.endsWith(QLatin1String("EXE"));
}

QString GetEXEFileVersion(const QString& path) {
    const platform::PeVersionResult r = platform::ReadPeVersionFile(ToFsPath(path));
    if (r.version)
        return VersionText(r.version->major, r.version->minor, r.version->release);
    ShowErrorBox(QStringLiteral("Error Reading Version Info for File: ") + path);
    return QStringLiteral("0.0.0");
}

QString VersionDigits(const QString& text) {
    QString r = text;
    r.remove(QLatin1Char('.'));
    return r;
}

qint64 WholeMegabytes(qint64 bytes) {
    return bytes / (1024 * 1024);
}

QString MegabyteText(qint64 bytes) {
    return QString::number(WholeMegabytes(bytes)) + QStringLiteral(" Meg");
}

QList<ProgramFileRow> ScanProgramFiles(const QString& folder) {
    QList<ProgramFileRow> rows;
    for (const platform::DirEntry& e : platform::ListDirectory(ToFsPath(folder))) {
        const QString name = QString::fromStdString(e.name);
        if (!IsProgramFileName(name))
            continue;
        ProgramFileRow row;
        row.name = name;
        row.dateText =
            DateTimeText(QDateTime::fromSecsSinceEpoch(e.lastWriteUnixSeconds).toLocalTime());
        const QString path = folder + name;
        row.version = GetEXEFileVersion(path);
        row.sizeBytes = platform::FileSizeOf(ToFsPath(path));
        GetProgramDescription(name);
        row.description = sPgmDescription;
        rows.append(row);
    }
    return rows;
}

std::optional<ArchiveFields> ArchiveFieldsFromTicks(const QList<TickRow>& rows) {
    QString candidate;
    QString version;
    for (const TickRow& row : rows) {
        if (!row.ticked || !TrimControl(candidate).isEmpty())
            continue;
        version = row.version;
        candidate = row.name.left(qMax<qsizetype>(0, row.name.size() - 4));
        if (UpperAscii(TrimControl(row.name)) != QLatin1String("CORVANE.EXE"))
            candidate = candidate.mid(3);
    }
    if (TrimControl(candidate).isEmpty())
        return std::nullopt;
    return ArchiveFields{UpperAscii(candidate), VersionDigits(version)};
}

} // namespace files
