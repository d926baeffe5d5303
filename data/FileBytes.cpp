#include "FileBytes.h"

#include <QFile>

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString& why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("Cannot open the archive ") + path + QStringLiteral(": ") +
              file.errorString();
        return false;
    }
    const qint64 size = file.size();
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes.data() + done, size - done);
        if (n <= 0) {
            why = QStringLiteral("Cannot read the archive ") + path + QStringLiteral(": ") +
                  file.errorString();
            bytes = QByteArray();
            return false;
        }
        done += n;
    }
    return true;
}
