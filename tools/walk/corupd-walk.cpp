// Drives the real tool window through the road of one release, as a user would, and saves a
// screenshot after each step: tick a program, F2 packs it, tick the archive with its release
// details, upload, F5 shows the cloud's rows, test download unpacks the release.
//   corupd-walk <tool program file> <screenshot folder>
#include "AppModules.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "Dialogs.h"
#include "MAIN000.h"
#include "StringGrid.h"
#include "TsData.h"
#include "platform/Com.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <cstdio>

namespace {

// Prints every box instead of waiting for a click, and answers questions with Yes.
class PrintingDialogs final : public Dialogs {
public:
    void error(const QString& caption, const QString& text) override { print("ERROR", caption, text); }
    void information(const QString& caption, const QString& text) override {
        print("INFO", caption, text);
    }
    bool question(const QString& caption, const QString& text) override {
        print("QUESTION (Yes)", caption, text);
        return true;
    }
    int errors = 0;

private:
    void print(const char* kind, const QString& caption, const QString& text) {
        if (qstrcmp(kind, "ERROR") == 0)
            ++errors;
        std::fprintf(stderr, "walk: box %s [%s] %s\n", kind, qPrintable(caption), qPrintable(text));
    }
};

void settle(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

class Walk {
public:
    Walk(TfrmMAIN000& w, QString shots) : m_w(w), m_shots(std::move(shots)) {}

    void shot(const QString& name) {
        settle();
        const QString file = m_shots + QLatin1Char('/') + name + QStringLiteral(".png");
        const bool haveImport = !QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty();
        if (!qEnvironmentVariableIsEmpty("DISPLAY") && haveImport &&
            QProcess::execute(QStringLiteral("import"),
                              {QStringLiteral("-window"), QStringLiteral("root"), file}) == 0) {
        } else {
            m_w.grab().save(file);
        }
        std::fprintf(stderr, "walk: screenshot %s\n", qPrintable(file));
    }

    static int findRow(const StringGrid* grid, int col, const QString& text) {
        for (int r = 1; r < grid->RowCount(); ++r)
            if (grid->Cell(col, r).compare(text, Qt::CaseInsensitive) == 0)
                return r;
        return -1;
    }

    // A click on a tick box: the model's check state changes as the view would change it.
    static void tick(StringGrid* grid, int col, int row) {
        grid->setData(grid->index(row - 1, col), Qt::Checked, Qt::CheckStateRole);
    }

    void key(Qt::Key k) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &m_w;
        QTest::keyClick(target, k);
        settle();
    }

private:
    TfrmMAIN000& m_w;
    QString m_shots;
};

int walk(TfrmMAIN000& w, const QString& shots, PrintingDialogs& boxes) {
    Walk walk(w, shots);
    QElapsedTimer t;
    t.start();
    while (!w.startupRan() && t.elapsed() < 30000)
        settle(50);
    if (!w.startupRan() || w.terminateRequested()) {
        std::fprintf(stderr, "walk: start-up did not finish\n");
        return 1;
    }
    QApplication::setActiveWindow(&w);
    walk.shot(QStringLiteral("01-program-files"));

    // Two releases, packed one after the other: each takes its version from its own tick.
    QStringList archives;
    for (const QString& name : {QStringLiteral("CORPAY.EXE"), QStringLiteral("CORSTOCK.EXE")}) {
        w.pgMain->setCurrentIndex(0);
        const int program = Walk::findRow(w.grdFilesModel, 1, name);
        if (program < 0) {
            std::fprintf(stderr, "walk: %s is not listed\n", qPrintable(name));
            return 1;
        }
        Walk::tick(w.grdFilesModel, 0, program);
        if (archives.isEmpty())
            walk.shot(QStringLiteral("02-ticked"));
        walk.key(Qt::Key_F2);
        archives << QFileInfo(w.sZIPFileName).fileName();
    }
    walk.shot(QStringLiteral("03-packed"));

    w.pgMain->setCurrentIndex(1);
    int zipRow = -1;
    for (const QString& archive : archives) {
        zipRow = Walk::findRow(w.grdZIPFilesModel, 1, archive);
        if (zipRow < 0) {
            std::fprintf(stderr, "walk: %s is not in the ZIP list\n", qPrintable(archive));
            return 1;
        }
        Walk::tick(w.grdZIPFilesModel, 0, zipRow);
    }
    // Release details of the first archive: critical, a database version and notes.
    zipRow = Walk::findRow(w.grdZIPFilesModel, 1, archives.first());
    Walk::tick(w.grdZIPFilesModel, 6, zipRow);
    w.grdZIPFilesModel->setData(w.grdZIPFilesModel->index(zipRow - 1, 7), QStringLiteral("7.2"),
                                Qt::EditRole);
    w.grdZIPFilesModel->setData(w.grdZIPFilesModel->index(zipRow - 1, 8),
                                QStringLiteral("Payroll year-end fixes; O'Brien's report"),
                                Qt::EditRole);
    walk.shot(QStringLiteral("04-zip-list"));
    w.btnUploadLIVE->click();
    settle();
    walk.shot(QStringLiteral("05-uploaded"));

    walk.key(Qt::Key_F5);
    w.pgMain->setCurrentIndex(2);
    walk.shot(QStringLiteral("06-cloud"));

    w.pgMain->setCurrentIndex(1);
    w.grdZIPFiles->setCurrentIndex(w.grdZIPFilesModel->index(zipRow - 1, 1));
    w.btnDownload->click();
    settle();
    QStringList unpacked;
    QDirIterator it(sExePath + QStringLiteral("Upgrades"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        unpacked << it.next();
    std::fprintf(stderr, "walk: Upgrades holds %s\n", qPrintable(unpacked.join(QStringLiteral(", "))));

    w.pgMain->setCurrentIndex(3);
    walk.shot(QStringLiteral("07-settings"));
    return (boxes.errors == 0 && !unpacked.isEmpty()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corupd-walk <tool program file> <screenshot folder>\n");
        return 2;
    }
    platform::ComInitialize();
    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("corUPD"));
        SetToolProgramFileForTests(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
        const QString shots = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
        QDir().mkpath(shots);
        auto printing = std::make_unique<PrintingDialogs>();
        PrintingDialogs* boxes = printing.get();
        installDialogs(std::move(printing));

        {
            AppModules modules;
            modules.window.show();
            rc = walk(modules.window, shots, *boxes);
        }
        std::fprintf(stderr, "walk: %s\n", rc == 0 ? "the road of one release went through" : "FAILED");
        installDialogs(nullptr);
    }
    platform::ComUninitialize();
    return rc;
}
