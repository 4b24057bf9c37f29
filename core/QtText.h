#pragma once

// Text is single-byte throughout the program; it becomes Latin-1 when it meets Qt.

#include <QString>

#include <string>
#include <string_view>

inline QString FromUtf8(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters beyond Latin-1 become "?".
inline std::string ToUtf8(const QString& text) {
    return text.toLatin1().toStdString();
}
