// Conversions at the window boundary: the core keeps UTF-8 std::string, windows use QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qx {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string ToUtf8(const QString& s) {
    return s.toUtf8().toStdString();
}

}  // namespace qx
