#include "web/WebPages.h"

namespace {

QString Note(const QString& text, bool problem) {
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p class=\"%1\" role=\"status\">%2</p>\n")
        .arg(problem ? QStringLiteral("problem") : QStringLiteral("done"), text.toHtmlEscaped());
}

QString Hidden(const char* name, const QString& value) {
    return QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">")
        .arg(QString::fromLatin1(name), value.toHtmlEscaped());
}

} // namespace

QString WebPage(const QString& title, const QString& body) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
               "<title>%1</title><link rel=\"stylesheet\" href=\"/site.css\"></head>\n"
               "<body class=\"desk\"><header><a href=\"/\">Board</a> "
               "<a href=\"/status.json\">Status</a> <a href=\"/screenshot.png\">Screen</a> "
               "<a href=\"/settings\">Settings</a></header>\n<main>\n<h1>%1</h1>\n%2</main>"
               "</body></html>\n")
        .arg(title.toHtmlEscaped(), body);
}

QString MessagePage(const QString& title, const QString& text, const QString& linkHref,
                    const QString& linkText) {
    return WebPage(
        title, QStringLiteral("<p>%1</p>\n<p><a href=\"%2\">%3</a></p>\n")
                   .arg(text.toHtmlEscaped(), linkHref.toHtmlEscaped(), linkText.toHtmlEscaped()));
}

QString LoginPage(const QString& token, const QString& problem) {
    return WebPage(
        QStringLiteral("Tallivue settings: log in"),
        Note(problem, true) +
            QStringLiteral("<form method=\"post\" action=\"/login\" class=\"login\">%1"
                           "<div class=\"field\"><label for=\"password\">Password</label>"
                           "<input type=\"password\" id=\"password\" name=\"password\" "
                           "autocomplete=\"current-password\" required autofocus></div>"
                           "<button type=\"submit\">Log in</button></form>\n")
                .arg(Hidden("token", token)));
}

QString SettingsPage(const QString& fields, const QString& token, const QString& digest,
                     const QString& note, bool noteIsProblem) {
    return WebPage(
        QStringLiteral("Tallivue settings"),
        Note(note, noteIsProblem) +
            QStringLiteral(
                "<form method=\"post\" action=\"/settings\" id=\"settings\">%1%2\n%3"
                "<div class=\"buttons\"><button type=\"submit\">Save</button></div></form>\n"
                "<form method=\"get\" action=\"/settings\"><button type=\"submit\">Reload"
                "</button> (reads the settings as they are stored now; what is not saved here goes)"
                "</form>\n"
                "<form method=\"post\" action=\"/settings/picture\" "
                "enctype=\"multipart/form-data\" "
                "class=\"upload\"><fieldset><legend>Add a picture</legend>%1"
                "<input type=\"file\" name=\"picture\" accept=\".gif,.bmp,.png,.jpg,.jpeg,.ico\" "
                "required> <button type=\"submit\">Upload</button><p>GIF, BMP, PNG, JPEG or ICO, "
                "at most 4 MB; then choose it in a picture's list and save.</p></fieldset></form>\n"
                "<form method=\"post\" action=\"/logout\">%1<button type=\"submit\">Log out"
                "</button></form>\n")
                .arg(Hidden("token", token), Hidden("digest", digest), fields));
}
