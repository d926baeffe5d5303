// The cloud settings lookup: the cloud server row of the control table, shown on the settings
// page and taken from there into the shared settings of the cloud connection.
#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"

#include <QSqlError>
#include <QSqlRecord>

bool TfrmMAIN000::GetCloudSettings() {
    Query1.finish();
    Query1 = QSqlQuery(cData->CorvaneCommon());
    Query1.setForwardOnly(true);
    const QString text = cData->CommonDialect().CloudSettingsLines().join(QLatin1Char('\n'));
    if (!Query1.exec(text)) {
        const QString message = SqlErrorMessage(Query1.lastError());
        ShowErrorBox(LookupErrorText(QStringLiteral("vcUpgrade_Settings"), message));
        Query1.finish();
        return false;
    }
    if (!Query1.next()) {
        const QSqlError fetchError = Query1.lastError();
        Query1.finish();
        if (fetchError.isValid()) {
            ShowErrorBox(
                LookupErrorText(QStringLiteral("vcUpgrade_Settings"), SqlErrorMessage(fetchError)));
            return false;
        }
        ShowErrorBox(QStringLiteral("Close Settings to the Server NOT Defined"));
        return false;
    }

    // When several rows match, the first one the server returns counts.
    auto field = [this](const QString& name) {
        const int index = Query1.record().indexOf(name);
        if (index < 0) {
            Query1.finish();
            throw AppError(QStringLiteral("Query1: Field '%1' not found").arg(name));
        }
        return Query1.value(index).toString();
    };
    edLiveConnector->setText(field(QStringLiteral("DBConnector")));
    edLiveHost->setText(field(QStringLiteral("Details")));
    edLiveUser->setText(field(QStringLiteral("DBUser")));
    edLivePswd->setText(field(QStringLiteral("DBPswd")));
    Query1.finish();

    // What the page shows is what the cloud connection uses.
    sCloudConnector = edLiveConnector->text();
    sCloudHost = edLiveHost->text();
    sCloudUser = edLiveUser->text();
    sCloudPswd = edLivePswd->text();
    sCloudDBName = QStringLiteral("CorvaneControl");
    return true;
}
