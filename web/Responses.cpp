#include "web/Responses.h"

#include "web/HttpCompat.h"

namespace {

QHttpServerResponse::StatusCode Code(int status) {
    return static_cast<QHttpServerResponse::StatusCode>(status);
}

} // namespace

QHttpServerResponse HtmlResponse(const QString& html, int status, TPageKind kind) {
    QHttpServerResponse response("text/html; charset=utf-8", html.toUtf8(), Code(status));
    const bool board = kind == TPageKind::Board;
    SetHeaders(response, {{"Content-Security-Policy",
                           QByteArray("default-src 'self'; img-src 'self' data:; style-src 'self'; "
                                      "script-src 'self'; connect-src 'self'; form-action 'self'; "
                                      "base-uri 'none'; frame-ancestors ") +
                               (board ? "*" : "'none'")},
                          {"X-Content-Type-Options", "nosniff"},
                          {"Referrer-Policy", "no-referrer"},
                          {"Cache-Control", board ? "no-cache" : "no-store"}});
    return response;
}

QHttpServerResponse BytesResponse(const QByteArray& mime, const QByteArray& bytes, int status,
                                  bool cache) {
    QHttpServerResponse response(mime, bytes, Code(status));
    SetHeaders(response, {{"X-Content-Type-Options", "nosniff"},
                          {"Cache-Control", cache ? "max-age=300" : "no-store"}});
    return response;
}

QHttpServerResponse Redirect(const QByteArray& location, const QByteArray& cookie) {
    QHttpServerResponse response("text/plain; charset=utf-8", QByteArray("See ") + location + '\n',
                                 QHttpServerResponse::StatusCode::SeeOther);
    if (cookie.isEmpty())
        SetHeaders(response, {{"Location", location}, {"Cache-Control", "no-store"}});
    else
        SetHeaders(response,
                   {{"Location", location}, {"Cache-Control", "no-store"}, {"Set-Cookie", cookie}});
    return response;
}

QByteArray SessionCookie(const std::string& name, std::chrono::seconds life) {
    return QByteArray(kSessionCookie) + '=' + QByteArray::fromStdString(name) +
           "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" + QByteArray::number(life.count());
}
