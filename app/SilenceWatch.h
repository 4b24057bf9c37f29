#pragma once

// Notices a controller that has gone quiet: once nothing has come from it for the set time, a
// small line in the window's corner says since when, until the next datagram, and the log says
// it once per silence. A quiet arena and a controller that stopped sending look alike on the
// board; this line tells them apart. It costs a timer that runs out once a silence at most.

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>

class QLabel;
class QWidget;
class TListener;

class TSilenceWatch : public QObject {
public:
    TSilenceWatch(QWidget& window, const TListener& listener);

    // How long a silence must last to be told; 0 tells none.
    void Configure(std::int64_t limitMs);
    std::int64_t LimitMs() const { return FLimitMs; }
    // Datagrams were taken: one believed from the controller ends a silence.
    void Taken();
    // When the silence now told began (-1 when none is told), in ms since 1970.
    std::int64_t SilentSinceMs() const {
        return FSilentSince.isValid() ? FSilentSince.toMSecsSinceEpoch() : -1;
    }

    QLabel* Line() const { return FLine; }

private:
    void Check();
    void Place(); // in the window's upper left corner, above everything else
    std::uint64_t Believed() const;

    const TListener& FListener;
    QLabel* FLine;
    QTimer FTimer;
    QElapsedTimer FWatching; // a display that never heard anything counts from its start
    std::int64_t FLimitMs = 0;
    QDateTime FSilentSince;        // invalid while no silence is told
    std::uint64_t FBelievedAt = 0; // the datagrams believed when it was told
};
