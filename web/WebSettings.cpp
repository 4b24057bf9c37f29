// The settings pages: the login, the form made from the settings table, its save, and the
// pictures uploaded for it.

#include "web/WebService.h"

#include "app/FrontDeskSource.h"
#include "controls/PictureReader.h"
#include "core/MessageLog.h"
#include "core/QtText.h"
#include "settings/Platform.h"
#include "settings/RegistryDef.h"
#include "web/FormData.h"
#include "web/HttpCompat.h"
#include "web/PasswordHash.h"
#include "web/Responses.h"
#include "web/SettingsForm.h"
#include "web/WebPages.h"

#include <QDir>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QSaveFile>

namespace {

using TClock = TWebSessions::TClock;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::optional<TFormFields> FormOf(const QHttpServerRequest& request) {
    const QByteArray type = RequestHeader(request, "Content-Type");
    if (!type.trimmed().toLower().startsWith("application/x-www-form-urlencoded"))
        return std::nullopt;
    return ParseUrlEncoded(View(request.body()));
}

std::string Field(const TFormFields& fields, std::string_view name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

QHttpServerResponse Refusal(int status, const QString& text) {
    return HtmlResponse(MessagePage(QStringLiteral("Not saved"), text, QStringLiteral("/settings"),
                                    QStringLiteral("Back to the settings")),
                        status);
}

} // namespace

bool TWebService::PasswordSet() const {
    return !FSource.Settings().Text(sWebPasswordHash).empty();
}

const TWebSessions::TSession* TWebService::SessionOf(const QHttpServerRequest& request) {
    const TFormFields cookies = ParseCookies(View(RequestHeader(request, "Cookie")));
    const auto found = cookies.find(std::string_view(kSessionCookie));
    return found == cookies.end() ? nullptr : FSessions.Find(found->second, TClock::now());
}

const TWebSessions::TSession* TWebService::LoggedIn(const QHttpServerRequest& request) {
    const TWebSessions::TSession* session = SessionOf(request);
    return session && session->LoggedIn ? session : nullptr;
}

QHttpServerResponse TWebService::Login(const QHttpServerRequest& request, const QString& problem,
                                       int status) {
    // The login form carries a token too, of a session made for it.
    const TWebSessions::TSession* session = SessionOf(request);
    QByteArray cookie;
    if (!session || session->LoggedIn) {
        const std::string name = FSessions.Open(TClock::now());
        session = FSessions.Find(name, TClock::now());
        cookie = SessionCookie(
            name, std::chrono::duration_cast<std::chrono::seconds>(TWebSessions::kAnonymousLife));
    }
    QHttpServerResponse response =
        HtmlResponse(LoginPage(FromUtf8(session->Token), problem), status);
    if (!cookie.isEmpty())
        SetHeaders(response, {{"Set-Cookie", cookie}});
    return response;
}

QHttpServerResponse TWebService::SettingsGet(const QHttpServerRequest& request) {
    if (!PasswordSet())
        return HtmlResponse(
            MessagePage(QStringLiteral("Tallivue settings"),
                        QStringLiteral("The settings page is off until a password is set on the "
                                       "display PC, with \"tallivue --set-web-password\"."),
                        QStringLiteral("/"), QStringLiteral("The board")),
            404);
    const TWebSessions::TSession* session = LoggedIn(request);
    if (!session)
        return Login(request, {}, 200);
    const QUrlQuery query = request.query();
    if (query.hasQueryItem(QStringLiteral("saved")))
        return SettingsForm(*session, QStringLiteral("Saved: the display shows it now."), false);
    if (query.hasQueryItem(QStringLiteral("uploaded")))
        return SettingsForm(
            *session,
            QStringLiteral("The picture \"%1\" is kept: choose it in a picture's "
                           "list and save.")
                .arg(query.queryItemValue(QStringLiteral("uploaded"), QUrl::FullyDecoded)),
            false);
    return SettingsForm(*session, {}, false);
}

QHttpServerResponse TWebService::SettingsForm(const TWebSessions::TSession& session,
                                              const QString& note, bool problem) {
    const TSettingsEnvironment environment = PlatformSettingsEnvironment();
    TRegistryDef registry(PlatformRegistryStore());
    registry.SetRootKey(TRootKey::LocalMachine);
    const TSettingValues values = ReadDialogValues(registry, environment);
    QString shownNote = note;
    bool shownProblem = problem;
    if (!registry.ReadWhole()) {
        shownNote = QStringLiteral("The settings file cannot be read whole (the display's log "
                                   "says where): the values below are the defaults, and saving "
                                   "is refused until the file is mended.");
        shownProblem = true;
    }
    return HtmlResponse(SettingsPage(
        SettingsFields(values, ListFileChoices(environment, UploadFolder())),
        FromUtf8(session.Token), FromUtf8(ValuesDigest(values)), shownNote, shownProblem));
}

QHttpServerResponse TWebService::LoginPost(const QHttpServerRequest& request) {
    if (!PasswordSet())
        return HtmlResponse(MessagePage(QStringLiteral("Tallivue settings"),
                                        QStringLiteral("The settings page is off."),
                                        QStringLiteral("/"), QStringLiteral("The board")),
                            404);
    const std::string address = ToUtf8(ClientAddress(request));
    const auto now = TClock::now();
    if (FSessions.Locked(address, now))
        return Login(request,
                     QStringLiteral("Too many wrong passwords from this address: try again in a "
                                    "minute."),
                     429);
    const TWebSessions::TSession* session = SessionOf(request);
    const auto form = FormOf(request);
    if (!session || !form || !TWebSessions::TokenMatches(*session, Field(*form, "token")))
        return Login(request, QStringLiteral("The login form had expired: log in again."), 403);
    if (!WebPasswordMatches(FSource.Settings().Text(sWebPasswordHash), Field(*form, "password"))) {
        FSessions.LoginFailed(address, now);
        if (FSessions.Locked(address, now))
            LogLine("the front desk's login is locked for a minute for " + address +
                    ", after five wrong passwords");
        return Login(request, QStringLiteral("Wrong password."), 403);
    }
    FSessions.LoginSucceeded(address);
    const TFormFields cookies = ParseCookies(View(RequestHeader(request, "Cookie")));
    const std::string name = FSessions.LogIn(Field(cookies, kSessionCookie), now);
    return Redirect("/settings", SessionCookie(name, TWebSessions::kLoggedInLife));
}

QHttpServerResponse TWebService::LogoutPost(const QHttpServerRequest& request) {
    const TWebSessions::TSession* session = SessionOf(request);
    const auto form = FormOf(request);
    if (session && form && TWebSessions::TokenMatches(*session, Field(*form, "token"))) {
        const TFormFields cookies = ParseCookies(View(RequestHeader(request, "Cookie")));
        FSessions.End(Field(cookies, kSessionCookie));
    }
    return Redirect("/", SessionCookie({}, std::chrono::seconds(0)));
}

QHttpServerResponse TWebService::SettingsPost(const QHttpServerRequest& request) {
    if (!PasswordSet())
        return Refusal(404, QStringLiteral("The settings page is off."));
    const TWebSessions::TSession* session = LoggedIn(request);
    const auto form = FormOf(request);
    if (!session)
        return Refusal(403, QStringLiteral("Log in first: nothing was saved."));
    if (!form || !TWebSessions::TokenMatches(*session, Field(*form, "token")))
        return Refusal(403, QStringLiteral("The form did not come from this session's settings "
                                           "page: nothing was saved."));
    if (FSource.PropertiesOpen())
        return Refusal(409, QStringLiteral("The properties dialog is open on the display, and its "
                                           "Save would write over this one: nothing was saved. "
                                           "Close the dialog there first."));
    const TSettingsEnvironment environment = PlatformSettingsEnvironment();
    TRegistryDef registry(PlatformRegistryStore());
    registry.SetRootKey(TRootKey::LocalMachine);
    const TSettingValues before = ReadDialogValues(registry, environment);
    if (!registry.ReadWhole())
        return Refusal(409, QStringLiteral("The settings file cannot be read whole, and a save "
                                           "would replace what it holds: nothing was saved."));
    if (Field(*form, "digest") != ValuesDigest(before))
        return Refusal(409, QStringLiteral("The settings were changed since this page was loaded "
                                           "(on the display, or from another page): nothing was "
                                           "saved. Reload the settings page and make the change "
                                           "again."));
    const TFileChoices choices = ListFileChoices(environment, UploadFolder());
    auto posted = ReadPostedSettings(*form, choices, before);
    if (const std::string* error = std::get_if<std::string>(&posted))
        return Refusal(400, FromUtf8(*error));
    const TSettingChanges& changes = std::get<TSettingChanges>(posted);
    if (const std::string error = WriteSettings(registry, changes, before); !error.empty()) {
        LogLine("a save of the settings from " + ToUtf8(ClientAddress(request)) +
                " was refused: " + error);
        return Refusal(500, FromUtf8(error));
    }
    LogLine("settings saved from " + ToUtf8(ClientAddress(request)) + ": " +
            DescribeChanges(changes, before));
    FSource.TakeSavedSettings();
    return Redirect("/settings?saved");
}

QHttpServerResponse TWebService::PicturePost(const QHttpServerRequest& request) {
    if (!PasswordSet())
        return Refusal(404, QStringLiteral("The settings page is off."));
    const TWebSessions::TSession* session = LoggedIn(request);
    if (!session)
        return Refusal(403, QStringLiteral("Log in first: nothing was kept."));
    const auto form =
        ParseMultipart(View(RequestHeader(request, "Content-Type")), View(request.body()));
    if (!form || !TWebSessions::TokenMatches(*session, Field(form->Fields, "token")))
        return Refusal(403, QStringLiteral("The upload did not come from this session's settings "
                                           "page: nothing was kept."));
    if (!form->HasFile || form->FileBytes.empty())
        return Refusal(400, QStringLiteral("No picture came with the upload."));
    if (static_cast<qint64>(form->FileBytes.size()) > kUploadBytes)
        return Refusal(413, QStringLiteral("The picture is larger than 4 MB: nothing was kept."));
    const std::string name = SafePictureName(form->FileName);
    if (name.empty())
        return Refusal(400, QStringLiteral("The picture's name must end in .gif, .bmp, .png, .jpg, "
                                           ".jpeg or .ico: nothing was kept."));
    const QString fileName = FromUtf8(name);
    const QByteArray bytes(form->FileBytes.data(), static_cast<qsizetype>(form->FileBytes.size()));
    try {
        ReadFirstPicture(bytes, QFileInfo(fileName).suffix());
    } catch (const TPictureError& failure) {
        return Refusal(400, QStringLiteral("\"%1\" cannot be shown: %2 Nothing was kept.")
                                .arg(fileName, FromUtf8(failure.what())));
    }
    const QDir folder(UploadFolder());
    if (!folder.mkpath(QStringLiteral(".")))
        return Refusal(500, QStringLiteral("The folder for pictures, %1, cannot be made: nothing "
                                           "was kept.")
                                .arg(QDir::toNativeSeparators(folder.path())));
    // A picture already there may be in use: a new one with its name gets a number.
    QString kept = fileName;
    const QFileInfo info(fileName);
    for (int number = 2; folder.exists(kept); ++number)
        kept =
            QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(number).arg(info.suffix());
    QSaveFile file(folder.filePath(kept));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Refusal(500, QStringLiteral("The picture could not be written to %1: nothing was "
                                           "kept.")
                                .arg(QDir::toNativeSeparators(folder.path())));
    LogLine("picture " + ToUtf8(kept) + " uploaded from " + ToUtf8(ClientAddress(request)));
    return Redirect("/settings?uploaded=" + QUrl::toPercentEncoding(kept));
}
