#pragma once

// Sends datagrams at given times, scaled by a speed, and shows each as a line of a recording.
// Times count from one start, so waits never add up to a drift.

#include "tools/sim/Udp.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class TTimedSender {
public:
    TTimedSender(const sockaddr_in& to, double speed, bool quiet);

    bool Open(std::string& error) { return FSocket.OpenSender(error); }
    // Waits until `atMs` divided by the speed has passed since the first call, then sends.
    bool Send(std::int64_t atMs, std::string_view datagram, std::string& error);

private:
    TUdpSocket FSocket;
    sockaddr_in FTo;
    double FSpeed;
    bool FQuiet;
    bool FStarted = false;
    std::chrono::steady_clock::time_point FStart;
};
