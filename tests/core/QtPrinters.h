#pragma once

#include <QString>
#include <ostream>

// Readable test failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
