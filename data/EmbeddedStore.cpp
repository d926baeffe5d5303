#include "EmbeddedStore.h"

#include "DataCMN.h"
#include "DataSYS.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

QString EmbeddedDatabaseFile(const QString& folder, const QString& dbName) {
    const QString dir = TrimControl(folder);
    return QFileInfo(QDir(dir), TrimControl(dbName) + QStringLiteral(".db")).absoluteFilePath();
}

bool OpenEmbeddedDatabase(QSqlDatabase& db, const QString& folder, const QString& dbName,
                          QString* reason) {
    const QString path = EmbeddedDatabaseFile(folder, dbName);
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
        return false;
    };
    // A URI with mode=rw refuses a missing file instead of creating an empty database, and
    // keeps "#" or "?" in a folder name from being read as parts of the URI.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    if (!db.open())
        return fail(SqlErrorMessage(db.lastError()));
    // Opening does not read the file: a file that is not a database fails at its first query.
    QString why;
    {
        QSqlQuery probe(db);
        probe.setForwardOnly(true);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !probe.next())
            why = SqlErrorMessage(probe.lastError());
    }
    if (why.isEmpty())
        return true;
    db.close();
    return fail(why);
}

QStringList SplitSqlStatements(const QString& text) {
    QStringList statements;
    QString current;
    bool hasContent = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto flush = [&] {
        if (hasContent)
            statements << current;
        current.clear();
        hasContent = false;
    };
    while (i < n) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype eol = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype end = eol < 0 ? n : eol;
            current += text.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype end = close < 0 ? n : close + 2;
            current += text.mid(i, end - i);
            i = end;
            continue;
        }
        QChar closing;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`'))
            closing = c;
        else if (c == QLatin1Char('['))
            closing = QLatin1Char(']');
        if (!closing.isNull()) {
            // A doubled closing quote inside stays in the literal; the scan ends at the next
            // single one.
            qsizetype j = i + 1;
            while (j < n) {
                if (text.at(j) == closing) {
                    if (closing != QLatin1Char(']') && j + 1 < n && text.at(j + 1) == closing) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            current += text.mid(i, end - i);
            hasContent = true;
            i = end;
            continue;
        }
        if (c == QLatin1Char(';')) {
            flush();
            ++i;
            continue;
        }
        if (c.unicode() > 32)
            hasContent = true;
        current += c;
        ++i;
    }
    flush();
    return statements;
}
