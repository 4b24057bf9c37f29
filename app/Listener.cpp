#include "app/Listener.h"

#include "core/MessageLog.h"

#include "core/ErrorReporter.h"

#include <QSocketNotifier>

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// A sender that keeps trying is logged once a minute, not once a datagram.
constexpr qint64 kDropLogInterval = 60'000;

#ifdef _WIN32
using TAddressLength = int;
using TSocketHandle = SOCKET;
int LastSocketError() {
    return WSAGetLastError();
}
bool IsValid(qintptr socket) {
    return static_cast<SOCKET>(socket) != INVALID_SOCKET;
}
bool MakeNonBlocking(qintptr socket) {
    u_long on = 1;
    return ioctlsocket(static_cast<SOCKET>(socket), FIONBIO, &on) == 0;
}
void CloseSocket(qintptr socket) {
    closesocket(static_cast<SOCKET>(socket));
}
#else
using TAddressLength = socklen_t;
using TSocketHandle = int;
int LastSocketError() {
    return errno;
}
bool IsValid(qintptr socket) {
    return socket >= 0;
}
bool MakeNonBlocking(qintptr socket) {
    const int flags = fcntl(static_cast<int>(socket), F_GETFL, 0);
    return flags >= 0 && fcntl(static_cast<int>(socket), F_SETFL, flags | O_NONBLOCK) == 0;
}
void CloseSocket(qintptr socket) {
    ::close(static_cast<int>(socket));
}
#endif

} // namespace

TListener::TListener(QObject* parent) : QObject(parent) {}

TListener::~TListener() {
    Close();
}

void TListener::Open() {
#ifdef _WIN32
    WSADATA data;
    FLibraryStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
#endif
    const TSocketHandle handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    FSocket = static_cast<qintptr>(handle);
    if (!IsValid(FSocket)) {
        ReportSocketError(LastSocketError());
        FSocketReady = false;
        return;
    }

    int on = 1;
    if (::setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0)
        ReportSocketError(LastSocketError());
    // A receive must never wait: readiness can be announced for a datagram that another reader
    // of the shared address has taken meanwhile.
    if (!MakeNonBlocking(FSocket))
        ReportSocketError(LastSocketError());

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kDatagramPort);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        ReportSocketError(LastSocketError());

    FNotifier = new QSocketNotifier(FSocket, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TListener::Readable);
    Arm();
    FSocketReady = true;
}

void TListener::Arm() {
    if (FNotifier)
        FNotifier->setEnabled(true);
}

void TListener::Suspend() {
    if (FNotifier)
        FNotifier->setEnabled(false);
}

bool TListener::Armed() const {
    return FNotifier && FNotifier->isEnabled();
}

void TListener::Close() {
    if (FDroppedUnlogged > 0)
        LogDropped();
    delete FNotifier;
    FNotifier = nullptr;
    if (IsValid(FSocket))
        CloseSocket(FSocket);
    FSocket = -1;
    FSocketReady = false;
#ifdef _WIN32
    if (FLibraryStarted)
        WSACleanup();
#endif
    FLibraryStarted = false;
}

std::span<char> TListener::Receive() {
    FRecvBuffer[0] = '\0';
    if (!IsValid(FSocket))
        return {};
    sockaddr_in sender{};
    TAddressLength senderLength = sizeof sender;
    const auto received = ::recvfrom(static_cast<TSocketHandle>(FSocket), FRecvBuffer.data(),
                                     static_cast<int>(kMaxDatagramBytes), 0,
                                     reinterpret_cast<sockaddr*>(&sender), &senderLength);
    std::size_t length = received > 0 ? static_cast<std::size_t>(received) : 0;
    bool read = received >= 0;
#ifdef _WIN32
    // Windows reports a cut datagram as an error, with the buffer filled all the same.
    if (received < 0 && WSAGetLastError() == WSAEMSGSIZE) {
        length = kMaxDatagramBytes;
        read = true;
    }
#endif
    if (!read)
        return {};
    ++FReceived;
    if (FFilter.Active() && !FFilter.Allows(ntohl(sender.sin_addr.s_addr))) {
        CountDropped(ntohl(sender.sin_addr.s_addr));
        return {};
    }
    FLastSender = ntohl(sender.sin_addr.s_addr);
    FLastHeard.start();
    FRecvBuffer[length] = '\0';
    length = std::strlen(FRecvBuffer.data());
    return {FRecvBuffer.data(), length};
}

void TListener::CountDropped(std::uint32_t sender) {
    ++FDropped;
    ++FDroppedUnlogged;
    FLastDropped = sender;
    if (!FLastDropLog.isValid() || FLastDropLog.elapsed() >= kDropLogInterval)
        LogDropped();
}

void TListener::LogDropped() {
    // The operator's only way to see that someone else is sending: standard error, which the
    // desktop session or the system journal keeps.
    LogLine("dropped " + std::to_string(FDroppedUnlogged) +
            " datagram(s) from senders not named in \"ControllerAddress\" (the last from " +
            FormatIPv4Address(FLastDropped) + "); " + std::to_string(FDropped) + " in all");
    FDroppedUnlogged = 0;
    FLastDropLog.start();
}

void TListener::ReportSocketError(int code) {
    ReportError(QStringLiteral("Socket error %1 occurred.\nNote that Tallivue will _not_ run on "
                               "the same machine as Game Control Centre.")
                    .arg(code));
}
