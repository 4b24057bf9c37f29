#pragma once

// What the controller's datagrams have made of the display, apart from any widget: the mode and
// its caption, the countdown, the task bar's title, every pack's state and the totals. The
// display window shows it and the talking download reads it, so both agree on what was heard.

#include "app/DisplayRules.h"
#include "app/Protocol.h"
#include "controls/GridModel.h"
#include "settings/SettingValues.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class TDisplayMode : std::uint8_t {
    Offline,     // nothing heard yet
    Playing,     // GAMEACTIVE
    Idle,        // IDLE
    Downloading, // DOWNLOADPACKS
    Calculating, // CALCULATE
    Other,       // any other mode, shown as the controller named it
};

class TDisplayState {
public:
    // The captions, the countdown's threshold and the grid's size, as an activation read them.
    // The packs shown go back to the setting's number; the states are kept.
    void Configure(const TSettingValues& settings);

    // A mode message (fields[1] is the mode). Returns the seconds left that a game message
    // carried, for the cue played at a set time.
    std::optional<std::int32_t> ModeMessage(std::span<const std::string_view> fields);
    // A pack status message: `beforeEach` hears of every entry before the state takes it, so it
    // can compare with the state the pack held.
    void PackStatusMessage(std::span<const std::string_view> fields,
                           const std::function<void(const TPackEntry&)>& beforeEach);

    TDisplayMode Mode() const { return FMode; }
    bool GameActive() const { return FMode == TDisplayMode::Playing; }
    // Downloading, as the voice and the end of a download take it: the download's own mode, or
    // another mode word that spells the download's caption, on which a controller or a
    // translated caption may rely. The scroll message and the reminders' pace go by Mode().
    bool Downloading() const;
    const std::string& ModeCaption() const { return FModeCaption; }
    bool CountdownShown() const { return FCountdownShown; }
    const std::string& Countdown() const { return FCountdown; }
    const std::string& Title() const { return FTitle; }
    // No pack status heard yet: the first only fills the grid, it is not announced.
    bool FirstStatus() const { return FFirstStatus; }

    // The packs as a display started again finds them kept: shown as heard, but the next pack
    // status is still the first, which only fills the grid.
    void RestorePacks(const TPackTable& packs, int packsPerTeam);

    TPackState PackState(int team, int pack) const { return FPacks.Get(team, pack); }
    const TPackTable& Packs() const { return FPacks; }
    // The packs shown per team: the setting's, grown to the highest pack heard in use.
    int PacksPerTeam() const { return FPacksPerTeam; }
    // Of the packs shown, counted from the states just heard.
    const TPackTotals& Totals() const;

private:
    void TitleFromTotals();

    std::string FPlayingCaption;
    std::string FIdleCaption;
    std::string FDownloadingCaption;
    std::string FCalculatingCaption;
    std::int64_t FCountdownFrom = 0; // seconds: a countdown shows from here down

    TDisplayMode FMode = TDisplayMode::Offline;
    std::string FModeCaption = "Offline";
    bool FCountdownShown = false;
    std::string FCountdown = "00:00";
    std::string FTitle{kProgramTitle};
    bool FFirstStatus = true;
    TPackTable FPacks;
    int FPacksPerTeam = 0;
    mutable TPackTotals FTotals;
    mutable bool FTotalsStale = false;
};
