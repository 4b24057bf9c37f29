#pragma once

// The controller's side of a benchmark: plain datagrams to a port on loopback, one at a time or
// as a flood.

#include "bench/Figures.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

class TSender {
public:
    explicit TSender(int port) : FSocket(::socket(AF_INET, SOCK_DGRAM, 0)) {
        FTo.sin_family = AF_INET;
        FTo.sin_port = htons(static_cast<std::uint16_t>(port));
        FTo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~TSender() { ::close(FSocket); }
    TSender(const TSender&) = delete;
    TSender& operator=(const TSender&) = delete;
    void Send(const std::string& datagram) {
        ::sendto(FSocket, datagram.data(), datagram.size(), 0,
                 reinterpret_cast<const sockaddr*>(&FTo), sizeof FTo);
    }

private:
    int FSocket;
    sockaddr_in FTo{};
};

// Two full 60-pack messages that differ in every pack, so each one changes the whole grid.
inline std::vector<std::string> AlternatingDatagrams() {
    std::string played = "PACKSTATUS", downloaded = "PACKSTATUS";
    for (int i = 0; i < 60; ++i) {
        played += ",160";
        downloaded += ",64";
    }
    return {played, downloaded};
}

// Sends `datagrams` round and round, as fast as it can or at `perSecond`, for `seconds`.
inline std::uint64_t SendFor(int port, double seconds, double perSecond,
                             const std::vector<std::string>& datagrams) {
    TSender sender(port);
    const auto start = TClock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    std::uint64_t sent = 0;
    while (TClock::now() < end) {
        if (perSecond > 0) {
            // In bursts of a millisecond's worth, as a busy network delivers them.
            const auto due = start + std::chrono::duration<double>(sent / perSecond);
            std::this_thread::sleep_until(due);
        }
        const int burst = perSecond > 0 ? std::max(1, static_cast<int>(perSecond / 1000)) : 64;
        for (int i = 0; i < burst; ++i)
            sender.Send(datagrams[sent++ % datagrams.size()]);
    }
    return sent;
}
