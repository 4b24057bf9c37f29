#include "app/TalkingDownload.h"
#include "support/TalkingDoubles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

const char* const kNames[] = {"Downloaded", "packs", "players", "Still_need", "Download_complete",
                              "red",        "green", "blue",    "yellow",     "00",
                              "01",         "02",    "03",      "04",         "05",
                              "06",         "07",    "08",      "09",         "10",
                              "11",         "12",    "13",      "14",         "15",
                              "16",         "17",    "18",      "19",         "20",
                              "30",         "40",    "50",      "60",         "70",
                              "80",         "90",    "100",     "110"};

class Talking : public ::testing::Test {
protected:
    Talking() {
        for (const char* name : kNames)
            WriteBytes(FFolder / (std::string(name) + ".wav"), "RIFF");
        TTalkingSettings settings;
        settings.TalkingDownload = true;
        settings.TalkingFolder = FFolder.Path().string() + "/";
        Speech.SetSettings(settings);
    }

    // Lets every queued sound play to its end; what was heard since the last call.
    std::vector<std::string> Heard() {
        if (Speech.PlayerIdle() && !Speech.SpeakQueue().empty())
            Speech.MediaPlayer1Notify(); // started by hand
        while (!Speech.PlayerIdle())
            Speech.MediaPlayer1Notify();
        std::vector<std::string> heard;
        heard.swap(Player.Played);
        return heard;
    }
    std::vector<std::string> Queued() const {
        return {Speech.SpeakQueue().begin(), Speech.SpeakQueue().end()};
    }
    // A pack's change as the pack status handling makes it: announced, then stored.
    void Change(int team, int pack, TPackState state) {
        Speech.SpeakStatus(team, pack, state);
        Host.Packs.Set(team, pack, state);
    }

    TTempFolder FFolder;
    THost Host;
    TRecordingPlayer Player;
    TTalkingDownload Speech{Host, Player};
};

using TNames = std::vector<std::string>;

TEST_F(Talking, NumbersAreSpokenInParts) {
    const std::pair<int, TNames> cases[] = {
        {0, {"00"}},        {5, {"05"}},  {19, {"19"}}, {20, {"20"}},   {21, {"20", "01"}},
        {37, {"30", "07"}}, {40, {"40"}}, {60, {"60"}}, {100, {"100"}}, {123, {"120", "03"}},
    };
    for (const auto& [number, names] : cases) {
        Speech.SpeakNumber(number);
        EXPECT_EQ(Queued(), names) << number;
        Heard();
    }
}

TEST_F(Talking, ChangesAnnounceTheColourOnlyWhenItChanges) {
    Host.Download = false; // ticks here only forget the colour
    Host.Packs.Set(1, 5, psInUse);
    Host.Packs.Set(1, 7, psInUse);
    Change(1, 5, psPlayed);
    EXPECT_EQ(Player.Played, (TNames{"red"}));
    EXPECT_EQ(Queued(), (TNames{"05"}));
    EXPECT_FALSE(Speech.PlayerIdle());
    EXPECT_EQ(Speech.SpeakMode(), TSpeakMode::Packs);
    Change(1, 7, psDownloaded);
    EXPECT_EQ(Heard(), (TNames{"red", "05", "07"}));
    EXPECT_EQ(Speech.SpeakMode(), TSpeakMode::Nothing);
    EXPECT_EQ(Player.Closes, 1);
    EXPECT_EQ(Host.Restarts, 1);

    Speech.SpeakTimerTimer();
    Change(1, 8, psInUse); // 0 to 1: a pack joins the game
    EXPECT_EQ(Heard(), (TNames{"red", "08"}));
    // Leaving the game, or back to in use from downloaded: nothing.
    Change(1, 5, psInUse);
    Change(1, 7, psInUse);
    Change(1, 8, psNotInUse);
    Change(2, 2, psNotInUse); // unchanged
    Change(4, 1, psInUse);    // no such team
    Change(1, 21, psInUse);   // no such pack
    EXPECT_EQ(Heard(), TNames{});
    Change(3, 1, psDownloaded);
    Change(3, 1, psPlayed); // between downloaded and played
    EXPECT_EQ(Heard(), (TNames{"yellow", "01", "01"}));

    // A flood of changes while a sound plays: the queue stops growing, its head intact.
    Change(1, 1, psPlayed);
    for (int i = 0; i < 100'000; ++i)
        Change(i % 3 + 1, i / 3 % 20 + 1, i / 60 % 2 ? psPlayed : psDownloaded);
    EXPECT_LE(Speech.SpeakQueue().size(), TTalkingDownload::kMostWaitingNames);
    EXPECT_EQ(Speech.SpeakQueue().front(), "01");
}

TEST_F(Talking, SummariesTellTotalsAndThePacksStillNeeded) {
    Host.Downloaded = 18;
    Host.PlayedCount = 15;
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Speech.SpeakMode(), TSpeakMode::Summary);
    EXPECT_EQ(Heard(), (TNames{"Downloaded", "18", "packs", "15", "players"}));

    Host.Colours[1] = tcBlue;
    Host.Packs.Set(1, 1, psInUse);
    Host.Packs.Set(1, 6, psInUse);
    Host.Packs.Set(2, 3, psInUse);
    Host.Packs.Set(2, 7, psInUse); // beyond the packs shown
    Host.Packs.Set(3, 2, psInUse);
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Heard(), (TNames{"Downloaded", "18", "packs", "15", "players", "Still_need", "red",
                               "01", "06", "blue", "03", "yellow", "02"}));
    EXPECT_EQ(Speech.LastColour(), 0);

    // Not while names wait in the queue, and never outside download mode.
    Speech.SpeakNumber(1);
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Heard(), (TNames{"01"}));
    Host.Download = false;
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Heard(), TNames{});
    // Nor with the talking download off, which leaves the interval alone too.
    Host.Download = true;
    TTalkingSettings off = Speech.Settings();
    off.TalkingDownload = false;
    Speech.SetSettings(off);
    const int interval = Host.Interval;
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Heard(), TNames{});
    EXPECT_EQ(Host.Interval, interval);
}

