#include "VersionDisplay.h"

QString VersionDisplayText(const QString& version) {
    return version.left(2) + QLatin1Char('.') + version.mid(2, 2) + QLatin1Char('.') +
           version.right(2);
}
