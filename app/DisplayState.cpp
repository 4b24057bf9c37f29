#include "app/DisplayState.h"

#include "core/TextEncoding.h"

#include <algorithm>

void TDisplayState::Configure(const TSettingValues& settings) {
    FPlayingCaption = settings.Text(sPlayingGame);
    FIdleCaption = settings.Text(sIdle);
    FDownloadingCaption = settings.Text(sDownloadPacks);
    FCalculatingCaption = settings.Text(sCalculating);
    FCountdownFrom = std::int64_t{settings.Integer(sTimeRemaining)} * 60;
    FPacksPerTeam = ClampPacksPerTeam(settings.Integer(sPacksPerTeam));
    FTotalsStale = true;
}

std::optional<std::int32_t> TDisplayState::ModeMessage(std::span<const std::string_view> fields) {
    const std::string_view mode = fields[1];
    if (mode != "GAMEACTIVE") {
        FCountdownShown = false;
        if (mode == "IDLE") {
            FMode = TDisplayMode::Idle;
            FModeCaption = FIdleCaption;
        } else if (mode == "DOWNLOADPACKS") {
            FMode = TDisplayMode::Downloading;
            FModeCaption = FDownloadingCaption;
        } else if (mode == "CALCULATE") {
            FMode = TDisplayMode::Calculating;
            FModeCaption = FCalculatingCaption;
        } else {
            FMode = TDisplayMode::Other;
            FModeCaption = Latin1ToUtf8(mode);
        }
        return std::nullopt;
    }

    FMode = TDisplayMode::Playing;
    // A message too short to name the game shows the caption alone, and one without the seconds
    // leaves the countdown as it was, rather than stopping half-way.
    FModeCaption = FPlayingCaption;
    if (fields.size() > 3)
        FModeCaption.append(" ").append(Latin1ToUtf8(fields[3]));
    if (fields.size() <= 2)
        return std::nullopt;
    const std::int32_t seconds = NumberField(fields[2]);
    FCountdownShown = seconds <= FCountdownFrom;
    FCountdown = CountdownText(seconds);
    FTitle = CountdownTitle(FCountdown);
    return seconds;
}

bool TDisplayState::Downloading() const {
    return FMode == TDisplayMode::Downloading ||
           (FMode == TDisplayMode::Other && FModeCaption == FDownloadingCaption);
}

void TDisplayState::PackStatusMessage(std::span<const std::string_view> fields,
                                      const std::function<void(const TPackEntry&)>& beforeEach) {
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const TPackEntry entry = DecodePackEntry(i, fields[i]);
        beforeEach(entry);
        FTotalsStale |= FPacks.Set(entry.Team, entry.Pack, entry.State);
        // The grid grows to show a pack in use beyond it, but only as far as it holds states.
        if (entry.State != psNotInUse && entry.Pack > FPacksPerTeam &&
            entry.Pack <= kMaxPacksPerTeam) {
            FPacksPerTeam = entry.Pack;
            FTotalsStale = true;
        }
    }
    FFirstStatus = false;
    TitleFromTotals();
}

void TDisplayState::RestorePacks(const TPackTable& packs, int packsPerTeam) {
    FPacks = packs;
    FPacksPerTeam = std::max(FPacksPerTeam, ClampPacksPerTeam(packsPerTeam));
    FTotalsStale = true;
    TitleFromTotals();
}

void TDisplayState::TitleFromTotals() {
    // During a game the task bar keeps the countdown.
    if (!GameActive()) {
        const TPackTotals& totals = Totals();
        FTitle = TotalsTitle(totals.InUse, totals.Downloaded, totals.Played);
    }
}

const TPackTotals& TDisplayState::Totals() const {
    if (FTotalsStale) {
        FTotals = FPacks.Count(FPacksPerTeam);
        FTotalsStale = false;
    }
    return FTotals;
}
