#pragma once

#include "web/RequestGate.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <map>

class QTcpSocket;

// The front desk's listening socket. Each connection passes a request gate before the HTTP
// server reads it; beyond kMaxConnections at once, or once a request has taken longer than
// kRequestMs to arrive, the connection is answered with its status and closed, and a connection
// that has sent nothing for kIdleMs is closed. WebSocket connections count, and are left alone
// once upgraded.
class TGatedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    static constexpr int kMaxConnections = 128;
    static constexpr int kRequestMs = 10'000;
    static constexpr int kIdleMs = 120'000;

    TGatedTcpServer(TGateLimits limits, QObject* parent);
    // After the HTTP server is bound: from then on the gate sees each connection's bytes
    // before the HTTP server reads them, and learns how many it left.
    void WatchAfterTheServer();
    // HTTP connections open now; upgraded ones are the service's to count.
    int Connections();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct TWatch {
        QPointer<QTcpSocket> Socket; // gone with the socket, whoever deletes it
        TRequestGate Gate;
        qint64 Seen = 0;       // bytes in the socket's buffer that the gate has looked at
        QElapsedTimer Quiet;   // since the last bytes
        QElapsedTimer Request; // since the request now arriving began
        bool Refused = false;
        bool Followed = false; // the after-reading handler is connected
    };

    void Look(QTcpSocket* socket);
    void Refuse(QTcpSocket* socket, int status);
    void CheckDeadlines();
    // Forgets connections whose sockets are gone: the HTTP server cuts every connection of a
    // socket it hands to the WebSocket server, the one that told of its end among them.
    void ForgetClosed();

    TGateLimits FLimits;
    std::map<QTcpSocket*, TWatch> FWatched;
    QTimer FDeadlines;
};
