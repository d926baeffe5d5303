#pragma once
#include <QByteArray>
#include <QString>

// Reads a whole archive file into memory (one copy): a blob that SQL Server takes in one
// piece. False with the reason, naming the file, when it cannot be opened or read.
bool ReadWholeFile(const QString& path, QByteArray& bytes, QString& why);
