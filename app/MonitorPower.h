#pragma once

// Asks the monitor to sleep while the display is closed, and to wake at opening: on X11 through
// the server's DPMS extension, on Windows through the monitor power message. Where the monitor
// cannot be asked (an X server without DPMS, Wayland, a test's screen) one line says so, once,
// and the black window stays all the same.

#include <string>

class QWidget;

class TMonitorPower {
public:
    void Sleep(QWidget& window);
    void Wake(QWidget& window);

private:
    // Empty when the monitor was asked; else why it could not be.
    std::string AskToSleep(QWidget& window);

    bool FAsleep = false;    // asked to sleep, and not woken since
    bool FTold = false;      // the reason it cannot sleep has been written
    bool FDpmsWasOn = false; // X11: DPMS was enabled before; it is left as it was found
};
