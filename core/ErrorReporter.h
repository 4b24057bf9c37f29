#pragma once

#include <QString>

#include <functional>

// Every failure the user must hear of goes through here: by default a message box captioned
// with the program's name. Tests swap in a recorder so that no modal box ever blocks them.
using TErrorReporter = std::function<void(const QString& text)>;

void ReportError(const QString& text);

// Installs `reporter` (an empty one restores the message box); returns the one it replaces.
TErrorReporter SetErrorReporter(TErrorReporter reporter);
