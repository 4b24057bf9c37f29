#pragma once

// The service's answers with the headers every answer of its kind carries.

#include <QByteArray>
#include <QHttpServerResponse>
#include <QString>

#include <chrono>
#include <string>

enum class TPageKind {
    Board,   // may be shown inside another page (a lobby screen's, a streaming program's)
    Private, // the settings: never framed, never kept in a cache
};

QHttpServerResponse HtmlResponse(const QString& html, int status = 200,
                                 TPageKind kind = TPageKind::Private);
QHttpServerResponse BytesResponse(const QByteArray& mime, const QByteArray& bytes, int status = 200,
                                  bool cache = false);
// 303 to `location`, with a cookie when `cookie` is given.
QHttpServerResponse Redirect(const QByteArray& location, const QByteArray& cookie = {});
// The session cookie: HttpOnly, SameSite=Strict, for `life` (0 removes it).
QByteArray SessionCookie(const std::string& name, std::chrono::seconds life);
constexpr const char* kSessionCookie = "tallivue_session";
