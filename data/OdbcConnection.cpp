#include "OdbcConnection.h"

#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"

#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <cstdint>

namespace {

const QString kMsDriver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
const QString kMsDriver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
const QString kFreeTds = QStringLiteral("FreeTDS");

int& LoginTimeout() {
    static int seconds = 60;
    return seconds;
}

struct RegisteredDriver {
    QString name;
    QString library; // its "Driver=" attribute
};

QList<RegisteredDriver> DriverManagerDrivers() {
    QList<RegisteredDriver> drivers;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return drivers;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)), 0);
    SQLCHAR name[512];
    SQLCHAR attributes[4096];
    SQLSMALLINT nameLen = 0, attrLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env, direction, name, sizeof name, &nameLen, attributes,
                                    sizeof attributes, &attrLen))) {
        direction = SQL_FETCH_NEXT;
        RegisteredDriver d;
        d.name = QString::fromUtf8(reinterpret_cast<const char*>(name));
        // The attributes come as NUL-separated key=value pairs, ended by a double NUL.
        const char* p = reinterpret_cast<const char*>(attributes);
        const char* end = p + qMin<int>(attrLen, int(sizeof attributes));
        while (p < end && *p) {
            const QString pair = QString::fromUtf8(p);
            if (pair.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
                d.library = pair.mid(7);
            p += qstrlen(p) + 1;
        }
        drivers.append(d);
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return drivers;
}

// Where Debian and other systems put the FreeTDS driver when nothing registers it.
QString FreeTdsLibraryOnDisk(const QString& registered) {
    QStringList candidates;
    if (!registered.isEmpty()) {
        if (QFileInfo(registered).isAbsolute())
            candidates << registered;
        else
            candidates << QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/") + registered
                       << QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc/") + registered
                       << QStringLiteral("/usr/lib/odbc/") + registered;
    }
    candidates << QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so")
               << QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so")
               << QStringLiteral("/usr/lib64/libtdsodbc.so")
               << QStringLiteral("/usr/local/lib/libtdsodbc.so");
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c;
    return QString();
}

QString BraceQuote(const QString& value, const OdbcDriver& driver, bool freeTdsUndoesDoubling) {
    if (driver.kind == OdbcDriverKind::Microsoft || freeTdsUndoesDoubling) {
        QString v = value;
        v.replace(QLatin1Char('}'), QLatin1String("}}"));
        return QLatin1Char('{') + v + QLatin1Char('}');
    }
    // FreeTDS before 1.4.1 takes a braced value literally up to the first "}" that is followed
    // by ";" or the end: "};" inside a value cannot be written for it.
    if (value.contains(QLatin1String("};")))
        throw AppError(QStringLiteral(
            "The FreeTDS ODBC driver of this system cannot be given a connection setting that "
            "holds \"};\" (a password, user, server or database name); change the setting or "
            "install FreeTDS 1.4.1 or later, or Microsoft's ODBC Driver for SQL Server."));
    return QLatin1Char('{') + value + QLatin1Char('}');
}

bool AnyHolds(const QStringList& values, QChar c) {
    for (const QString& v : values)
        if (v.contains(c))
            return true;
    return false;
}

SQLHDBC NativeConnection(const QSqlDatabase& db) {
    if (!db.isValid() || !db.isOpen() || db.driverName() != QLatin1String("QODBC"))
        return SQL_NULL_HDBC;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || v.metaType() != QMetaType::fromType<SQLHANDLE>())
        return SQL_NULL_HDBC;
    return *static_cast<const SQLHDBC*>(v.constData());
}

} // namespace

int OdbcLoginTimeoutSeconds() {
    return LoginTimeout();
}
void SetOdbcLoginTimeoutForTests(int seconds) {
    LoginTimeout() = seconds;
}

QStringList RegisteredOdbcDrivers() {
    QStringList names;
    for (const RegisteredDriver& d : DriverManagerDrivers())
        names << d.name;
    return names;
}

