#include "WorkstationConfig.h"

#include "DataSYS.h"
#include "PathUtil.h"
#include "platform/DirSearch.h"
#include "platform/IniFile.h"

#include <QDir>

namespace {

const QString kProgramFiles = QStringLiteral("Program Files");
const QString kProgramFilesX86 = QStringLiteral("Program Files (x86)");
const QString kSharedFolder = QStringLiteral("Common Files/Microsoft Shared");
const QString kConfigFolder = QStringLiteral("MSHelp16");
const QString kConfigFile = QStringLiteral("MSHelp16.cnf");

QString Join(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool FolderExists(const QString& folder) {
    return platform::DirectoryExists(ToFsPath(folder));
}

// The program-files folder the suite installs below: "(x86)" wins whenever it exists.
QString ProgramFilesBase() {
    const QString drive = DriveCFolder();
    QString base;
    if (FolderExists(Join(drive, kProgramFiles)))
        base = Join(drive, kProgramFiles);
    if (FolderExists(Join(drive, kProgramFilesX86)))
        base = Join(drive, kProgramFilesX86);
    return base;
}

QString Setting(const platform::IniFile& ini, const char* section, const char* key) {
    return QString::fromStdString(ini.Get(section, key, {}));
}

} // namespace

QString DriveCFolder() {
#ifdef _WIN32
    return QStringLiteral("C:\\");
#else
    const QString drive = qEnvironmentVariable("CORVANE_DRIVE_C");
    if (!drive.isEmpty())
        return drive;
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = Join(qEnvironmentVariable("HOME"), QStringLiteral(".wine"));
    return Join(prefix, QStringLiteral("drive_c"));
#endif
}

bool ReadWorkstationConfig() {
    const QString base = ProgramFilesBase();
    if (TrimControl(base).isEmpty())
        return false;
    const QString shared = Join(base, kSharedFolder);
    if (!FolderExists(shared))
        return false;
    const QString folder = Join(shared, kConfigFolder);
    if (!FolderExists(folder))
        return false;
    const QString file = Join(folder, kConfigFile);
    if (!platform::FileExists(ToFsPath(file)))
        return false;

    const platform::IniFile ini = platform::IniFile::FromFile(ToFsPath(file));
    sCommonHost = Setting(ini, "Common", "Host");
    sCommonUser = Setting(ini, "Common", "User");
    sCommonPswd = Setting(ini, "Common", "Pswd");
    sCommonDBName = Setting(ini, "Common", "DBName");
    const QString connector = Setting(ini, "Till", "Connector");
    // A blank connector leaves the earlier choice; a real one is kept exactly as written.
    if (!TrimControl(connector).isEmpty())
        sCommonConnector = connector;
    return true;
}

QString WorkstationConfigLocation() {
    QString base = ProgramFilesBase();
    if (base.isEmpty())
        base = Join(DriveCFolder(), kProgramFilesX86);
    return QDir::toNativeSeparators(
        Join(Join(Join(base, kSharedFolder), kConfigFolder), kConfigFile));
}
