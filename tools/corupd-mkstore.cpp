// corupd-mkstore: creates an embedded store and a workstation configuration that points the
// tool at it, for demos and tests without a SQL Server.
#include "AppError.h"
#include "StoreBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

int Usage(QTextStream& err) {
    err << "Usage: corupd-mkstore --store <folder> --drive-c <folder> [--replace]\n"
           "  --store    folder for CorvaneCommon.db and CorvaneControl.db\n"
           "  --drive-c  folder that stands for drive C (the workstation configuration goes to\n"
           "             Program Files/Common Files/Microsoft Shared/MSHelp16/MSHelp16.cnf)\n"
           "  --replace  replace database files that exist\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QString store, driveC;
    EmbeddedStoreOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--store") && i + 1 < args.size())
            store = args.at(++i);
        else if (a == QLatin1String("--drive-c") && i + 1 < args.size())
            driveC = args.at(++i);
        else if (a == QLatin1String("--replace"))
            options.replace = true;
        else
            return Usage(err);
    }
    if (store.isEmpty() || driveC.isEmpty())
        return Usage(err);
    try {
        CreateEmbeddedStore(store, options);
        const QString cnf = WriteWorkstationConfig(driveC, store, options);
        out << "store:         " << QDir::toNativeSeparators(QDir(store).absolutePath()) << "\n"
            << "configuration: " << QDir::toNativeSeparators(cnf) << "\n";
    } catch (const AppError& e) {
        err << "corupd-mkstore: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
