#include "tools/sim/TimedSender.h"

#include "tools/sim/RecordFormat.h"

#include <cmath>
#include <cstdio>
#include <thread>

TTimedSender::TTimedSender(const sockaddr_in& to, double speed, bool quiet)
    : FTo(to), FSpeed(speed), FQuiet(quiet) {}

bool TTimedSender::Send(std::int64_t atMs, std::string_view datagram, std::string& error) {
    using namespace std::chrono;
    if (!FStarted) {
        FStart = steady_clock::now();
        FStarted = true;
    }
    const double dueMs = static_cast<double>(atMs) / FSpeed;
    std::this_thread::sleep_until(
        FStart + duration_cast<steady_clock::duration>(duration<double, std::milli>(dueMs)));
    if (!FSocket.Send(FTo, datagram, error))
        return false;
    if (!FQuiet) {
        // The time it was due, not the time it went: a line that replays as it was meant to.
        std::printf("%s\n", RecordLine(std::llround(dueMs), datagram).c_str());
        std::fflush(stdout);
    }
    return true;
}
