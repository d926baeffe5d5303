#include "TestDownload.h"

#include "AppError.h"
#include "DataCMN.h"
#include "Dialogs.h"
#include "EmbeddedStore.h"
#include "PathUtil.h"
#include "platform/ZipReader.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlRecord>

#include <functional>

namespace {
enum class Fetch { NoRow, Failed, Row };

// Opens rQuery1 on the lines; a database error shows the lookup box. On Row the query stands
// on its first row, and the caller lets it go once it has what it needs.
Fetch firstRow(TcData& data, const QStringList& lines) {
    QSqlQuery& q = data.rQuery1;
    q.finish();
    q = QSqlQuery(data.CloudDB());
    q.setForwardOnly(true);
    if (!q.exec(lines.join(QLatin1Char('\n')))) {
        ShowErrorBox(
            LookupErrorText(QStringLiteral("vcSysProgRelease"), SqlErrorMessage(q.lastError())));
        q.clear();
        return Fetch::Failed;
    }
    if (!q.next()) {
        q.clear();
        return Fetch::NoRow;
    }
    return Fetch::Row;
}

// Fetches the first release row's archive and lets the query go. The SQL Server client has no
// multiple active result sets, so a query left holding its row would make the next statement
// on the cloud connection fail; dropping the result also frees the client's copy of the blob,
// which keeps the download at no more than two copies of the archive in memory.
Fetch fetchArchive(TcData& data, const QString& progName, QByteArray& archive) {
    const Fetch fetch = firstRow(data, data.CloudDialect().DownloadLines(progName));
    if (fetch != Fetch::Row)
        return fetch;
    QSqlQuery& q = data.rQuery1;
    {
        const int at = q.record().indexOf(QStringLiteral("RARFile"));
        QVariant value = at >= 0 ? q.value(at) : QVariant();
        archive = value.toByteArray();
    }
    q.clear();
    return Fetch::Row;
}

// The embedded store's release row: its key and the archive's length, without the archive.
struct StoredArchive {
    qint64 rowid = 0;
    qint64 size = 0;
};
Fetch findStoredArchive(TcData& data, const QString& progName, StoredArchive& found) {
    const Fetch fetch = firstRow(data, EmbeddedArchiveLines(progName));
    if (fetch != Fetch::Row)
        return fetch;
    QSqlQuery& q = data.rQuery1;
    found.rowid = q.value(0).toLongLong();
    found.size = q.value(1).isNull() ? 0 : q.value(1).toLongLong(); // no archive at all: 0
    q.clear();
    return Fetch::Row;
}

// Writes the download under a temporary name in the same folder and renames it over the
// target only when every byte is out, so an interrupted download never leaves a half archive
// to unpack. `fill` writes the bytes and returns why it failed, or nothing.
void saveDownload(const QString& path, const std::function<QString(QSaveFile&)>& fill) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        throw AppError(QStringLiteral("Cannot save the downloaded archive: the folder ") +
                       QDir::toNativeSeparators(folder) + QStringLiteral(" does not exist"));
    const auto fail = [&path](const QString& why) {
        throw AppError(QStringLiteral("Cannot save the downloaded archive ") + path +
                       QStringLiteral(": ") + why);
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const QString why = fill(file);
    if (!why.isEmpty())
        fail(why);
    if (!file.commit())
        fail(file.errorString());
}

// The archive fetched whole, written out through the copy buffer.
QString writeFetched(const QByteArray& archive, QSaveFile& file) {
    for (qsizetype done = 0; done < archive.size(); done += kDownloadCopyBuffer) {
        const qint64 n = qMin<qint64>(kDownloadCopyBuffer, archive.size() - done);
        if (file.write(archive.constData() + done, n) != n)
            return file.errorString();
    }
    return {};
}

} // namespace

QString NoArchiveText(const QString& progName, qint64 size) {
    return QStringLiteral("The cloud holds no usable archive for ") + progName +
           QStringLiteral(": the stored archive is ") + QString::number(size) +
           QStringLiteral(" bytes. Nothing was downloaded or unpacked.");
}

DownloadResult TestDownload(TcData& data, const QString& archiveName, const QString& progName,
                            const QString& exePath) {
    const QString tempArchive = exePath + QStringLiteral("Temp") + QDir::separator() + archiveName;
    const QString upgrades = exePath + QStringLiteral("Upgrades") + QDir::separator();

    // The embedded store's archive goes from the store to the file piece by piece, so it is
    // never in memory whole; from SQL Server it comes whole with its row.
    const bool streamed = data.CloudDialect().IsEmbedded();
    StoredArchive stored;
    QByteArray archive;
    const Fetch fetch = streamed ? findStoredArchive(data, progName, stored)
                                 : fetchArchive(data, progName, archive);
    switch (fetch) {
    case Fetch::NoRow:
        return DownloadResult::NoRelease;
    case Fetch::Failed:
        return DownloadResult::QueryFailed;
    case Fetch::Row:
        break;
    }
    const qint64 size = streamed ? stored.size : archive.size();
    if (size < kSmallestArchive) {
        // Whatever an earlier download left under this name is not this release.
        ShowErrorBox(NoArchiveText(progName, size));
        return DownloadResult::NoArchive;
    }
    saveDownload(tempArchive, [&](QSaveFile& file) {
        return streamed ? CopyBlobTo(data.CloudDB(), QStringLiteral("vcSysProgRelease"),
                                     QStringLiteral("RARFile"), stored.rowid, file)
                        : writeFetched(archive, file);
    });
    archive = QByteArray();
    platform::ExtractAll(ToFsPath(tempArchive), ToFsPath(upgrades));
    return DownloadResult::Unpacked;
}
