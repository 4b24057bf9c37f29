#include "core/ErrorReporter.h"

#include <QMessageBox>

#include <utility>

namespace {

void ShowMessageBox(const QString& text) {
    QMessageBox::warning(nullptr, QStringLiteral("Tallivue"), text, QMessageBox::Ok);
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ShowMessageBox;
    return reporter;
}

} // namespace

void ReportError(const QString& text) {
    CurrentReporter()(text);
}

TErrorReporter SetErrorReporter(TErrorReporter reporter) {
    if (!reporter)
        reporter = ShowMessageBox;
    return std::exchange(CurrentReporter(), std::move(reporter));
}
