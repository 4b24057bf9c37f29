#pragma once

// The talking download's seams: a player that records what it was asked to play, and a main
// window that holds a pack table, a caption and a timer's interval.

#include "app/TalkingDownload.h"
#include "controls/GridModel.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Records what it is asked to play; a test ends each sound by calling the notification.
class TRecordingPlayer : public TSoundPlayer {
public:
    bool SoundFileExists(const std::string& fileName) const override {
        return std::filesystem::is_regular_file(fileName);
    }
    void SetFileName(const std::string& fileName) override { FFile = fileName; }
    void Open() override {
        ++Opens;
        if (OnOpen)
            std::exchange(OnOpen, nullptr)(); // once, as an event loop run inside would

        if (Unopenable.count(Name()))
            throw TMediaError("cannot open " + Name());
    }
    bool Play() override {
        if (Unplayable.count(Name()))
            return false;
        Played.push_back(Name());
        return true;
    }
    void Close() override { ++Closes; }

    std::string Name() const { // the sound's name, without folder and extension
        const auto slash = FFile.find_last_of("/\\");
        return FFile.substr(slash + 1, FFile.size() - slash - 1 - 4);
    }

    std::vector<std::string> Played;
    std::set<std::string> Unopenable, Unplayable;
    std::function<void()> OnOpen;
    int Opens = 0, Closes = 0;

private:
    std::string FFile;
};

class THost : public TTalkingDownloadHost {
public:
    TPackState GetPackState(int team, int pack) const override { return Packs.Get(team, pack); }
    TTeamColour TeamColour(int team) const override { return Colours[team - 1]; }
    int PacksPerTeam() const override { return Packs_; }
    int DownloadedTotal() const override { return Downloaded; }
    int PlayedTotal() const override { return PlayedCount; }
    bool Downloading() const override { return Download; }
    int SpeakTimerInterval() const override { return Interval; }
    void SetSpeakTimerInterval(int milliseconds) override { Interval = milliseconds; }
    void RestartSpeakTimer() override { ++Restarts; }
    void ReportError(const std::string& text) override { Errors.push_back(text); }

    TPackTable Packs;
    TTeamColour Colours[3] = {tcRed, tcGreen, tcYellow};
    int Packs_ = 6, Downloaded = 0, PlayedCount = 0;
    bool Download = true;
    int Interval = TTalkingDownload::kSpeakInterval, Restarts = 0;
    std::vector<std::string> Errors;
};
