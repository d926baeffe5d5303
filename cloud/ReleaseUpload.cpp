#include "ReleaseUpload.h"

#include "AppError.h"
#include "DataSYS.h"
#include "FileBytes.h"

#include <QVariant>

QString ArchivePath(const QString& zipPath, const QString& fileName) {
    return TrimControl(zipPath + fileName);
}

ReleaseRecord MakeReleaseRecord(const UploadRow& row, const QString& description) {
    ReleaseRecord r;
    r.progName = row.progName;
    r.description = description;
    r.version = row.version;
    r.critical = row.critical ? QStringLiteral("Y") : QStringLiteral("N");
    r.minDBVersion = row.minDBVersion;
    r.notes = row.notes;
    return r;
}

QByteArray ReadArchiveFile(const QString& path) {
    QByteArray bytes;
    QString why;
    if (!ReadWholeFile(path, bytes, why))
        throw AppError(why);
    return bytes;
}

QList<TcData::Statement> ReleaseUnit(const SqlDialect& dialect, const ReleaseRecord& record,
                                     const QByteArray& archive, bool withRemoval,
                                     const TextClock& dateText, const TextClock& timeText) {
    QList<TcData::Statement> unit;
    if (withRemoval)
        unit.append({dialect.RemovalStatement(record.progName), {}});
    for (const QString& text : dialect.ReleaseStatements(record, dateText, timeText))
        unit.append({text, {}});
    TcData::Statement blob{dialect.BlobStatement(record.progName, record.version), {}};
    blob.bindings.append({QStringLiteral(":imgBlob"), QVariant(archive)});
    unit.append(std::move(blob));
    return unit;
}

QList<TcData::Statement> StreamedReleaseUnit(const SqlDialect& dialect, const ReleaseRecord& record,
                                             const QString& archivePath, bool withRemoval,
                                             const TextClock& dateText, const TextClock& timeText) {
    QList<TcData::Statement> unit =
        ReleaseUnit(dialect, record, QByteArray(), withRemoval, dateText, timeText);
    TcData::Statement& blob = unit.last();
    blob.bindings.clear();
    blob.blobFile = archivePath;
    blob.blobPlaceholder = QStringLiteral(":imgBlob");
    blob.blobTable = QStringLiteral("vcSysProgRelease");
    blob.blobColumn = QStringLiteral("RARFile");
    return unit;
}

TcData::UnitResult UploadRelease(TcData& data, const ReleaseRecord& record,
                                 const QString& archivePath, bool withRemoval) {
    try {
        const SqlDialect& dialect = data.CloudDialect();
        const TextClock dateText = [] { return DateText(0); };
        const TextClock timeText = [] { return TimeText(); };
        if (dialect.IsEmbedded())
            return data.cloud_ExecUnit(
                StreamedReleaseUnit(dialect, record, archivePath, withRemoval, dateText, timeText));
        const QList<TcData::Statement> unit = ReleaseUnit(
            dialect, record, ReadArchiveFile(archivePath), withRemoval, dateText, timeText);
        return data.cloud_ExecUnit(unit);
    } catch (const AppError& e) {
        throw AppError(UploadFailedText(record.progName, e.message()));
    }
}

QString UploadFailedText(const QString& progName, const QString& databaseMessage) {
    const QString why = databaseMessage.trimmed().isEmpty() ? QStringLiteral("no reason given")
                                                            : databaseMessage.trimmed();
    return QStringLiteral("The upload of ") + progName +
           QStringLiteral(" to the cloud FAILED: nothing of it was kept, and the cloud still "
                          "holds the release it had before. Reason: ") +
           why;
}
