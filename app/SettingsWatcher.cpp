#include "app/SettingsWatcher.h"

#include <QFileInfo>

TSettingsWatcher::TSettingsWatcher(QString file, QObject* parent)
    : QObject(parent), FFile(std::move(file)) {
    FSettle.setSingleShot(true);
    FSettle.setInterval(kSettleMs);
    connect(&FSettle, &QTimer::timeout, this, &TSettingsWatcher::Settled);
    const auto changed = [this] {
        FSettle.start();
    };
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
    Watch();
}

TSettingsWatcher::TStamp TSettingsWatcher::StampNow() const {
    const QFileInfo info(FFile);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified(),
            info.fileTime(QFileDevice::FileMetadataChangeTime)};
}

void TSettingsWatcher::Watch() {
    // Neither may exist yet on a new machine; the first read of the settings makes both.
    const QString folder = QFileInfo(FFile).absolutePath();
    if (!FWatcher.directories().contains(folder) && QFileInfo(folder).isDir())
        FWatcher.addPath(folder);
    // A file replaced by a rename is no longer the one watched.
    if (!FWatcher.files().contains(FFile) && QFileInfo::exists(FFile))
        FWatcher.addPath(FFile);
}

void TSettingsWatcher::Taken() {
    Watch();
    FTaken = StampNow();
}

void TSettingsWatcher::Settled() {
    Watch();
    // The display's own saves, read at once, and other files in the folder change nothing here.
    if (StampNow() != FTaken)
        emit Changed();
}
