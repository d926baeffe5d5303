#pragma once
// Every statement text the tool sends, per backend, in one place. For SQL Server the texts are
// exactly those the suite's other programs expect; the embedded store gets the same statements
// without table hints, and the release statement as an UPDATE then an INSERT ... WHERE NOT EXISTS.
#include <QString>
#include <QStringList>
#include <functional>

// A value as a quoted SQL string literal: in single quotes, each single quote doubled.
QString SqlLiteral(const QString& value);

struct ReleaseRecord {
    QString progName;
    QString description;
    QString version;
    QString critical; // "Y" or "N"
    QString minDBVersion;
    QString notes;
};

class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    virtual bool IsEmbedded() const = 0;

    // Control table lookup (3 lines).
    virtual QStringList CloudSettingsLines() const = 0;
    // Catalogue lookup (3 lines) for the key (the part of the name before its first ".").
    virtual QStringList ProgramDescriptionLines(const QString& key) const = 0;
    // The cloud release list (4 lines).
    virtual QStringList CloudListLines() const = 0;
    // "DELETE FROM vcSysProgRelease " + " WHERE [ProgName] = " + literal.
    virtual QString RemovalStatement(const QString& progName) const = 0;
    // The release statement(s): one IF EXISTS ... UPDATE ... ELSE INSERT text on SQL Server,
    // an UPDATE then an INSERT ... WHERE NOT EXISTS on the embedded store. The date and time
    // texts are taken from the clocks each time a piece needs them.
    virtual QStringList ReleaseStatements(const ReleaseRecord& r,
                                          const std::function<QString()>& dateText,
                                          const std::function<QString()>& timeText) const = 0;
    // The blob statement with the named parameter :imgBlob.
    virtual QString BlobStatement(const QString& progName, const QString& version) const = 0;
    // The test download's lines (3 lines).
    virtual QStringList DownloadLines(const QString& progName) const = 0;
};

// "SQLite" in any case picks the embedded store; anything else is SQL Server.
bool IsEmbeddedConnector(const QString& connector);
const SqlDialect& DialectForConnector(const QString& connector);
const SqlDialect& SqlServerDialect();
const SqlDialect& EmbeddedDialect();

// The embedded store's test download lookup (3 lines): the conditions of DownloadLines, but
// only the row's key and the archive's length, so the archive itself is read from the store in
// pieces rather than fetched whole.
QStringList EmbeddedArchiveLines(const QString& progName);
