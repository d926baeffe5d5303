#pragma once
#include <QString>

// The connection string of both databases: fixed pairs in a fixed order, with the server,
// database name, user and password trimmed of blanks and control characters and put in as they
// are (no quoting). Raises AppError for a blank server (tested first) or database name.
QString BuildConnectString(const QString& server, const QString& dbName, const QString& user,
                           const QString& pswd, const QString& connector);
