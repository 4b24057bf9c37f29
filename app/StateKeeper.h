#pragma once

// Keeps what the datagrams decided in the state file, off the datagrams' path: a change only
// starts a timer, and the file is written when it runs out, at most once every two seconds, and
// once more when the display ends. At start the file, if young enough, is handed back once.

#include "app/KeptState.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TDisplayState;

// $XDG_STATE_HOME/tallivue/display.state; without it ~/.local/state/tallivue/display.state, on
// Windows %LOCALAPPDATA%\Outrider\Tallivue\display.state.
QString StateFilePath();

class TStateKeeper : public QObject {
public:
    static constexpr int kWriteEveryMs = 2000;

    TStateKeeper(const TDisplayState& state, QString file, QObject* parent = nullptr);
    ~TStateKeeper() override;

    // The mode message just heard, to be kept as it came.
    void ModeHeard(std::span<const std::string_view> fields);
    // What the state holds has changed.
    void Changed();
    // The state kept by the display before this one, if the file holds a state younger than
    // kKeptStateLifetimeMs; anything else in the file is told in one line and passed over.
    std::optional<TKeptState> Kept();
    // How many times the file has been written, for the soak's figures.
    int Writes() const { return FWrites; }

private:
    void Write();

    const TDisplayState& FState;
    const QString FFile;
    QTimer FWriteTimer;
    std::vector<std::string> FModeFields;
    std::int64_t FModeHeardAtMs = 0;
    bool FHeard = false; // a datagram has made the state worth keeping
    int FWrites = 0;
    std::set<QString> FTold; // each failure to write is told once
};
