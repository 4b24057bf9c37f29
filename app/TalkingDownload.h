#pragma once

// The talking download: pack changes, the end of a download and a periodic summary with the
// packs still missing become a queue of sound names, played one after another on the media
// player, with reminders at an interval that grows by a setting. Plain logic: the packs, the
// mode and the reminder timer come through TTalkingDownloadHost, sounds through
// TSoundPlayer.

#include "controls/SoundPlayer.h"
#include "core/PackTypes.h"

#include <cstdint>
#include <deque>
#include <string>

// What the talking download reads and drives in the main window.
class TTalkingDownloadHost {
public:
    virtual ~TTalkingDownloadHost() = default;

    virtual TPackState GetPackState(int team, int pack) const = 0;
    virtual TTeamColour TeamColour(int team) const = 0;
    virtual int PacksPerTeam() const = 0;
    virtual int DownloadedTotal() const = 0; // of the states just heard
    virtual int PlayedTotal() const = 0;
    virtual bool Downloading() const = 0; // the controller's mode is the download

    virtual int SpeakTimerInterval() const = 0;
    // Restarts the countdown only when the interval really changes.
    virtual void SetSpeakTimerInterval(int milliseconds) = 0;
    // Disabled and enabled again: the next tick comes one whole interval from now.
    virtual void RestartSpeakTimer() = 0;

    virtual void ReportError(const std::string& text) = 0;
};

// The settings the talking download uses, as the main window read them at its activation.
struct TTalkingSettings {
    bool TalkingDownload = false;
    int StillNeedDelayIncrement = 0; // seconds
    std::string TalkingFolder;       // with its trailing separator
};

// What the queue holds: nothing, pack announcements, or the periodic summary, which a new
// announcement cuts short.
enum class TSpeakMode : std::uint8_t { Nothing, Packs, Summary };

class TTalkingDownload {
public:
    static constexpr int kSpeakInterval = 5000; // ms

    TTalkingDownload(TTalkingDownloadHost& host, TSoundPlayer& player);

    void SetSettings(const TTalkingSettings& settings) { FSettings = settings; }
    const TTalkingSettings& Settings() const { return FSettings; }

    // A pack's new state, before the grid takes it.
    void SpeakStatus(int team, int pack, TPackState state);
    void SpeakDownloadComplete();
    void SpeakTeamColour(int colour);
    void SpeakNumber(int number);
    // The player's completion report, and the way to start the queue by hand.
    void MediaPlayer1Notify();
    void SpeakTimerTimer();

    const std::deque<std::string>& SpeakQueue() const { return FSpeakQueue; }
    static constexpr std::size_t kMostWaitingNames = 1000;
    TSpeakMode SpeakMode() const { return FSpeakMode; }
    std::uint8_t LastColour() const { return FLastColour; }
    bool PlayerIdle() const { return FPlayerIdle; }

private:
    void StartQueue();
    void Queue(std::string name) { FSpeakQueue.push_back(std::move(name)); }
    bool StartSound(const std::string& file);

    TTalkingDownloadHost& FHost;
    TSoundPlayer& FPlayer;
    TTalkingSettings FSettings;
    std::deque<std::string> FSpeakQueue;
    TSpeakMode FSpeakMode = TSpeakMode::Nothing;
    std::uint8_t FLastColour = 0;
    bool FPlayerIdle = true;
    bool FStarting = false; // a start of the queue is under way
    std::string FLastError; // reported already, until a sound plays again
};
