#include "app/ScreenSchedule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>

TScreenSchedule::TScreenSchedule(std::function<void(bool asleep)> setAsleep, QObject* parent)
    : QObject(parent), FSetAsleep(std::move(setAsleep)) {
    FMinute.setSingleShot(true);
    connect(&FMinute, &QTimer::timeout, this, &TScreenSchedule::Check);
}

std::vector<std::string> TScreenSchedule::Configure(const TSettingValues& settings) {
    std::vector<std::string> problems;
    FHours.Enabled = settings.Bool(sOpeningHours);
    for (std::size_t day = 0; day < FHours.Days.size(); ++day) {
        const auto id = static_cast<TSettingId>(sHoursMonday + day);
        const std::string& text = settings.Text(id);
        const std::optional<TDayHours> hours = ParseDayHours(text);
        FHours.Days[day] = hours.value_or(TDayHours{false, 0, 0});
        if (!hours && FHours.Enabled)
            problems.push_back("The setting \"" + std::string(SettingDef(id).Name) + "\" is \"" +
                               text +
                               "\", which is no time range such as 10:00-22:00: the screen "
                               "stays on all that day.");
    }
    Check();
    return problems;
}

void TScreenSchedule::Played() {
    FPlayed.start();
    if (FAsleep)
        CheckSoon();
}

bool TScreenSchedule::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        FInput.start();
        CheckSoon();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void TScreenSchedule::CheckSoon() {
    if (FCheckPending)
        return;
    FCheckPending = true;
    QTimer::singleShot(0, this, [this] {
        FCheckPending = false;
        Check();
    });
}

void TScreenSchedule::Check() {
    const QDateTime now = QDateTime::currentDateTime();
    const TScreenMoment moment{now.date().dayOfWeek(), now.time().hour() * 60 + now.time().minute(),
                               FPlayed.isValid() ? FPlayed.elapsed() : -1,
                               FInput.isValid() ? FInput.elapsed() : -1};
    const bool asleep = !ScreenWanted(FHours, moment);
    if (asleep != FAsleep) {
        FAsleep = asleep;
        // Only a sleeping display listens to every key and mouse move.
        if (asleep)
            QCoreApplication::instance()->installEventFilter(this);
        else
            QCoreApplication::instance()->removeEventFilter(this);
        FSetAsleep(asleep);
    }
    if (!FHours.Enabled) {
        FMinute.stop();
        return;
    }
    // Just after the next minute begins, when the hours may open or close.
    const int intoMinute = now.time().second() * 1000 + now.time().msec();
    FMinute.start(60'000 - intoMinute + 50);
}
