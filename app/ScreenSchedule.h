#pragma once

// Follows the opening hours: outside them it puts the display to sleep, and wakes it at
// opening, for a game or a download (the arena is plainly open late), or for a key or the
// mouse, as a screensaver would. It looks at the clock once a minute, on the minute.

#include "app/OpeningHours.h"
#include "settings/SettingValues.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class TScreenSchedule : public QObject {
public:
    // `setAsleep` is told each change, never the same twice running.
    explicit TScreenSchedule(std::function<void(bool asleep)> setAsleep, QObject* parent = nullptr);

    // The hours as the settings give them; a day's text that is no time range keeps the screen
    // on that day, and a sentence for the operator says so.
    std::vector<std::string> Configure(const TSettingValues& settings);
    // The controller reports a game or a download.
    void Played();
    bool Asleep() const { return FAsleep; }

protected:
    // While asleep: a key or the mouse anywhere in the program.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Check();
    void CheckSoon(); // off the caller's path: a datagram's, or an event's

    std::function<void(bool)> FSetAsleep;
    TOpeningHours FHours;
    QTimer FMinute;
    QElapsedTimer FPlayed;
    QElapsedTimer FInput;
    bool FAsleep = false;
    bool FCheckPending = false;
};
