#include "settings/Platform.h"

#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "settings/RegFileStore.h"

#ifdef _WIN32
#include "settings/WinRegistryStore.h"

#include <windows.h>
#else
#include <QFileInfo>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

std::filesystem::path SettingsFilePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::filesystem::path(folder.toStdU16String()) / "Outrider" / "Tallivue.reg";
}

#ifdef _WIN32
namespace {

// A key that is not there has no time; one that is gives its last write time's 64 bits.
std::string KeyStamp(std::string_view path) {
    const std::wstring wide =
        QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())).toStdWString();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "-";
    FILETIME written{};
    const LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, &written);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "?";
    return std::to_string(written.dwHighDateTime) + ":" + std::to_string(written.dwLowDateTime);
}

} // namespace

std::string SettingsStamp() {
    return KeyStamp(kSettingsKeyPath) + " " + KeyStamp(kLanguageKeyPath);
}
#else
std::string SettingsStamp() {
    const QFileInfo info(QString::fromStdU16String(SettingsFilePath().u16string()));
    if (!info.exists())
        return {};
    // The change time too: a file renamed into place is new here even when it is alike.
    return std::to_string(info.size()) + " " +
           std::to_string(info.lastModified().toMSecsSinceEpoch()) + " " +
           std::to_string(info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch());
}
#endif

std::unique_ptr<TRegistryStore> PlatformRegistryStore() {
#ifdef _WIN32
    auto store = std::make_unique<TWinRegistryStore>();
#else
    auto store = std::make_unique<TRegFileStore>(
        SettingsFilePath(), [](const std::string& message) { ReportError(FromUtf8(message)); });
#endif
    // A regedit export from a 64-bit Windows PC on which the 32-bit display ran holds the
    // settings under WOW6432Node, where Windows put them for it; on that PC itself the 64-bit
    // display finds them there too.
    store->AdoptKey(TRootKey::LocalMachine, kSettingsKeyPath32On64, kSettingsKeyPath);
    return store;
}

#ifdef _WIN32
bool PrepareSettingsForAllUsers(std::string& error) {
    TWinRegistryStore().AdoptKey(TRootKey::LocalMachine, kSettingsKeyPath32On64, kSettingsKeyPath);
    return LetUsersWriteKey(TRootKey::LocalMachine, kSettingsKeyPath, error);
}
#endif

TSettingsEnvironment PlatformSettingsEnvironment() {
    TSettingsEnvironment environment;
    environment.ProgramFolder =
        ToUtf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/"));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        environment.ScreenWidth = screen->geometry().width();
        environment.ScreenHeight = screen->geometry().height();
    }
    return environment;
}
