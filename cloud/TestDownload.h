#pragma once
// The test download: the cloud's archive of a program, saved in the Temp folder beside the
// tool and unpacked into the Upgrades folder beside it.
#include <QString>

class TcData;

enum class DownloadResult {
    NoRelease,   // the cloud holds no row for the program: nothing shown, nothing written
    QueryFailed, // the lookup error box was shown
    NoArchive,   // the row's archive is 100 bytes or fewer: an error box, nothing written
    Unpacked,    // saved in Temp and unpacked into Upgrades
};

// Stored archives this small cannot be a release and are never written or unpacked.
inline constexpr qint64 kSmallestArchive = 101;
// The archive moves from the query into the file through pieces of this size.
inline constexpr qint64 kDownloadCopyBuffer = 1048576;

// exePath ends in the separator. Errors saving the archive raise AppError; errors unpacking
// it raise platform::PlatformError (an unsafe entry is refused before anything is written).
DownloadResult TestDownload(TcData& data, const QString& archiveName, const QString& progName,
                            const QString& exePath);

// The text of the box for a release without a usable archive.
QString NoArchiveText(const QString& progName, qint64 size);
