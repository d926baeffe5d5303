#pragma once
// The embedded store: each database is a SQLite file <folder>/<database name>.db.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The file of a database: the trimmed folder and name, absolute.
QString EmbeddedDatabaseFile(const QString& folder, const QString& dbName);

// Opens db (a QSQLITE connection) on an existing database file; a missing file or one that
// is no database fails, with the reason naming the file, and nothing is created.
bool OpenEmbeddedDatabase(QSqlDatabase& db, const QString& folder, const QString& dbName,
                          QString* reason);

// SQLite runs one statement per call: the statements of a text, split at the semicolons that
// stand outside literals, quoted names and comments. Pieces holding nothing but blanks and
// comments are left out.
QStringList SplitSqlStatements(const QString& text);
