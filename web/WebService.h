#pragma once

#include "settings/SettingValues.h"
#include "web/Sessions.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <memory>
#include <set>
#include <vector>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QWebSocket;
class TFrontDeskSource;
class TGatedTcpServer;

// The front desk: the board, the status and a picture of the screen for any browser on the
// arena's network, and the settings behind a password. Off until "Web Port" names a port. It
// runs on the display's event loop and reads the display only through its source.
class TWebService : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxBoardClients = 100;
    static constexpr qint64 kUploadBytes = 4 * 1024 * 1024;
    static constexpr int kPushDelayMs = 20; // datagrams arriving together go out as one

    explicit TWebService(TFrontDeskSource& source, QObject* parent = nullptr);
    ~TWebService() override;

    // Listens as "Web Port" and "Web Address" say, stops for port 0; what cannot be had is
    // reported once and the display goes on without the service.
    void Configure(const TSettingValues& settings);
    quint16 Port() const { return FPort; }
    int BoardClients() const { return static_cast<int>(FClients.size()); }

    // The board changed: the browsers hear of it.
    void BoardChanged();

    // Where uploaded pictures are kept: a folder of the program's own in the user's data.
    static QString UploadFolder();

private:
    void Start(const QHostAddress& address, quint16 port);
    void Stop();
    void AddRoutes();
    void TakeWebSockets();
    void Push();
    QHttpServerResponse Status() const;
    QHttpServerResponse Screenshot();

    // The settings pages (WebSettings.cpp).
    QHttpServerResponse SettingsGet(const QHttpServerRequest& request);
    QHttpServerResponse SettingsPost(const QHttpServerRequest& request);
    QHttpServerResponse LoginPost(const QHttpServerRequest& request);
    QHttpServerResponse LogoutPost(const QHttpServerRequest& request);
    QHttpServerResponse PicturePost(const QHttpServerRequest& request);
    QHttpServerResponse SettingsForm(const TWebSessions::TSession& session, const QString& note,
                                     bool problem);
    QHttpServerResponse Login(const QHttpServerRequest& request, const QString& problem,
                              int status);
    bool PasswordSet() const;
    const TWebSessions::TSession* LoggedIn(const QHttpServerRequest& request);
    // The session the request's cookie names, logged in or not.
    const TWebSessions::TSession* SessionOf(const QHttpServerRequest& request);

    TFrontDeskSource& FSource;
    std::unique_ptr<QHttpServer> FHttp;
    TGatedTcpServer* FListening = nullptr; // owned by FHttp
    quint16 FPort = 0;
    QHostAddress FAddress;
    std::set<QString> FReported;
    std::vector<QWebSocket*> FClients; // children of the service
    QTimer FPush;
    QByteArray FLastPushed;
    QElapsedTimer FUp;
    QByteArray FShot;
    QElapsedTimer FShotTaken;
    TWebSessions FSessions;
};

// The address a request came from, IPv4 as dotted decimal even when it came as IPv6-mapped.
QString ClientAddress(const QHttpServerRequest& request);
