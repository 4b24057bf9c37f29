#pragma once

#include "app/ControllerFilter.h"
#include "app/Protocol.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <span>

class QSocketNotifier;

// The one UDP socket the controller's datagrams arrive on: every IPv4 interface, port 12001,
// the address shared with other listeners. It only ever receives.
class TListener : public QObject {
    Q_OBJECT

public:
    explicit TListener(QObject* parent = nullptr);
    ~TListener() override;

    // Creates the socket, lets the address be shared, binds it and arms notification. Every
    // failure is reported. After a failed bind the listener is still armed and ready; it simply
    // never hears anything, as a display started beside the controller would not.
    void Open();
    // Readiness is announced through Readable() while armed; datagrams arriving while
    // suspended wait in the socket and are announced as soon as it is armed again.
    void Arm();
    void Suspend();
    bool Armed() const;
    // Closes the socket if it was set up.
    void Close();
    bool SocketReady() const { return FSocketReady; }

    // Takes one waiting datagram of at most 999 bytes (the rest of a longer one is lost) into
    // the receive buffer. The text ends at its first zero byte; empty when nothing waited, and
    // for a datagram from a sender the filter does not allow, which is counted and logged.
    std::span<char> Receive();

    // Who is believed from now on.
    void SetControllerFilter(const TControllerFilter& filter) { FFilter = filter; }
    // Datagrams read since the socket was opened, and those of them dropped for their sender.
    std::uint64_t Received() const { return FReceived; }
    std::uint64_t Dropped() const { return FDropped; }
    // The sender of the last datagram believed, and how long ago it came; -1 before the first.
    std::uint32_t LastSender() const { return FLastSender; }
    qint64 MsSinceHeard() const { return FLastHeard.isValid() ? FLastHeard.elapsed() : -1; }

signals:
    void Readable();

private:
    void ReportSocketError(int code);
    void CountDropped(std::uint32_t sender);
    void LogDropped();

    qintptr FSocket = -1;
    bool FLibraryStarted = false;
    bool FSocketReady = false;
    QSocketNotifier* FNotifier = nullptr;
    std::array<char, kMaxDatagramBytes + 1> FRecvBuffer{};
    TControllerFilter FFilter;
    std::uint64_t FReceived = 0;
    std::uint64_t FDropped = 0;
    std::uint64_t FDroppedUnlogged = 0;
    std::uint32_t FLastDropped = 0;
    std::uint32_t FLastSender = 0;
    QElapsedTimer FLastHeard;
    QElapsedTimer FLastDropLog;
};
