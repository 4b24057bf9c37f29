#include "tools/sim/GameCycle.h"
#include "app/Protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(std::string text) {
    std::vector<std::string_view> views;
    SplitFields(text, views);
    return {views.begin(), views.end()};
}

// The pack table a pack status message leaves on a display that knew nothing before it.
TPackTable Decode(const std::vector<std::string>& fields) {
    TPackTable packs;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const TPackEntry entry = DecodePackEntry(i, fields[i]);
        packs.Set(entry.Team, entry.Pack, entry.State);
    }
    return packs;
}

bool SameStates(const TPackTable& a, const TPackTable& b) {
    for (int team = 1; team <= kTeamCount; ++team)
        for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
            if (a.Get(team, pack) != b.Get(team, pack))
                return false;
    return true;
}

struct TTally {
    int Played = 0;
    int Downloaded = 0;
    int BeforeTheLastInTableOrder = 0; // arrivals a random order would bring
};

// Follows one cycle as a display would, failing at the first datagram out of place.
void CheckCycle(const TGameOptions& options, const TGameCycle& cycle, TTally& tally) {
    TPackTable inGame;
    for (int team = 1; team <= options.Teams; ++team)
        for (int pack = 1; pack <= options.PacksPerTeam; ++pack)
            inGame.Set(team, pack, psInUse);
    TPackTable packs = inGame;
    std::vector<std::string> modes;
    int secondsLeft = options.GameSeconds, arrived = 0, lastSlot = -1;
    std::int64_t last = 0, lastMode = 0;
    for (const TTimedDatagram& datagram : cycle.Datagrams) {
        SCOPED_TRACE(std::to_string(datagram.AtMs) + " ms: " + datagram.Text);
        ASSERT_GE(datagram.AtMs, last);
        last = datagram.AtMs;
        const auto fields = Split(datagram.Text);
        ASSERT_GE(fields.size(), 2u);
        if (fields[0] == "MODE") {
            if (modes.empty() || modes.back() != fields[1]) {
                ASSERT_TRUE(modes.empty() || datagram.AtMs - lastMode >= 1000)
                    << modes.back() << " shows for a while";
                modes.push_back(fields[1]);
            } else {
                ASSERT_EQ(datagram.AtMs - lastMode, 1000) << "a game second apart";
            }
            lastMode = datagram.AtMs;
            if (fields[1] == "GAMEACTIVE")
                ASSERT_EQ(fields, (std::vector<std::string>{"MODE", "GAMEACTIVE",
                                                            std::to_string(secondsLeft--),
                                                            options.GameName}));
            else
                ASSERT_EQ(fields.size(), 2u);
            continue;
        }
        ASSERT_EQ(fields[0], "PACKSTATUS");
        ASSERT_EQ(fields.size(), 3u * options.PacksPerTeam + 1);
        const TPackTable now = Decode(fields);
        if (modes.back() == "GAMEACTIVE") {
            ASSERT_TRUE(SameStates(now, inGame));
            continue;
        }
        ASSERT_EQ(modes.back(), "DOWNLOADPACKS");
        int changed = 0;
        for (int team = 1; team <= kTeamCount; ++team)
            for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack) {
                const TPackState before = packs.Get(team, pack), after = now.Get(team, pack);
                if (after == before)
                    continue;
                ++changed;
                ASSERT_EQ(before, psInUse);
                ASSERT_TRUE(after == psPlayed || after == psDownloaded);
                ++(after == psPlayed ? tally.Played : tally.Downloaded);
                const int slot = team * kMaxPacksPerTeam + pack;
                tally.BeforeTheLastInTableOrder += slot < lastSlot;
                lastSlot = slot;
            }
        ASSERT_EQ(changed, 1) << "one pack arrives at a time";
        packs = now;
        ++arrived;
    }
    EXPECT_EQ(modes,
              (std::vector<std::string>{"IDLE", "GAMEACTIVE", "CALCULATE", "DOWNLOADPACKS"}));
    EXPECT_EQ(secondsLeft, -1) << "the countdown reached 0";
    EXPECT_GE(cycle.LengthMs - last, 1000) << "the closing IDLE waits for the missing packs";
    const int packCount = options.Teams * options.PacksPerTeam;
    if (packCount >= 2) {
        EXPECT_GE(packCount - arrived, 1);
        EXPECT_LE(packCount - arrived, packCount / 2);
    }
}

TEST(GameCycle, ModesInOrderAndPacksArriveOneByOneNeverBackInUse) {
    std::vector<TGameOptions> optionSets(4);
    optionSets[1] = {1, 1, 1, "Solo"};
    optionSets[2] = {2, 7, 45, "Capture the \"flag\", twice"};
    optionSets[3] = {3, kMaxPacksPerTeam, 61, ""};
    TTally tally;
    for (const TGameOptions& options : optionSets)
        for (std::uint32_t seed : {1u, 77u, 4000000000u}) {
            SCOPED_TRACE("teams " + std::to_string(options.Teams) + ", packs " +
                         std::to_string(options.PacksPerTeam) + ", seed " + std::to_string(seed));
            TRandom random(seed);
            // Cycles follow one another from the one generator, as "--cycles" plays them.
            for (int round = 0; round < 2; ++round)
                ASSERT_NO_FATAL_FAILURE(CheckCycle(options, GameCycle(options, random), tally));
        }
    EXPECT_GT(tally.Played, tally.Downloaded);
    EXPECT_GT(tally.Downloaded, 0);
    EXPECT_GT(tally.BeforeTheLastInTableOrder, 0);
}

TEST(GameCycle, ASeedRepeatsItsCyclesAndAnotherChangesThem) {
    const TGameOptions options{3, kMaxPacksPerTeam, 30, "Deathmatch"};
    auto texts = [&](std::uint32_t seed) {
        TRandom random(seed);
        std::vector<std::string> all;
        for (int round = 0; round < 2; ++round)
            for (const TTimedDatagram& datagram : GameCycle(options, random).Datagrams)
                all.push_back(std::to_string(datagram.AtMs) + " " + datagram.Text);
        return all;
    };
    EXPECT_EQ(texts(12), texts(12));
    EXPECT_NE(texts(12), texts(13));
}

} // namespace
