#include "web/WebService.h"

#include "app/FrontDeskSource.h"
#include "controls/PictureReader.h"
#include "core/ErrorReporter.h"
#include "core/MessageLog.h"
#include "core/QtText.h"
#include "settings/BoardAddress.h"
#include "settings/Platform.h"
#include "web/BoardJson.h"
#include "web/GatedTcpServer.h"
#include "web/HttpCompat.h"
#include "web/Responses.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QWebSocket>

#include <algorithm>

namespace {

// The page's own files, compiled in: no request's path ever reaches the file system.
struct TPageFile {
    const char* Path;
    const char* Resource;
    const char* Mime;
};
constexpr TPageFile kPageFiles[] = {
    {"/board.js", ":/web/board.js", "text/javascript; charset=utf-8"},
    {"/board.css", ":/web/board.css", "text/css; charset=utf-8"},
    {"/site.css", ":/web/site.css", "text/css; charset=utf-8"},
};

QByteArray Resource(const char* name) {
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A client that reads slower than the board changes is let go, not buffered for.
constexpr qint64 kMaxUnsentBytes = 1024 * 1024;

QString SettingsSource() {
#ifdef _WIN32
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + FromUtf8(std::string(kSettingsKeyPath));
#else
    return QString::fromStdString(SettingsFilePath().string());
#endif
}

} // namespace

QString ClientAddress(const QHttpServerRequest& request) {
    const QHostAddress address = request.remoteAddress();
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(ipv4).toString() : address.toString();
}

TWebService::TWebService(TFrontDeskSource& source, QObject* parent)
    : QObject(parent), FSource(source) {
    FUp.start();
    FPush.setSingleShot(true);
    FPush.setInterval(kPushDelayMs);
    connect(&FPush, &QTimer::timeout, this, &TWebService::Push);
}

TWebService::~TWebService() {
    Stop();
}

QString TWebService::UploadFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Pictures");
}

void TWebService::Configure(const TSettingValues& settings) {
    const std::int32_t port = settings.Integer(sWebPort);
    const QString text = FromUtf8(settings.Text(sWebAddress)).trimmed();
    QHostAddress address(QHostAddress::Any);
    QString problem;
    if (port != 0 && port < kLowestWebPort)
        problem = QStringLiteral("\"Web Port\" is %1, but ports below %2 belong to the system: the "
                                 "front desk's pages stay off until it names %2 or above.")
                      .arg(port)
                      .arg(kLowestWebPort);
    else if (port < 0 || port > 65535)
        problem =
            QStringLiteral("\"Web Port\" is %1, which is no port: the front desk's pages stay off.")
                .arg(port);
    else if (!text.isEmpty() && !address.setAddress(text))
        problem = QStringLiteral("\"Web Address\" is \"%1\", which is no address of this PC: the "
                                 "front desk's pages stay off.")
                      .arg(text);
    if (!problem.isEmpty()) {
        Stop();
        if (FReported.insert(problem).second)
            ReportError(problem);
        return;
    }
    if (port == 0) {
        Stop();
        return;
    }
    if (FHttp && FPort == port && FAddress == address)
        return;
    Stop();
    Start(address, static_cast<quint16>(port));
}

void TWebService::Start(const QHostAddress& address, quint16 port) {
    FHttp = std::make_unique<QHttpServer>();
    FListening = new TGatedTcpServer({16 * 1024, kUploadBytes + 64 * 1024}, FHttp.get());
    if (!FListening->listen(address, port)) {
        const QString problem =
            QStringLiteral("The front desk's pages cannot be served on port %1 (%2): %3. The "
                           "display goes on without them; choose another \"Web Port\".")
                .arg(port)
                .arg(address == QHostAddress::Any ? QStringLiteral("every interface")
                                                  : address.toString(),
                     FListening->errorString());
        FHttp.reset();
        FListening = nullptr;
        if (FReported.insert(problem).second)
            ReportError(problem);
        return;
    }
    AddRoutes();
    AcceptWebSocketsAt(*FHttp, this, QStringLiteral("/ws"));
    connect(FHttp.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &TWebService::TakeWebSockets);
    BindListeningServer(*FHttp, FListening);
    FListening->WatchAfterTheServer();
    FPort = port;
    FAddress = address;
    LogLine(
        "the front desk's board is at " +
        ToUtf8(BoardAddress(port, address == QHostAddress::Any ? QString() : address.toString())));
}

void TWebService::Stop() {
    for (QWebSocket* client : FClients) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    }
    FClients.clear();
    FPush.stop();
    FHttp.reset();
    FListening = nullptr;
    FPort = 0;
}

