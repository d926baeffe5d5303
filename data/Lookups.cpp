#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"

#include <QSqlError>
#include <QSqlQuery>

QString LookupErrorText(const QString& table, const QString& message) {
    return QStringLiteral("SQL Error on Table: ") + table + QStringLiteral(" :-") + QChar(u'\r') +
           message;
}

void GetProgramDescription(const QString& name) {
    sPgmDescription.clear();
    if (!cData)
        return;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString key = dot < 0 ? name : name.left(dot);

    QSqlQuery& q = cData->vcLoadQuery1;
    q.finish();
    q = QSqlQuery(cData->CorvaneCommon());
    q.setForwardOnly(true);
    const QString text =
        cData->CommonDialect().ProgramDescriptionLines(key).join(QLatin1Char('\n'));
    QString description;
    bool first = true;
    bool ok = q.exec(text);
    // Every row is read: FreeTDS cannot run the next statement on the connection while this
    // one still holds rows.
    while (ok && q.next()) {
        if (first)
            description = q.value(QStringLiteral("Description")).toString();
        first = false;
    }
    if (ok && q.lastError().isValid())
        ok = false;
    if (!ok) {
        const QString message = SqlErrorMessage(q.lastError());
        q.finish();
        ShowErrorBox(LookupErrorText(QStringLiteral("vcVersions"), message));
        return;
    }
    q.finish();
    sPgmDescription = description;
}
