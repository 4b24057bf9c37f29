#pragma once

// IPv4 UDP through the system's sockets, as the display itself uses them: the display listens on
// IPv4 only, and the options that let a sender broadcast and a recorder share the display's port
// are set where Qt's sockets give no hold on them.

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <string_view>

// An IPv4 address in dotted form, or a host name with an IPv4 address. False with a message
// when there is none.
bool ResolveIPv4(const std::string& host, std::uint16_t port, sockaddr_in& address,
                 std::string& error);

class TUdpSocket {
public:
    TUdpSocket() = default;
    TUdpSocket(const TUdpSocket&) = delete;
    TUdpSocket& operator=(const TUdpSocket&) = delete;
    ~TUdpSocket();

    // A socket that may send to broadcast addresses as well as to single hosts.
    bool OpenSender(std::string& error);
    // A socket bound to `local` that shares its address with other listeners, the display
    // among them.
    bool OpenListener(const sockaddr_in& local, std::string& error);

    bool Send(const sockaddr_in& to, std::string_view datagram, std::string& error);
    // Takes one waiting datagram, whole. False when none waits, or, with a message in `error`,
    // when the socket failed.
    bool Receive(std::string& datagram, std::string& error);

    int Descriptor() const { return FSocket; }

private:
    bool Create(std::string& error);

    int FSocket = -1;
    std::string FBuffer;
};