TEST_F(Talking, TheReminderIntervalGrowsUntilAPackComesIn) {
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Host.Interval, 5000); // an increment of 0 keeps 5 s
    TTalkingSettings settings = Speech.Settings();
    settings.StillNeedDelayIncrement = 10;
    Speech.SetSettings(settings);
    Heard();
    Speech.SpeakTimerTimer();
    Heard();
    Speech.SpeakTimerTimer();
    EXPECT_EQ(Host.Interval, 25000);
    Heard();
    Change(2, 2, psDownloaded);
    EXPECT_EQ(Host.Interval, 5000);

    // A day more each time: within a month the interval reaches the most a timer counts.
    settings.StillNeedDelayIncrement = 86400;
    Speech.SetSettings(settings);
    for (int tick = 0; tick < 30; ++tick, Heard())
        Speech.SpeakTimerTimer();
    EXPECT_EQ(Host.Interval, std::numeric_limits<std::int32_t>::max());
}

TEST_F(Talking, ADownloadCutsTheSummaryShortAndTheEndReplacesTheQueue) {
    Host.Packs.Set(1, 3, psInUse);
    Host.Packs.Set(2, 4, psInUse);
    Speech.SpeakTimerTimer();
    Speech.MediaPlayer1Notify(); // "Downloaded" has played, "00" plays now
    Change(2, 4, psPlayed);
    EXPECT_EQ(Queued(), (TNames{"Downloaded", "green", "04"}));
    EXPECT_EQ(Speech.SpeakMode(), TSpeakMode::Packs);
    EXPECT_EQ(Heard(), (TNames{"Downloaded", "00", "Downloaded", "green", "04"}));

    Speech.SpeakTimerTimer();
    Speech.SpeakDownloadComplete();
    EXPECT_EQ(Queued(), TNames{"Download_complete"}); // after the sound playing now
    EXPECT_EQ(Speech.SpeakMode(), TSpeakMode::Summary);
    EXPECT_EQ(Heard(), (TNames{"Downloaded", "Download_complete"}));
}

TEST_F(Talking, MissingOrBrokenSoundsNeverStallTheQueue) {
    std::filesystem::remove(FFolder / "05.wav");
    std::filesystem::remove(FFolder / "red.wav");
    Change(1, 5, psPlayed);
    EXPECT_TRUE(Speech.PlayerIdle()); // nothing to play: idle at once
    EXPECT_EQ(Player.Opens, 0);
    EXPECT_EQ(Player.Closes, 1);
    EXPECT_EQ(Host.Restarts, 1);

    // One that will not open and one that will not start are reported and dropped.
    Player.Unopenable = {"green"};
    Player.Unplayable = {"02"};
    Change(2, 2, psPlayed);
    Change(2, 3, psPlayed);
    EXPECT_EQ(Heard(), (TNames{"03"}));
    ASSERT_EQ(Host.Errors.size(), 2u);
    EXPECT_EQ(Host.Errors[0], "cannot open green");
    EXPECT_NE(Host.Errors[1].find("02.wav"), std::string::npos);

    // A sound device that fails every sound alike is reported once, until one plays again.
    Player.Unopenable = {"blue", "04", "06"};
    Host.Colours[2] = tcBlue;
    Change(3, 4, psPlayed);
    Change(3, 6, psPlayed);
    EXPECT_EQ(Heard(), TNames{});
    EXPECT_EQ(Host.Errors.size(), 5u);
    Player.Unopenable = {"07"};
    Speech.SpeakNumber(7);
    Speech.MediaPlayer1Notify();
    Speech.SpeakNumber(7);
    Speech.MediaPlayer1Notify();
    EXPECT_EQ(Host.Errors.size(), 6u);
    // Once a sound has played, the same failure is news again.
    Player.Unopenable.clear();
    Speech.SpeakNumber(7);
    EXPECT_EQ(Heard(), TNames{"07"});
    Player.Unopenable = {"07"};
    Speech.SpeakNumber(7);
    Speech.MediaPlayer1Notify();
    EXPECT_EQ(Host.Errors.size(), 7u);
}

// A start that runs into the talking download again half-way (a tick or a completion handled
// by an event loop inside the player or an error box) leaves the queue to the start under way.
TEST_F(Talking, AStartInsideAStartDoesNothing) {
    Host.Packs.Set(1, 5, psInUse);
    Player.OnOpen = [this] {
        Speech.SpeakTimerTimer();
    };
    Speech.SpeakNumber(5);
    Speech.MediaPlayer1Notify();
    EXPECT_EQ(Player.Played, TNames{"05"});
    EXPECT_EQ(Player.Opens, 1);
    EXPECT_FALSE(Speech.PlayerIdle());
    // What the tick queued meanwhile follows, in order.
    EXPECT_EQ(Heard(), (TNames{"05", "Downloaded", "00", "packs", "00", "players", "Still_need",
                               "red", "05"}));
}

} // namespace
