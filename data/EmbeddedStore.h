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

struct sqlite3;
class QIODevice;

// The store's own handle behind an open QSQLITE connection; nullptr when there is none.
sqlite3* EmbeddedHandle(const QSqlDatabase& db);

// Archives go between the store and their files through pieces of this size, so a release
// never sits in memory whole on the way.
inline constexpr qint64 kEmbeddedBlobPiece = 1048576;

// Runs an UPDATE statement whose placeholder stands for a blob column: the column becomes a
// zero blob of the file's size in every row the statement changes, then the file is written
// into each of them piece by piece. Runs inside the caller's transaction. Returns the reason
// it failed (the file or the store), empty when every byte is in.
QString StreamFileIntoBlob(const QSqlDatabase& db, const QString& statement,
                           const QString& placeholder, const QString& table, const QString& column,
                           const QString& filePath);

// Writes the blob of one row to out piece by piece. Returns the reason it failed, empty when
// every byte is out.
QString CopyBlobTo(const QSqlDatabase& db, const QString& table, const QString& column,
                   qint64 rowid, QIODevice& out);
