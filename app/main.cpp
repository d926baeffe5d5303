// Entry point: COM for the main thread, the application object, then the main window, the
// resources module and the database module, in that order, and the message loop.
#include "AppModules.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MessageBoxDialogs.h"
#include "platform/Com.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::ComInitialize();
    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("corUPD"));
        installDialogs(std::make_unique<MessageBoxDialogs>());

        {
            AppModules modules;
            modules.window.show();
            rc = QApplication::exec();
        }
        installDialogs(nullptr);
    }
    platform::ComUninitialize();
    ClearSharedState();
    return rc;
}
