#pragma once
// The database module: the two connections, the module's queries, and the operations to open
// them, run statements in transactions of their own, and close them.
#include "SqlDialect.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

class TcData final : public QObject {
    Q_OBJECT
public:
    static inline const QString kUnitName = QStringLiteral("DataCMN");
    static inline const QString kCommonConnection = QStringLiteral("CorvaneCommon");
    static inline const QString kCloudConnection = QStringLiteral("CloudDB");

    explicit TcData(QObject* parent = nullptr);
    ~TcData() override;

    QSqlDatabase CorvaneCommon() const;
    QSqlDatabase CloudDB() const;

    // (Re)open a connection from the shared settings. Raise AppError with
    // "DataCMN.CommonConnect - Failed to connect to database [<name>]. Reason: <why>".
    bool ConnectDB_Common();
    bool ConnectDB_Cloud();

    // One statement in a transaction of its own: true when committed; false when it failed and
    // was rolled back, its text written to CMNSQLError.TXT beside the tool. Failing to begin,
    // to roll back or to write the file raises AppError.
    bool cmn_ExecSQL(const QString& xSQL);
    bool cloud_ExecSQL(const QString& xSQL);

    // Several statements on CloudDB committed or rolled back as one.
    struct Statement {
        QString text;
        QList<QPair<QString, QVariant>> bindings; // named placeholders, e.g. ":imgBlob"
        // A file whose bytes go to the placeholder blobPlaceholder of an UPDATE, in the column
        // blobColumn of blobTable: on the embedded store streamed into each changed row, never
        // held in memory whole; on SQL Server read and bound. A file that cannot be read fails
        // the statement.
        QString blobFile = {};
        QString blobPlaceholder = {};
        QString blobTable = {};
        QString blobColumn = {};
    };
    struct UnitResult {
        bool committed = false;
        int failedIndex = -1; // which statement failed, -1 when none (or commit failed)
        QString error;        // the database's message
    };
    // On failure: rollback, the failing statement's text to CMNSQLError.TXT, result says which.
    // Failing to begin, to roll back or to write the file raises AppError.
    UnitResult cloud_ExecUnit(const QList<Statement>& statements);

    void Close_Query_Common();
    void Close_Query_Cloud();
    void CloseDB_Common();
    void CloseDB_Cloud();

    // The statement texts of each connection's backend (SQL Server or the embedded store).
    const SqlDialect& CommonDialect() const;
    const SqlDialect& CloudDialect() const;

    // The module's queries (forward-only; see the SQL Server notes in DESIGN.md).
    QSqlQuery vcUpdSQL, vcLoadQuery1, rUpdSQL, rQuery1, rqryZIPUpload;

private:
    bool connect(const QString& connection, const QString& host, const QString& dbName,
                 const QString& user, const QString& pswd, const QString& connector);
    bool execSQL(const QString& connection, QSqlQuery& query, const QString& xSQL);
};

// The one database module of the process (created by main, or by a test).
extern TcData* cData;

// Catalogue lookup: the description of a program into sPgmDescription (empty when none);
// a database error shows "SQL Error on Table: vcVersions :-" + CR + message.
void GetProgramDescription(const QString& name);

// The lookup error box text: "SQL Error on Table: " + table + " :-" + CR + message.
QString LookupErrorText(const QString& table, const QString& message);

// The database's own message of an error (the driver's text when the database gave none).
QString SqlErrorMessage(const class QSqlError& error);

// Where a failing statement is saved: sExePath + "CMNSQLError.TXT".
QString FailingStatementFile();
