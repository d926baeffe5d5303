#pragma once
// Lets GoogleTest print a QString as text rather than as UTF-16 code units.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
