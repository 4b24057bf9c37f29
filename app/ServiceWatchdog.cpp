#include "app/ServiceWatchdog.h"

#ifdef TALLIVUE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

#include <algorithm>
#include <cstdint>

TServiceWatchdog::TServiceWatchdog(QObject* parent) : QObject(parent) {
    FBeat.setTimerType(Qt::CoarseTimer);
    connect(&FBeat, &QTimer::timeout, this, &TServiceWatchdog::Beat);
#ifdef TALLIVUE_SYSTEMD
    std::uint64_t allowedUs = 0;
    // 0 keeps the variables: a display started from it hands nothing on to what it starts.
    if (sd_watchdog_enabled(0, &allowedUs) > 0)
        FBeat.setInterval(
            static_cast<int>(std::clamp<std::uint64_t>(allowedUs / 2000, 1, 3'600'000)));
#endif
}

void TServiceWatchdog::Ready() {
#ifdef TALLIVUE_SYSTEMD
    sd_notify(0, "READY=1");
    if (FBeat.interval() > 0) {
        Beat();
        FBeat.start();
    }
#endif
}

void TServiceWatchdog::Beat() {
#ifdef TALLIVUE_SYSTEMD
    sd_notify(0, "WATCHDOG=1");
#endif
}
