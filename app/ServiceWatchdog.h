#pragma once

// Tells the service manager that started the display (systemd, through NOTIFY_SOCKET) that it
// is up, and then keeps telling it that it still runs. The heartbeat is a timer on the display's
// own event loop: a loop that hangs stops it, and the service manager restarts the display.
// Where nothing asked for a heartbeat (no systemd, or no watchdog in the unit) it does nothing.

#include <QObject>
#include <QTimer>

class TServiceWatchdog : public QObject {
public:
    explicit TServiceWatchdog(QObject* parent = nullptr);

    // The display's window shows: startup is over.
    void Ready();

private:
    void Beat();

    QTimer FBeat; // every half of the service manager's allowance: one late beat is forgiven
};
