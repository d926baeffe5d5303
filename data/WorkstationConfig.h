#pragma once
#include <QString>

// The folder that stands for drive C: "C:\" on Windows; elsewhere $CORVANE_DRIVE_C when set,
// else ${WINEPREFIX:-$HOME/.wine}/drive_c.
QString DriveCFolder();

// Reads MSHelp16.cnf below "<drive C>/Program Files (x86)" (or "Program Files" when there is
// no "(x86)" folder) + "/Common Files/Microsoft Shared/MSHelp16" into the common-database
// settings. False when a folder or the file is missing; shows nothing.
bool ReadWorkstationConfig();

// Where ReadWorkstationConfig looks for the file on this machine (for messages).
QString WorkstationConfigLocation();
