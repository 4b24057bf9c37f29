#include "app/TalkingDownload.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

std::string TwoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%2.2d", number);
    return text;
}

} // namespace

TTalkingDownload::TTalkingDownload(TTalkingDownloadHost& host, TSoundPlayer& player)
    : FHost(host), FPlayer(player) {}

void TTalkingDownload::SpeakTeamColour(int colour) {
    if (colour == FLastColour)
        return; // consecutive packs of one team are announced by number alone
    static const char* const kWords[] = {"red", "green", "blue", "yellow"};
    if (IsValidTeamColour(colour))
        Queue(kWords[colour - 1]);
    FLastColour = static_cast<std::uint8_t>(colour);
}

void TTalkingDownload::SpeakNumber(int number) {
    if (number < 20) {
        Queue(TwoDigits(number));
        return;
    }
    Queue(TwoDigits(number / 10 * 10));
    if (number % 10 != 0)
        Queue(TwoDigits(number % 10));
}

void TTalkingDownload::SpeakStatus(int team, int pack, TPackState state) {
    if (team > kTeamCount || pack > kMaxPacksPerTeam)
        return;
    const TPackState old = FHost.GetPackState(team, pack);
    if (old == state)
        return;
    // Announced: first use, any download, and a change between played and downloaded.
    if (old != psNotInUse && state != psPlayed && state != psDownloaded)
        return;
    if (FSpeakMode == TSpeakMode::Summary) {
        // A download cuts the summary short; the sound playing now finishes.
        FSpeakQueue.clear();
        FLastColour = 0;
        Queue("Downloaded");
    }
    // A whole download of every pack fits many times over. More waiting means someone floods
    // the display with changes; a voice minutes behind helps nobody and the queue would grow
    // without end. The grid still shows every change.
    if (FSpeakQueue.size() >= kMostWaitingNames)
        return;
    FSpeakMode = TSpeakMode::Packs;
    SpeakTeamColour(FHost.TeamColour(team));
    SpeakNumber(pack);
    FHost.SetSpeakTimerInterval(kSpeakInterval);
    StartQueue();
}

void TTalkingDownload::SpeakDownloadComplete() {
    FSpeakQueue.clear();
    FLastColour = 0;
    Queue("Download_complete");
    StartQueue();
}

void TTalkingDownload::StartQueue() {
    if (FPlayerIdle)
        MediaPlayer1Notify(); // otherwise the end of the current sound takes the next name
}

void TTalkingDownload::MediaPlayer1Notify() {
    // Something inside the player or the host that runs an event loop of its own could bring a
    // timer tick or another start here half-way through this one: that start does nothing, and
    // what it queued is taken by this one or by the next completion.
    if (FStarting)
        return;
    FStarting = true;
    const struct TStarted {
        bool& Flag;
        ~TStarted() { Flag = false; }
    } started{FStarting};

    while (!FSpeakQueue.empty()) {
        // Off the queue before it starts, so that nothing done meanwhile can unbalance the two.
        const std::string file = FSettings.TalkingFolder + FSpeakQueue.front() + ".wav";
        FSpeakQueue.pop_front();
        // Missing files are skipped without a word; one that will not play is dropped too, so
        // the rest of the queue is still heard.
        if (FPlayer.SoundFileExists(file) && StartSound(file)) {
            FPlayerIdle = false;
            return;
        }
    }
    FPlayerIdle = true;
    FSpeakMode = TSpeakMode::Nothing;
    FPlayer.Close();
    FHost.RestartSpeakTimer();
}

bool TTalkingDownload::StartSound(const std::string& file) {
    std::string error;
    try {
        FPlayer.SetFileName(file);
        FPlayer.Open();
        if (FPlayer.Play()) {
            FLastError.clear();
            return true;
        }
        error = "The sound " + file + " could not be played.";
    } catch (const TMediaError& failure) {
        error = failure.what();
    }
    // A missing sound device fails every name alike: one message, not one per word.
    if (error != FLastError)
        FHost.ReportError(error);
    FLastError = error;
    return false;
}

void TTalkingDownload::SpeakTimerTimer() {
    if (!FSettings.TalkingDownload)
        return;
    // Counted wide and held within what a timer takes, however long the download lasts.
    const std::int64_t interval = std::int64_t{FHost.SpeakTimerInterval()} +
                                  std::int64_t{FSettings.StillNeedDelayIncrement} * 1000;
    FHost.SetSpeakTimerInterval(static_cast<int>(
        std::clamp<std::int64_t>(interval, 1, std::numeric_limits<std::int32_t>::max())));
    if (FSpeakQueue.empty() && FHost.Downloading()) {
        FSpeakMode = TSpeakMode::Summary;
        Queue("Downloaded");
        SpeakNumber(FHost.DownloadedTotal());
        Queue("packs");
        SpeakNumber(FHost.PlayedTotal());
        Queue("players");
        FLastColour = 0;
        bool first = true;
        const int packs = std::min(FHost.PacksPerTeam(), kMaxPacksPerTeam);
        for (int team = 1; team <= kTeamCount; ++team) {
            for (int pack = 1; pack <= packs; ++pack) {
                if (FHost.GetPackState(team, pack) != psInUse)
                    continue;
                if (first)
                    Queue("Still_need");
                first = false;
                SpeakTeamColour(FHost.TeamColour(team));
                SpeakNumber(pack);
            }
        }
    }
    FLastColour = 0;
    StartQueue();
}
