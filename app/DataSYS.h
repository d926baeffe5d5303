#pragma once
// Process-wide state of the tool and the small utilities every part uses.
#include <QString>

class StringGrid;

// --- process-wide values: empty at start, written during start-up ---
extern QString sExePath;        // tool folder, ends in the native separator
extern QString sExeName;        // the running program's file name
extern QString sProgramVersion; // the tool's own version text

extern QString sCommonHost, sCommonUser, sCommonPswd, sCommonDBName, sCommonConnector;
extern QString sCloudHost, sCloudUser, sCloudPswd, sCloudDBName, sCloudConnector;

extern QString sPgmDescription; // the last catalogue lookup's description

extern QString sStatusText1, sStatusText2, sStatusText3;
extern QString sStatusKind1, sStatusKind2, sStatusKind3;

// The process's date format, set at start-up and used by every default date-to-text
// conversion of the tool ("/" and "yyyy/mm/dd"); the long time format stays "hh:mm:ss".
extern QString sDateSeparator;
extern QString sShortDateFormat;
extern QString sLongTimeFormat;
// A Qt date-and-time text in the process's formats ("yyyy/mm/dd hh:mm:ss"); the time part is
// left out at exactly midnight.
QString DateTimeText(const class QDateTime& local);

// The tool's own program file (the running executable; tests may point it elsewhere).
QString ToolProgramFile();
void SetToolProgramFileForTests(const QString& file);

// Empties every value above (start of a test, process end).
void ClearSharedState();

// --- text utilities ---
// The text with ch put in front until it is `width` long; longer texts come back unchanged.
QString PadLeft(const QString& text, QChar ch, int width);
// Today plus `days`, as "yyyy/mm/dd".
QString DateText(int days);
// The local time now, "hh:mm:ss" on the 24-hour clock.
QString TimeText();
// DateText and TimeText for a given day and time, so they can be checked at any date.
QString DateTextFor(const class QDate& today, int days);
QString TimeTextFor(const class QTime& time);
// Trims characters of code 32 and below from both ends (the toolkit's Trim).
QString TrimControl(const QString& text);
// Upper-cases the ASCII letters a to z only.
QString UpperAscii(const QString& text);

// "RESET", "BUSY", "HAND" or "SQL" in any case: sets the application's cursor; every mode,
// known or not, then lets pending events run.
void SetCursorMode(const QString& mode);

// A program file's version as major.MM.release; "0.0.0" with the box
// "Get Program Version FAILED : " + file when it cannot be read.
QString GetProgramVersion(const QString& file);
// major.MM.release of a version, the minor part padded to two digits.
QString VersionText(unsigned major, unsigned minor, unsigned release);

// Empties a grid down to its header row and one blank data row.
void ResetGrid(StringGrid& grid);
