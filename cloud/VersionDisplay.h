#pragma once
#include <QString>

// How a stored release version shows in the cloud release list: the first two characters, ".",
// the third and fourth, ".", the last two ("100512" -> "10.05.12"). Pieces that run past the
// end are cut short; a value shorter than two characters is its own last piece ("7" -> "7..7").
// Only the shown text changes; the stored value stays as it is.
QString VersionDisplayText(const QString& version);
