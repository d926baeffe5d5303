#pragma once
// Creates an embedded store for demos and tests: the common database with the cloud server row
// and a small catalogue, an empty cloud database with the release table, and a workstation
// configuration file that points the tool at them.
#include <QList>
#include <QString>
#include <QStringList>

struct EmbeddedStoreOptions {
    QString commonName = QStringLiteral("CorvaneCommon");
    QString cloudName = QStringLiteral("CorvaneControl");
    QString user = QStringLiteral("corupd");
    QString pswd = QStringLiteral("corupd");
    bool replace = false; // replace database files that exist; otherwise they are an error
};

struct CatalogueRow {
    QString pgmName;
    QString description;
    QString version;
};

// The programs the store's catalogue lists.
QList<CatalogueRow> DemoCatalogue();

// The DDL of the embedded store's two databases.
QString EmbeddedCommonDdl();
QString EmbeddedCloudDdl();

// <folder>/<common name>.db and <folder>/<cloud name>.db. The folder is created when missing.
// Raises AppError when a file exists (unless replace) or cannot be written.
void CreateEmbeddedStore(const QString& folder,
                         const EmbeddedStoreOptions& options = EmbeddedStoreOptions());

// <driveC>/Program Files/Common Files/Microsoft Shared/MSHelp16/MSHelp16.cnf naming the store's
// common database; returns the file's path. Raises AppError when it cannot be written.
QString WriteWorkstationConfig(const QString& driveC, const QString& storeFolder,
                               const EmbeddedStoreOptions& options = EmbeddedStoreOptions());

// Runs the statements of a text on an existing or new database file (for test set-ups).
// Raises AppError with the failing statement and the database's message.
void RunOnEmbeddedFile(const QString& file, const QString& sql);
