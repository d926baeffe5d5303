#include "ConnectString.h"

#include "AppError.h"
#include "DataSYS.h"

QString BuildConnectString(const QString& server, const QString& dbName, const QString& user,
                           const QString& pswd, const QString& connector) {
    const QString host = TrimControl(server);
    if (host.isEmpty())
        throw AppError(QStringLiteral("Connection Error: Server name cannot be empty."));
    const QString database = TrimControl(dbName);
    if (database.isEmpty())
        throw AppError(QStringLiteral("Connection Error: Database name cannot be empty."));

    QString s = QStringLiteral("Provider Name=SQL Server;");
    // The connector is compared as stored: a fixed-width column's trailing blanks make it
    // another name, and then no provider is named. Only ASCII letters fold.
    const QString name = UpperAscii(connector);
    if (name == QLatin1String("MSOLEDBSQL") || name == QLatin1String("MSOLEDBSQL.1"))
        s += QStringLiteral("Provider=MSOLEDBSQL.1;");
    s += QStringLiteral("Data Source=") + host + QLatin1Char(';');
    s += QStringLiteral("Initial Catalog=") + database + QLatin1Char(';');
    s += QStringLiteral("Application Name=corUPD;");
    const QString login = TrimControl(user);
    if (!login.isEmpty()) {
        s += QStringLiteral("User ID=") + login + QLatin1Char(';');
        s += QStringLiteral("Password=") + TrimControl(pswd) + QLatin1Char(';');
        s += QStringLiteral("Persist Security Info=False;");
    } else {
        s += QStringLiteral("Integrated Security=True;");
    }
    s += QStringLiteral("Pooling=True;");
    s += QStringLiteral("Login Prompt=False;");
    s += QStringLiteral("Connect Timeout=60;");
    s += QStringLiteral("Encrypt=False;");
    s += QStringLiteral("TrustServerCertificate=True;");
    s += QStringLiteral("MultipleActiveResultSets=True;");
    return s;
}
