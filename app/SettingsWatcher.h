#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <string>

// Tells when the stored settings have changed since the display last read them: a kiosk without
// a window manager is never activated again, so a file edited by hand, or a value changed in
// regedit, would otherwise wait for a restart.
//
// Elsewhere than on Windows the settings are a file. A save writes a new file and renames it
// over the old one, and an editor or a copy may write in several steps, some of a second apart,
// so the folder is watched as well as the file (the nearest folder that exists, on a machine
// where nothing was saved yet), and a burst of changes is told once, when the file has stopped
// changing for kSettleMs. On Windows the settings keys' last write times are looked at every
// kPollMs instead, and told the same way.
class TSettingsWatcher : public QObject {
    Q_OBJECT

public:
    explicit TSettingsWatcher(QObject* parent = nullptr, int settleMs = kSettleMs);

    // The settings are about to be read: a change from now on is told, one that lands while
    // they are read included.
    void Taken();

    static constexpr int kSettleMs = 2000;
    static constexpr int kPollMs = 1000;

signals:
    void Changed();

private:
    void Watch();
    void Polled();
    void Settled();

    QString FFile;
    QFileSystemWatcher FWatcher;
    QTimer FSettle;
    QTimer FPoll;
    std::string FPolled; // the stamp the last poll saw
    std::string FTaken;  // the stamp when the settings were last read
};