OdbcDriver ChooseOdbcDriver(const QStringList& registered) {
    OdbcDriver d;
    for (const QString& ms : {kMsDriver18, kMsDriver17}) {
        if (registered.contains(ms, Qt::CaseInsensitive)) {
            d.kind = OdbcDriverKind::Microsoft;
            d.name = ms;
            return d;
        }
    }
    d.kind = OdbcDriverKind::FreeTds;
    if (registered.contains(kFreeTds, Qt::CaseInsensitive)) {
        d.name = kFreeTds;
        QString library;
        for (const RegisteredDriver& r : DriverManagerDrivers())
            if (r.name.compare(kFreeTds, Qt::CaseInsensitive) == 0)
                library = r.library;
        d.library = FreeTdsLibraryOnDisk(library);
        return d;
    }
    // Not registered with the driver manager: name the library itself.
    d.library = FreeTdsLibraryOnDisk(QString());
    d.name = d.library.isEmpty() ? kFreeTds : d.library;
    return d;
}

QString BuildOdbcConnectString(const OdbcDriver& driver, const QString& server,
                               const QString& dbName, const QString& user, const QString& pswd,
                               bool freeTdsUndoesDoubling) {
    QString host = TrimControl(server);
    const QString database = TrimControl(dbName);
    const QString login = TrimControl(user);
    const QString password = TrimControl(pswd);

    // Qt's ODBC driver takes a connection string that mentions ".dsn" anywhere for the name
    // of a file DSN, so such a value would never reach the server.
    for (const QString& v : {host, database, login, password})
        if (v.contains(QLatin1String(".dsn"), Qt::CaseInsensitive))
            throw AppError(QStringLiteral(
                "A connection setting that holds \".dsn\" cannot be passed to the ODBC driver."));

    QString port = QStringLiteral("1433");
    static const QRegularExpression withPort(QStringLiteral("^(.*\\S)\\s*,\\s*(\\d{1,5})$"));
    const QRegularExpressionMatch m = withPort.match(host);
    if (m.hasMatch()) {
        host = m.captured(1);
        port = m.captured(2);
    } else if (host.contains(QLatin1Char('\\'))) {
        // A named instance without a port: the driver asks the server's browser service for
        // the instance's port, which a fixed port would override.
        port.clear();
    }

    auto q = [&](const QString& v) { return BraceQuote(v, driver, freeTdsUndoesDoubling); };
    QString s = QStringLiteral("DRIVER={") + driver.name + QStringLiteral("};");
    if (driver.kind == OdbcDriverKind::Microsoft) {
        const QString address = port.isEmpty() ? host : host + QLatin1Char(',') + port;
        s += QStringLiteral("Server=") + q(QStringLiteral("tcp:") + address) + QLatin1Char(';');
        s += QStringLiteral("Database=") + q(database) + QLatin1Char(';');
        if (login.isEmpty())
            s += QStringLiteral("Trusted_Connection=yes;");
        else
            s += QStringLiteral("UID=") + q(login) + QStringLiteral(";PWD=") + q(password) +
                 QLatin1Char(';');
        s += QStringLiteral("Encrypt=no;TrustServerCertificate=yes;APP=corUPD;");
    } else {
        s += QStringLiteral("SERVER=") + q(host) + QLatin1Char(';');
        if (!port.isEmpty())
            s += QStringLiteral("PORT=") + port + QLatin1Char(';');
        s += QStringLiteral("DATABASE=") + q(database) + QLatin1Char(';');
        if (login.isEmpty())
            s += QStringLiteral("Trusted_Connection=Yes;");
        else
            s += QStringLiteral("UID=") + q(login) + QStringLiteral(";PWD=") + q(password) +
                 QLatin1Char(';');
        // Qt hands the driver the closing NUL as part of the string, and FreeTDS keeps it in
        // the last value: the string must end with ";".
        s += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;APP=corUPD;Encryption=off;");
    }
    return s;
}

