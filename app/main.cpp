// Entry point: COM for the main thread, the application object, then the main window, the
// resources module and the database module, in that order, and the message loop.
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"
#include "MessageBoxDialogs.h"
#include "TsData.h"
#include "platform/Com.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::ComInitialize();
    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("corUPD"));
        installDialogs(std::make_unique<MessageBoxDialogs>());

        TfrmMAIN000 window;
        frmMAIN000 = &window;
        TsData resources;
        sData = &resources;
        TcData database;
        cData = &database;

        window.show();
        rc = QApplication::exec();
        // The modules go in reverse order; an open connection closes with its module.
        cData = nullptr;
        sData = nullptr;
        frmMAIN000 = nullptr;
        installDialogs(nullptr);
    }
    platform::ComUninitialize();
    ClearSharedState();
    return rc;
}
