#pragma once

// What a connection to the front desk may send before the HTTP server holds it: the bytes are
// looked at as they arrive, and a request whose head or body is larger than the service ever
// needs, with a method it does not serve, or that it cannot frame is answered with its status
// and the connection closed, before anything buffers it whole. A WebSocket upgrade hands the
// rest of the connection on.

#include <cstddef>
#include <string>
#include <string_view>

struct TGateLimits {
    std::size_t HeadBytes = 16 * 1024;
    std::size_t BodyBytes = 64 * 1024;
};

enum class TGateVerdict { Pass, Upgraded, Refused };

class TRequestGate {
public:
    explicit TRequestGate(TGateLimits limits = {}) : FLimits(limits) {}

    // The next bytes of the connection, in order.
    TGateVerdict Feed(std::string_view bytes);

    // After Refused: the status to answer with (400, 405, 411, 413, 431, 501 or 505).
    int Status() const { return FStatus; }
    // Part of a request has come and not all of it.
    bool InRequest() const {
        return FState == TState::Head ? !FHead.empty() : FState == TState::Body;
    }
    // Requests whose last byte has come.
    std::size_t RequestsSeen() const { return FRequests; }

private:
    enum class TState { Head, Body, Upgraded, Refused };

    TGateVerdict Refuse(int status);
    TGateVerdict EndOfHead();

    TGateLimits FLimits;
    TState FState = TState::Head;
    std::string FHead;
    std::size_t FBodyLeft = 0;
    std::size_t FRequests = 0;
    int FStatus = 0;
};

// The statuses the gate and the service answer with, as their reason phrases.
const char* ReasonPhrase(int status);