QString FreeTdsDriverVersion(const QString& library) {
    if (library.isEmpty())
        return QString();
    // The driver manager answers SQL_DRIVER_VER only on a connected handle; the driver itself
    // answers it on a fresh one, so ask the library directly.
    using AllocHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE*);
    using FreeHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE);
    using SetEnvAttr = SQLRETURN (*)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    using GetInfo = SQLRETURN (*)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT*);
    QLibrary lib(library);
    auto alloc = reinterpret_cast<AllocHandle>(lib.resolve("SQLAllocHandle"));
    auto release = reinterpret_cast<FreeHandle>(lib.resolve("SQLFreeHandle"));
    auto setEnv = reinterpret_cast<SetEnvAttr>(lib.resolve("SQLSetEnvAttr"));
    auto getInfo = reinterpret_cast<GetInfo>(lib.resolve("SQLGetInfo"));
    if (!alloc || !release || !setEnv || !getInfo)
        return QString();
    QString version;
    SQLHANDLE env = nullptr, dbc = nullptr;
    if (SQL_SUCCEEDED(alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        setEnv(env, SQL_ATTR_ODBC_VERSION,
               reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)), 0);
        if (SQL_SUCCEEDED(alloc(SQL_HANDLE_DBC, env, &dbc))) {
            char buffer[64] = {};
            SQLSMALLINT len = 0;
            if (SQL_SUCCEEDED(getInfo(dbc, SQL_DRIVER_VER, buffer, sizeof buffer - 1, &len)))
                version = QString::fromLatin1(buffer);
            release(SQL_HANDLE_DBC, dbc);
        }
        release(SQL_HANDLE_ENV, env);
    }
    return version;
}

bool FreeTdsUndoesDoubling(const QString& driverVersion) {
    const QStringList parts = driverVersion.split(QLatin1Char('.'));
    if (parts.size() < 3)
        return false; // unknown: take the rules of the older drivers
    const int major = parts[0].toInt(), minor = parts[1].toInt(), patch = parts[2].toInt();
    if (major != 1)
        return major > 1;
    return minor > 4 || (minor == 4 && patch >= 1);
}

bool OpenSqlServerDatabase(QSqlDatabase& db, const QString& server, const QString& dbName,
                           const QString& user, const QString& pswd, QString* reason) {
    const OdbcDriver driver = ChooseOdbcDriver(RegisteredOdbcDrivers());
    bool undoes = false;
    if (driver.kind == OdbcDriverKind::FreeTds &&
        AnyHolds({server, dbName, user, pswd}, QLatin1Char('}')))
        undoes = FreeTdsUndoesDoubling(FreeTdsDriverVersion(driver.library));
    const QString cs = BuildOdbcConnectString(driver, server, dbName, user, pswd, undoes);

    db.setDatabaseName(cs);
    // User and password travel brace-quoted inside the string; Qt would append these unquoted.
    db.setUserName(QString());
    db.setPassword(QString());
    db.setConnectOptions(
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(OdbcLoginTimeoutSeconds()));
    if (db.open())
        return true;
    QString why = SqlErrorMessage(db.lastError());
    if (driver.kind == OdbcDriverKind::FreeTds && TrimControl(user).isEmpty())
        why += QStringLiteral(" (Windows integrated login through the FreeTDS driver needs a "
                              "Kerberos ticket for the server, see kinit; or give a user name)");
    if (reason)
        *reason = why;
    return false;
}

bool RestoreOdbcAutocommit(const QSqlDatabase& db) {
    const SQLHDBC h = NativeConnection(db);
    if (h == SQL_NULL_HDBC)
        return false;
    return SQL_SUCCEEDED(SQLSetConnectAttr(
        h, SQL_ATTR_AUTOCOMMIT,
        reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_AUTOCOMMIT_ON)),
        SQL_IS_UINTEGER));
}

bool OdbcAutocommitOn(const QSqlDatabase& db) {
    const SQLHDBC h = NativeConnection(db);
    if (h == SQL_NULL_HDBC)
        return false;
    SQLUINTEGER value = SQL_AUTOCOMMIT_OFF;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(h, SQL_ATTR_AUTOCOMMIT, &value, SQL_IS_UINTEGER, nullptr)))
        return false;
    return value == SQL_AUTOCOMMIT_ON;
}
