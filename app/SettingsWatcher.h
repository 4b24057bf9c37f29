#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when the settings file has changed on disk since the display last read it: a kiosk
// without a window manager is never activated again, so a file edited by hand would otherwise
// wait for a restart. A save writes a new file and renames it over the old one, and an editor
// may write in several steps, so the folder is watched as well as the file, and a burst of
// changes is told once, after it has settled.
class TSettingsWatcher : public QObject {
    Q_OBJECT

public:
    explicit TSettingsWatcher(QString file, QObject* parent = nullptr);

    // The file as it is now is the one read: only a change after this is told.
    void Taken();

    static constexpr int kSettleMs = 300;

signals:
    void Changed();

private:
    struct TStamp {
        bool Exists = false;
        qint64 Size = 0;
        QDateTime Modified;
        QDateTime MetadataChanged; // a file renamed into place is new here even when it is alike
        bool operator==(const TStamp&) const = default;
    };

    TStamp StampNow() const;
    void Watch();
    void Settled();

    QString FFile;
    QFileSystemWatcher FWatcher;
    QTimer FSettle;
    TStamp FTaken;
};
