#include "tools/sim/Udp.h"

#include "tools/sim/RecordFormat.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// `code` is errno as the failed call left it: building the message may allocate, and so
// change errno.
std::string SystemError(int code, const std::string& what) {
    return what + ": " + std::strerror(code);
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

bool SetFlag(int socket, int option) {
    const int on = 1;
    return ::setsockopt(socket, SOL_SOCKET, option, &on, sizeof on) == 0;
}

} // namespace

bool ResolveIPv4(const std::string& host, std::uint16_t port, sockaddr_in& address,
                 std::string& error) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
        return true;
    in6_addr ipv6{};
    if (::inet_pton(AF_INET6, host.c_str(), &ipv6) == 1) {
        error = "\"" + host + "\" is an IPv6 address; the display listens on IPv4 only";
        return false;
    }
    // Digits and dots alone are a mistyped address, never a name worth asking the network for.
    if (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos) {
        error = "\"" + host + "\" is not an IPv4 address";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0 || found == nullptr) {
        error = "cannot find an IPv4 address for \"" + host +
                "\": " + (status != 0 ? ::gai_strerror(status) : "none found");
        return false;
    }
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

TUdpSocket::~TUdpSocket() {
    if (FSocket >= 0)
        ::close(FSocket);
}

bool TUdpSocket::Create(std::string& error) {
    FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (FSocket < 0) {
        const int code = errno;
        error = SystemError(code, "cannot create a UDP socket");
        return false;
    }
    return true;
}

bool TUdpSocket::OpenSender(std::string& error) {
    if (!Create(error))
        return false;
    if (!SetFlag(FSocket, SO_BROADCAST)) {
        const int code = errno;
        error = SystemError(code, "cannot allow broadcasting");
        return false;
    }
    return true;
}

bool TUdpSocket::OpenListener(const sockaddr_in& local, std::string& error) {
    if (!Create(error))
        return false;
    // The display sets SO_REUSEADDR, so that option shares the port with it, whichever of the
    // two binds first. SO_REUSEPORT, where the system has it, also admits the recorder among
    // listeners that set only that one; without it the recorder works all the same.
    if (!SetFlag(FSocket, SO_REUSEADDR)) {
        const int code = errno;
        error = SystemError(code, "cannot share the port with other listeners");
        return false;
    }
#ifdef SO_REUSEPORT
    SetFlag(FSocket, SO_REUSEPORT);
#endif
    if (::bind(FSocket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int code = errno;
        error = SystemError(code, "cannot listen on " + AddressText(local));
        return false;
    }
    return true;
}

bool TUdpSocket::Send(const sockaddr_in& to, std::string_view datagram, std::string& error) {
    const auto sent = ::sendto(FSocket, datagram.data(), datagram.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent == static_cast<ssize_t>(datagram.size()))
        return true;
    const int code = sent < 0 ? errno : EMSGSIZE;
    error = SystemError(code, "cannot send " + std::to_string(datagram.size()) + " bytes to " +
                                  AddressText(to));
    return false;
}

bool TUdpSocket::Receive(std::string& datagram, std::string& error) {
    FBuffer.resize(kMaxUdpPayload + 1);
    const auto received = ::recv(FSocket, FBuffer.data(), FBuffer.size(), MSG_DONTWAIT);
    if (received < 0) {
        const int code = errno;
        if (code != EAGAIN && code != EWOULDBLOCK && code != EINTR)
            error = SystemError(code, "cannot receive");
        return false;
    }
    datagram.assign(FBuffer.data(), static_cast<std::size_t>(received));
    return true;
}
