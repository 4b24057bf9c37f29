#pragma once

#include "core/ErrorReporter.h"

#include <QStringList>

// Collects reported errors instead of showing message boxes, for as long as it lives.
class RecordingReporter {
public:
    RecordingReporter() {
        FPrevious = SetErrorReporter([this](const QString& text) { Messages << text; });
    }
    ~RecordingReporter() { SetErrorReporter(FPrevious); }
    RecordingReporter(const RecordingReporter&) = delete;
    RecordingReporter& operator=(const RecordingReporter&) = delete;

    QStringList Messages;

private:
    TErrorReporter FPrevious;
};
