#include "app/SettingsWatcher.h"

#include "settings/Platform.h"

#include <QFileInfo>

TSettingsWatcher::TSettingsWatcher(QObject* parent, int settleMs) : QObject(parent) {
    FSettle.setSingleShot(true);
    FSettle.setInterval(settleMs);
    connect(&FSettle, &QTimer::timeout, this, &TSettingsWatcher::Settled);
    FTaken = SettingsStamp();
#ifdef _WIN32
    FPolled = FTaken;
    FPoll.setInterval(kPollMs);
    connect(&FPoll, &QTimer::timeout, this, &TSettingsWatcher::Polled);
    FPoll.start();
#else
    FFile = QString::fromStdU16String(SettingsFilePath().u16string());
    // Every change starts the wait again, so that a file is read once its writer has done.
    const auto changed = [this] {
        FSettle.start();
    };
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
    Watch();
#endif
}

void TSettingsWatcher::Watch() {
    if (FFile.isEmpty())
        return;
    // On a new machine neither the file nor its folder may be there yet: the nearest folder
    // that is tells when they come.
    QString watched = QFileInfo(FFile).absolutePath();
    while (!QFileInfo(watched).isDir()) {
        const QString up = QFileInfo(watched).absolutePath();
        if (up == watched)
            return; // not even the root is there to watch
        watched = up;
    }
    for (const QString& other : FWatcher.directories())
        if (other != watched)
            FWatcher.removePath(other);
    if (!FWatcher.directories().contains(watched))
        FWatcher.addPath(watched);
    // A file replaced by a rename is no longer the one watched.
    if (!FWatcher.files().contains(FFile) && QFileInfo::exists(FFile))
        FWatcher.addPath(FFile);
}

void TSettingsWatcher::Taken() {
    Watch();
    FTaken = SettingsStamp();
}

void TSettingsWatcher::Polled() {
    std::string stamp = SettingsStamp();
    if (stamp == FPolled)
        return;
    FPolled = std::move(stamp);
    FSettle.start();
}

void TSettingsWatcher::Settled() {
    Watch();
    // The display's own saves, read at once, and other files in the folder change nothing here.
    if (SettingsStamp() != FTaken)
        emit Changed();
}