void TWebService::AddRoutes() {
    using Method = QHttpServerRequest::Method;
    FHttp->route(QStringLiteral("/"), Method::Get | Method::Head, [] {
        return HtmlResponse(QString::fromUtf8(Resource(":/web/board.html")), 200, TPageKind::Board);
    });
    for (const TPageFile& file : kPageFiles) {
        FHttp->route(QString::fromLatin1(file.Path), Method::Get | Method::Head, [file] {
            return BytesResponse(file.Mime, Resource(file.Resource), 200, true);
        });
    }
    FHttp->route(QStringLiteral("/status.json"), Method::Get | Method::Head,
                 [this] { return Status(); });
    FHttp->route(QStringLiteral("/screenshot.png"), Method::Get | Method::Head,
                 [this] { return Screenshot(); });
    FHttp->route(QStringLiteral("/settings"), Method::Get | Method::Head,
                 [this](const QHttpServerRequest& request) { return SettingsGet(request); });
    FHttp->route(QStringLiteral("/settings"), Method::Post,
                 [this](const QHttpServerRequest& request) { return SettingsPost(request); });
    FHttp->route(QStringLiteral("/settings/picture"), Method::Post,
                 [this](const QHttpServerRequest& request) { return PicturePost(request); });
    FHttp->route(QStringLiteral("/login"), Method::Post,
                 [this](const QHttpServerRequest& request) { return LoginPost(request); });
    FHttp->route(QStringLiteral("/logout"), Method::Post,
                 [this](const QHttpServerRequest& request) { return LogoutPost(request); });
}

void TWebService::TakeWebSockets() {
    while (FHttp && FHttp->hasPendingWebSocketConnections()) {
        QWebSocket* client = FHttp->nextPendingWebSocketConnection().release();
        client->setParent(this);
        if (client->requestUrl().path() != QStringLiteral("/ws") ||
            BoardClients() >= kMaxBoardClients) {
            client->close(QWebSocketProtocol::CloseCodePolicyViolated);
            client->deleteLater();
            continue;
        }
        // The board only listens.
        client->setMaxAllowedIncomingFrameSize(1024);
        client->setMaxAllowedIncomingMessageSize(1024);
        connect(client, &QWebSocket::disconnected, this, [this, client] {
            std::erase(FClients, client);
            client->deleteLater();
        });
        FClients.push_back(client);
        client->sendTextMessage(
            QString::fromUtf8(QJsonDocument(BoardJson(FSource)).toJson(QJsonDocument::Compact)));
    }
}

void TWebService::BoardChanged() {
    if (!FClients.empty() && !FPush.isActive())
        FPush.start();
}

void TWebService::Push() {
    const QByteArray board = QJsonDocument(BoardJson(FSource)).toJson(QJsonDocument::Compact);
    if (board == FLastPushed)
        return;
    FLastPushed = board;
    const QString text = QString::fromUtf8(board);
    for (QWebSocket* client : std::vector(FClients)) {
        if (client->bytesToWrite() > kMaxUnsentBytes) {
            client->abort();
            continue;
        }
        client->sendTextMessage(text);
    }
}

QHttpServerResponse TWebService::Status() const {
    QJsonObject status = BoardJson(FSource);
    const THeardCounts heard = FSource.Heard();
    QJsonArray messages;
    for (const TLoggedLine& line : RecentLines())
        messages.append(QJsonObject{
            {QStringLiteral("time"),
             QDateTime::fromSecsSinceEpoch(
                 std::chrono::duration_cast<std::chrono::seconds>(line.Time.time_since_epoch())
                     .count())
                 .toString(Qt::ISODate)},
            {QStringLiteral("text"), FromUtf8(line.Text)}});
    status.insert(QStringLiteral("version"), QCoreApplication::applicationVersion());
    status.insert(QStringLiteral("uptimeSeconds"), FUp.elapsed() / 1000);
    status.insert(QStringLiteral("secondsSinceLastDatagram"),
                  heard.MsSinceHeard < 0 ? QJsonValue() : QJsonValue(heard.MsSinceHeard / 1000.0));
    status.insert(QStringLiteral("datagramsTaken"), static_cast<qint64>(heard.Taken));
    status.insert(QStringLiteral("datagramsDropped"), static_cast<qint64>(heard.Dropped));
    status.insert(QStringLiteral("lastSender"),
                  heard.MsSinceHeard < 0 ? QJsonValue()
                                         : QJsonValue(QHostAddress(heard.LastSender).toString()));
    // The time the display's corner gives, in local time as the messages' times are.
    status.insert(
        QStringLiteral("noSignalSince"),
        heard.SilentSinceMs < 0
            ? QJsonValue()
            : QJsonValue(
                  QDateTime::fromMSecsSinceEpoch(heard.SilentSinceMs).toString(Qt::ISODate)));
    status.insert(QStringLiteral("messages"), messages);
    status.insert(QStringLiteral("settingsFrom"), SettingsSource());
    status.insert(QStringLiteral("boardClients"), BoardClients());
    status.insert(QStringLiteral("connections"), FListening ? FListening->Connections() : 0);
    return BytesResponse("application/json", QJsonDocument(status).toJson(QJsonDocument::Indented));
}

QHttpServerResponse TWebService::Screenshot() {
    // A second's picture serves every asker within that second: a page refreshing fast
    // cannot make the display draw itself over and over.
    if (FShot.isEmpty() || !FShotTaken.isValid() || FShotTaken.elapsed() >= 1000) {
        FShot.clear();
        QBuffer buffer(&FShot);
        buffer.open(QIODevice::WriteOnly);
        FSource.Screenshot().save(&buffer, "PNG");
        FShotTaken.start();
    }
    return BytesResponse("image/png", FShot);
}
