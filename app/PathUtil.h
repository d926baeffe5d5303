#pragma once
#include <QString>
#include <filesystem>

// QString <-> std::filesystem::path without passing through the locale's 8-bit code page.
inline std::filesystem::path ToFsPath(const QString& s) {
    return std::filesystem::path(s.toStdU16String());
}
inline QString FromFsPath(const std::filesystem::path& p) {
    return QString::fromStdU16String(p.u16string());
}
