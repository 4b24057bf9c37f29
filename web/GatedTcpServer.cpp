#include "web/GatedTcpServer.h"

#include "web/HttpCompat.h"

#include <QTcpSocket>

#include <vector>

TGatedTcpServer::TGatedTcpServer(TGateLimits limits, QObject* parent)
    : QTcpServer(parent), FLimits(limits) {
    // Only while there are connections: an idle service wakes nobody.
    FDeadlines.setInterval(1000);
    connect(&FDeadlines, &QTimer::timeout, this, &TGatedTcpServer::CheckDeadlines);
}

void TGatedTcpServer::WatchAfterTheServer() {
    AfterConnectionsTaken(this, this, [this] {
        for (auto& [socket, watch] : FWatched) {
            if (watch.Followed)
                continue;
            watch.Followed = true;
            QTcpSocket* const watched = socket;
            connect(watched, &QTcpSocket::readyRead, this, [this, watched] {
                const auto found = FWatched.find(watched);
                if (found != FWatched.end())
                    found->second.Seen = watched->bytesAvailable();
            });
        }
    });
}

void TGatedTcpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    ForgetClosed();
    if (Connections() >= kMaxConnections) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        Refuse(socket, 503);
        return;
    }
    FWatched.erase(socket); // a new socket where a deleted one was
    TWatch& watch = FWatched[socket];
    watch.Socket = socket;
    watch.Gate = TRequestGate(FLimits);
    watch.Quiet.start();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Look(socket); });
    if (!FDeadlines.isActive())
        FDeadlines.start();
    addPendingConnection(socket);
}

void TGatedTcpServer::Look(QTcpSocket* socket) {
    const auto found = FWatched.find(socket);
    if (found == FWatched.end())
        return;
    TWatch& watch = found->second;
    if (watch.Refused) {
        socket->readAll(); // nothing of a refused connection reaches the HTTP server
        return;
    }
    watch.Quiet.start();
    const qint64 available = socket->bytesAvailable();
    const QByteArray bytes = socket->peek(available);
    const qint64 from = std::min<qint64>(watch.Seen, bytes.size());
    const bool wasInRequest = watch.Gate.InRequest();
    const TGateVerdict verdict = watch.Gate.Feed(
        std::string_view(bytes.constData() + from, static_cast<std::size_t>(bytes.size() - from)));
    watch.Seen = available;
    if (!wasInRequest && watch.Gate.InRequest())
        watch.Request.start();
    if (verdict == TGateVerdict::Upgraded) {
        // A WebSocket from here on: the service limits those, and nothing of the gate stays.
        disconnect(socket, nullptr, this, nullptr);
        FWatched.erase(found);
    } else if (verdict == TGateVerdict::Refused)
        Refuse(socket, watch.Gate.Status());
}

void TGatedTcpServer::Refuse(QTcpSocket* socket, int status) {
    if (const auto found = FWatched.find(socket); found != FWatched.end())
        found->second.Refused = true;
    const QByteArray reason = ReasonPhrase(status);
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                        "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                        QByteArray::number(reason.size() + 1) + "\r\nConnection: close\r\n";
    if (status == 405)
        answer += "Allow: GET, HEAD, POST\r\n";
    answer += "\r\n" + reason + '\n';
    socket->readAll();
    socket->write(answer);
    socket->disconnectFromHost();
}

int TGatedTcpServer::Connections() {
    ForgetClosed();
    return static_cast<int>(FWatched.size());
}

void TGatedTcpServer::ForgetClosed() {
    std::erase_if(FWatched, [](const auto& entry) {
        return !entry.second.Socket ||
               entry.second.Socket->state() == QAbstractSocket::UnconnectedState;
    });
    if (FWatched.empty())
        FDeadlines.stop();
}

void TGatedTcpServer::CheckDeadlines() {
    ForgetClosed();
    std::vector<std::pair<QTcpSocket*, int>> late;
    for (auto& [socket, watch] : FWatched) {
        if (watch.Refused)
            continue;
        if (watch.Gate.InRequest() && watch.Request.elapsed() > kRequestMs)
            late.emplace_back(socket, 408);
        else if (!watch.Gate.InRequest() && watch.Quiet.elapsed() > kIdleMs)
            late.emplace_back(socket, 0);
    }
    for (const auto& [socket, status] : late) {
        if (status)
            Refuse(socket, status);
        else
            socket->disconnectFromHost();
    }
}
