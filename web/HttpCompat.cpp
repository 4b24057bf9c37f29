#include "web/HttpCompat.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QtGlobal>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QHttpHeaders>
#include <QHttpServerWebSocketUpgradeResponse>
#endif

void SetHeaders(QHttpServerResponse& response, THeaderList headers) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QHttpHeaders all = response.headers();
    for (const auto& [name, value] : headers)
        all.replaceOrAppend(name, value);
    response.setHeaders(std::move(all));
#else
    for (const auto& [name, value] : headers)
        response.setHeader(name, value);
#endif
}

QByteArray RequestHeader(const QHttpServerRequest& request, const QByteArray& name) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    return request.headers().value(name).toByteArray();
#else
    return request.value(name);
#endif
}

void BindListeningServer(QAbstractHttpServer& http, QTcpServer* server) {
    http.bind(server);
}

void AfterConnectionsTaken(QTcpServer* server, QObject* context, std::function<void()> taken) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QObject::connect(server, &QTcpServer::pendingConnectionAvailable, context, std::move(taken));
#else
    QObject::connect(server, &QTcpServer::newConnection, context, std::move(taken));
#endif
}

void AcceptWebSocketsAt(QAbstractHttpServer& http, QObject* context, const QString& path) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    http.addWebSocketUpgradeVerifier(context, [path](const QHttpServerRequest& request) {
        return request.url().path() == path ? QHttpServerWebSocketUpgradeResponse::accept()
                                            : QHttpServerWebSocketUpgradeResponse::deny();
    });
#else
    // 6.4 upgrades every request that asks; the service closes those at any other path.
    Q_UNUSED(http);
    Q_UNUSED(context);
    Q_UNUSED(path);
#endif
}
