#include "settings/Platform.h"

#include "core/ErrorReporter.h"
#include "core/QtText.h"
#include "settings/RegFileStore.h"

#ifdef _WIN32
#include "settings/WinRegistryStore.h"
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
