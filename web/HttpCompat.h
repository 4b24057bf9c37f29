#pragma once

// What Qt HTTP Server changed between 6.4 (Debian 12) and 6.8 (Debian 13), in one place: how
// headers are set and read, how a listening TCP server is handed over, which signal the HTTP
// server takes new connections on, and that 6.8 upgrades a WebSocket only when asked to.

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class QAbstractHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QObject;
class QTcpServer;

using THeaderList = std::initializer_list<std::pair<QByteArray, QByteArray>>;

void SetHeaders(QHttpServerResponse& response, THeaderList headers);
QByteArray RequestHeader(const QHttpServerRequest& request, const QByteArray& name);

// `server` is listening; the HTTP server answers on it from now on.
void BindListeningServer(QAbstractHttpServer& http, QTcpServer* server);

// Calls `taken` once the HTTP server has taken the connections waiting on `server`, so that
// what `taken` connects to a socket runs after the HTTP server's own handlers.
void AfterConnectionsTaken(QTcpServer* server, QObject* context, std::function<void()> taken);

// Lets WebSocket upgrades through at `path` only.
void AcceptWebSocketsAt(QAbstractHttpServer& http, QObject* context, const QString& path);
