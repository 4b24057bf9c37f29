#include "app/DisplayState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DisplayStateTest : public ::testing::Test {
protected:
    DisplayStateTest() {
        TSettingValues settings = DefaultSettingValues({"/opt/tallivue/", 1024, 768});
        settings.Set(sPacksPerTeam, 6);
        settings.Set(sTimeRemaining, 2);
        State.Configure(settings);
    }

    // A datagram as the display splits it; the entries after the keyword are pack status flags
    // (team 1 pack 1, team 2 pack 1, team 3 pack 1, team 1 pack 2...).
    void Hear(std::string datagram) {
        Text = std::move(datagram);
        SplitFields(Text, Fields);
        if (ClassifyMessage(Fields) == TMessageKind::Mode)
            State.ModeMessage(Fields);
        else
            State.PackStatusMessage(Fields, [this](const TPackEntry& entry) {
                Before.push_back(State.PackState(entry.Team, entry.Pack));
            });
    }

    TDisplayState State;
    std::string Text;
    std::vector<std::string_view> Fields;
    std::vector<TPackState> Before; // each entry's state as the state held it when it came
};

TEST_F(DisplayStateTest, TotalsFollowTheStatesJustHeard) {
    Hear("PACKSTATUS,128,128,128");
    EXPECT_EQ(State.Title(), "I:3  D:0  P:0  Tallivue");
    EXPECT_FALSE(State.FirstStatus());

    Hear("PACKSTATUS,192,160,128");
    EXPECT_EQ(Before, (std::vector<TPackState>{psNotInUse, psNotInUse, psNotInUse, psInUse, psInUse,
                                               psInUse}));
    EXPECT_EQ(State.Title(), "I:3  D:2  P:1  Tallivue");

    // A pack in use beyond the grid widens it, and it counts at once.
    Hear("PACKSTATUS" + std::string(34, ',') + "128");
    EXPECT_EQ(State.PacksPerTeam(), 12);
    EXPECT_EQ(State.Title(), "I:1  D:0  P:0  Tallivue");
}

TEST_F(DisplayStateTest, AGameKeepsItsCountdownTitleWhileThePacksAreCounted) {
    Hear("PACKSTATUS,128,128,128");
    Hear("MODE,GAMEACTIVE,300,Solo");
    EXPECT_TRUE(State.GameActive());
    EXPECT_EQ(State.ModeCaption(), "Playing Game Solo");
    EXPECT_FALSE(State.CountdownShown()); // shown from two minutes down
    EXPECT_EQ(State.Title(), "5:00  Tallivue");

    Hear("PACKSTATUS,128,128,128,128,128");
    Hear("MODE,GAMEACTIVE,95");
    EXPECT_EQ(State.Totals().InUse, 5);
    EXPECT_TRUE(State.CountdownShown());
    EXPECT_EQ(State.Countdown(), "1:35");
    EXPECT_EQ(State.Title(), "1:35  Tallivue");
    Hear("MODE,GAMEACTIVE");
    EXPECT_EQ(State.ModeCaption(), "Playing Game");
    EXPECT_EQ(State.Countdown(), "1:35");
    Hear("MODE,GAMEACTIVE,-65,Solo"); // a controller's clock past the end
    EXPECT_TRUE(State.CountdownShown());
    EXPECT_EQ(State.Title(), "0:00  Tallivue");

    Hear("MODE,CALCULATE");
    EXPECT_EQ(State.Mode(), TDisplayMode::Calculating);
    EXPECT_FALSE(State.CountdownShown());
    Hear("MODE,DOWNLOADPACKS");
    EXPECT_EQ(State.ModeCaption(), "Download Packs");
    Hear("MODE,Maintenance");
    EXPECT_EQ(State.Mode(), TDisplayMode::Other);
    EXPECT_EQ(State.ModeCaption(), "Maintenance");
}

} // namespace
