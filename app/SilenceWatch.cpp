#include "app/SilenceWatch.h"

#include "app/Listener.h"
#include "core/MessageLog.h"

#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>

TSilenceWatch::TSilenceWatch(QWidget& window, const TListener& listener)
    : QObject(&window), FListener(listener), FLine(new QLabel(&window)) {
    FLine->setObjectName(QStringLiteral("no_signal_label"));
    FLine->setTextFormat(Qt::PlainText);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    FLine->setFont(font);
    FLine->setStyleSheet(QStringLiteral("color: #C0C0C0; background: black; padding: 2px 4px"));
    FLine->hide();
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::CoarseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TSilenceWatch::Check);
    FWatching.start();
}

void TSilenceWatch::Configure(std::int64_t limitMs) {
    FLimitMs = std::max<std::int64_t>(limitMs, 0);
    if (FLimitMs == 0) {
        FTimer.stop();
        FSilentSince = QDateTime();
        FLine->hide();
        return;
    }
    if (FSilentSince.isValid())
        Place(); // the window may have been laid out anew
    else
        Check();
}

void TSilenceWatch::Place() {
    // The top left corner: the scroll message runs along the bottom.
    FLine->move(4, 4);
    FLine->raise();
}

void TSilenceWatch::Taken() {
    if (!FSilentSince.isValid() || Believed() == FBelievedAt)
        return;
    FSilentSince = QDateTime();
    FLine->hide();
    Check();
}

std::uint64_t TSilenceWatch::Believed() const {
    return FListener.Received() - FListener.Dropped();
}

void TSilenceWatch::Check() {
    if (FLimitMs == 0)
        return;
    const qint64 heard = FListener.MsSinceHeard();
    const qint64 silentMs = heard >= 0 ? heard : FWatching.elapsed();
    if (silentMs < FLimitMs) {
        // Looked at again when the silence would have lasted long enough, not before.
        FTimer.start(static_cast<int>(std::min<std::int64_t>(FLimitMs - silentMs + 50, 3'600'000)));
        return;
    }
    FSilentSince = QDateTime::currentDateTime().addMSecs(-silentMs);
    FBelievedAt = Believed();
    // The system's short time, to the minute (some locales' short format has the seconds), and
    // its short date too once the silence began on another day.
    const QLocale locale = QLocale::system();
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]s+")));
    if (FSilentSince.date() != QDate::currentDate())
        format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + format;
    const QString since = locale.toString(FSilentSince, format);
    const QString text = QStringLiteral("No signal from the controller since %1").arg(since);
    LogLine(text.toStdString());
    FLine->setText(text);
    FLine->adjustSize();
    FLine->show();
    Place();
}
