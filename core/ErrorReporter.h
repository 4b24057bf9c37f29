#pragma once

#include <QString>

#include <functional>

// Every failure the user must hear of goes through here. By default the text waits until the
// handler that failed has returned, and is then shown in a message box captioned with the
// program's name: one box at a time, without an event loop of its own, and a text already
// waiting or on screen is not queued again, so a display left alone for hours never piles up
// boxes. Each text given a box is also written to standard error, as one line. Tests swap in a
// recorder so that no box ever waits for them.
using TErrorReporter = std::function<void(const QString& text)>;

void ReportError(const QString& text);

// Installs `reporter` (an empty one restores the message boxes); returns the one it replaces.
TErrorReporter SetErrorReporter(TErrorReporter reporter);
