#include "DataSYS.h"

#include "BuildVersion.h"
#include "Dialogs.h"
#include "PathUtil.h"
#include "StringGrid.h"
#include "platform/PeVersion.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QTime>

QString sExePath, sExeName, sProgramVersion;
QString sCommonHost, sCommonUser, sCommonPswd, sCommonDBName, sCommonConnector;
QString sCloudHost, sCloudUser, sCloudPswd, sCloudDBName, sCloudConnector;
QString sPgmDescription;
QString sStatusText1, sStatusText2, sStatusText3;
QString sStatusKind1, sStatusKind2, sStatusKind3;

QString sDateSeparator, sShortDateFormat, sLongTimeFormat = QStringLiteral("hh:mm:ss");

static QString& ToolFileOverride() {
    static QString f;
    return f;
}
QString ToolProgramFile() {
    return ToolFileOverride().isEmpty() ? QCoreApplication::applicationFilePath()
                                        : ToolFileOverride();
}
void SetToolProgramFileForTests(const QString& file) { ToolFileOverride() = file; }

QString DateTimeText(const QDateTime& local) {
    // The toolkit's short date format uses "mm" for months; Qt's uses "MM".
    QString fmt = sShortDateFormat.isEmpty() ? QStringLiteral("yyyy/mm/dd") : sShortDateFormat;
    fmt.replace(QLatin1String("mm"), QLatin1String("MM"));
    if (!sDateSeparator.isEmpty())
        fmt.replace(QLatin1Char('/'), sDateSeparator);
    QString text = local.date().toString(fmt);
    if (local.time() != QTime(0, 0))
        text += QLatin1Char(' ') + local.time().toString(sLongTimeFormat);
    return text;
}

void ClearSharedState() {
    for (QString* s : {&sExePath, &sExeName, &sProgramVersion, &sCommonHost, &sCommonUser,
                       &sCommonPswd, &sCommonDBName, &sCommonConnector, &sCloudHost, &sCloudUser,
                       &sCloudPswd, &sCloudDBName, &sCloudConnector, &sPgmDescription,
                       &sStatusText1, &sStatusText2, &sStatusText3, &sStatusKind1, &sStatusKind2,
                       &sStatusKind3})
        s->clear();
}

QString PadLeft(const QString& text, QChar ch, int width) {
    const int n = width - static_cast<int>(text.size());
    return n >= 1 ? QString(n, ch) + text : text;
}

static QString TwoDigits(int v) { return PadLeft(QString::number(v), QLatin1Char('0'), 2); }

QString DateTextFor(const QDate& today, int days) {
    const QDate d = today.addDays(days);
    return QString::number(d.year()) + QLatin1Char('/') + TwoDigits(d.month()) +
           QLatin1Char('/') + TwoDigits(d.day());
}

QString DateText(int days) { return DateTextFor(QDate::currentDate(), days); }

QString TimeTextFor(const QTime& t) {
    return TwoDigits(t.hour()) + QLatin1Char(':') + TwoDigits(t.minute()) + QLatin1Char(':') +
           TwoDigits(t.second());
}

QString TimeText() { return TimeTextFor(QTime::currentTime()); }

QString TrimControl(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 32)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

QString UpperAscii(const QString& text) {
    QString r = text;
    for (QChar& c : r)
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(c.unicode() - 32);
    return r;
}

void SetCursorMode(const QString& mode) {
    const QString m = UpperAscii(mode);
    auto set = [](Qt::CursorShape shape) {
        // One override at a time, so "RESET" always brings back the plain arrow.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        if (shape != Qt::ArrowCursor)
            QGuiApplication::setOverrideCursor(QCursor(shape));
    };
    if (m == QLatin1String("RESET"))
        set(Qt::ArrowCursor);
    else if (m == QLatin1String("BUSY"))
        set(Qt::WaitCursor);
    else if (m == QLatin1String("HAND"))
        set(Qt::PointingHandCursor);
    else if (m == QLatin1String("SQL"))
        set(Qt::BusyCursor); // the arrow with a small hourglass: waiting on the database
    QCoreApplication::processEvents();
}

QString VersionText(unsigned major, unsigned minor, unsigned release) {
    return QString::number(major) + QLatin1Char('.') +
           PadLeft(QString::number(minor), QLatin1Char('0'), 2) + QLatin1Char('.') +
           QString::number(release);
}

// A bare name is looked for beside the running program first, as Windows' search order does.
static QString ResolveProgramFile(const QString& file) {
    QFileInfo fi(file);
    if (fi.isAbsolute() || file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')))
        return file;
    return QFileInfo(ToolProgramFile()).absolutePath() + QLatin1Char('/') + file;
}

QString GetProgramVersion(const QString& file) {
    const QString path = ResolveProgramFile(file);
    const QFileInfo fi(path);
    // An ELF or Mach-O build of the tool has no version resource: it reports the version
    // compiled into it, in the same form.
    if (fi.exists() &&
        fi.canonicalFilePath() == QFileInfo(ToolProgramFile()).canonicalFilePath() &&
        !platform::LooksLikePeFile(ToFsPath(path)))
        return VersionText(CORUPD_VERSION_MAJOR, CORUPD_VERSION_MINOR, CORUPD_VERSION_PATCH);

    const platform::PeVersionResult r = platform::ReadPeVersionFile(ToFsPath(path));
    if (r.version)
        return VersionText(r.version->major, r.version->minor, r.version->release);
    ShowErrorBox(QStringLiteral("Get Program Version FAILED : ") + file);
    return QStringLiteral("0.0.0");
}

void ResetGrid(StringGrid& grid) {
    const QColor window = QGuiApplication::palette().color(QPalette::Base);
    for (int row = 1; row < grid.RowCount(); ++row) {
        grid.SetRowColor(row, window);
        for (int col = 0; col < grid.ColCount(); ++col) {
            grid.SetCell(col, row, QString());
            grid.RemoveCheckBox(col, row);
        }
    }
    grid.SetRowCount(2);
}
