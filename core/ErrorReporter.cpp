#include "core/ErrorReporter.h"

#include "core/MessageLog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

#include <cstdio>
#include <utility>

namespace {

// The texts waiting for a box, and the box on screen.
class TErrorBoxes : public QObject {
public:
    using QObject::QObject;

    void Add(const QString& text) {
        if ((FBox && text == FShowing) || FWaiting.contains(text))
            return;
        FWaiting << text;
        // An unattended display's boxes are read by nobody: the journal of its service, or the
        // log of its session or kiosk, keeps each one as a line.
        QString line = text;
        line.replace(u'\n', u' ');
        LogLine(line.simplified().toStdString());
        ShowNextLater();
    }

private:
    // From the event loop, so that the handler that failed has finished first.
    void ShowNextLater() {
        if (FBox || FScheduled || FWaiting.isEmpty())
            return;
        FScheduled = true;
        QMetaObject::invokeMethod(this, &TErrorBoxes::ShowNext, Qt::QueuedConnection);
    }

    void ShowNext() {
        FScheduled = false;
        if (FBox || FWaiting.isEmpty())
            return;
        FShowing = FWaiting.takeFirst();
        // Modal, but shown rather than executed: the program keeps handling datagrams, timers
        // and sounds while the box waits for OK. Above a display that stays on top.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tallivue"), FShowing,
                                    QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Messages quote file names and settings, which may look like HTML: shown as they are.
        box->setTextFormat(Qt::PlainText);
        box->setWindowModality(Qt::ApplicationModal);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        connect(box, &QMessageBox::finished, this, [this] {
            FBox = nullptr;
            FShowing.clear();
            ShowNextLater();
        });
        FBox = box;
        box->show();
        // On an X server without a window manager nothing else gives the box the keyboard.
        box->activateWindow();
    }

    QStringList FWaiting;
    QString FShowing;
    QPointer<QMessageBox> FBox;
    bool FScheduled = false;
};

void ShowInBox(const QString& text) {
    static QPointer<TErrorBoxes> boxes;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "Tallivue: %s\n", qPrintable(text)); // no windows to show it in
        return;
    }
    if (!boxes)
        boxes = new TErrorBoxes(QCoreApplication::instance());
    boxes->Add(text);
}

TErrorReporter& CurrentReporter() {
    static TErrorReporter reporter = ShowInBox;
    return reporter;
}

} // namespace

void ReportError(const QString& text) {
    CurrentReporter()(text);
}

TErrorReporter SetErrorReporter(TErrorReporter reporter) {
    if (!reporter)
        reporter = ShowInBox;
    return std::exchange(CurrentReporter(), std::move(reporter));
}
