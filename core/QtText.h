#pragma once

// The program's text is UTF-8 throughout; it becomes a QString only where it meets Qt, and comes
// back from Qt as UTF-8.

#include <QString>

#include <string>
#include <string_view>

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) {
    return text.toStdString();
}
