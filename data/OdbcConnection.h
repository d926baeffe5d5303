#pragma once
// The SQL Server client of the tool: Qt's ODBC driver over the platform's driver manager, with
// Microsoft's ODBC Driver 18 or 17 for SQL Server when one is registered, else FreeTDS.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

enum class OdbcDriverKind { Microsoft, FreeTds };

struct OdbcDriver {
    OdbcDriverKind kind = OdbcDriverKind::FreeTds;
    QString name;    // what goes between the braces of DRIVER={...}: a registered name or a path
    QString library; // the driver's shared library when known (to read its version)
};

// The driver names the driver manager knows (odbcinst.ini on unixODBC).
QStringList RegisteredOdbcDrivers();
// Microsoft's driver 18, then 17, then FreeTDS by name, else FreeTDS by its library path.
OdbcDriver ChooseOdbcDriver(const QStringList& registered);

// The ODBC connection string for the (untrimmed) settings; every value brace-quoted so that
// ";", "=", "{" and "}" arrive as typed. freeTdsUndoesDoubling tells whether the FreeTDS in use
// (1.4.1 and later) reads "}}" inside braces as one "}". Raises AppError for a value the driver
// cannot be given intact.
QString BuildOdbcConnectString(const OdbcDriver& driver, const QString& server,
                               const QString& dbName, const QString& user, const QString& pswd,
                               bool freeTdsUndoesDoubling = false);

// SQL_DRIVER_VER of a FreeTDS driver library ("01.03.0017"), empty when it cannot be read.
QString FreeTdsDriverVersion(const QString& library);
// Whether that version reads doubled closing braces (1.4.1 and later).
bool FreeTdsUndoesDoubling(const QString& driverVersion);

// Opens db (a QODBC connection) on the server. False with the reason (the driver's message)
// when it cannot.
bool OpenSqlServerDatabase(QSqlDatabase& db, const QString& server, const QString& dbName,
                           const QString& user, const QString& pswd, QString* reason);

// After a failed commit or rollback Qt's ODBC driver leaves the connection in manual-commit
// mode, where later statements seem to succeed and are lost at disconnect. Switches autocommit
// back on through the native handle; false when db is no open ODBC connection or the driver
// refuses.
bool RestoreOdbcAutocommit(const QSqlDatabase& db);
// Whether an open ODBC connection is in autocommit mode.
bool OdbcAutocommitOn(const QSqlDatabase& db);

// The login time-out of every connect: 60 seconds. Tests shorten it.
int OdbcLoginTimeoutSeconds();
void SetOdbcLoginTimeoutForTests(int seconds);
