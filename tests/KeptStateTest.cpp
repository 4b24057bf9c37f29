#include "app/KeptState.h"
#include "app/DisplayState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TKeptState SomeState() {
    TKeptState state;
    state.SavedAtMs = 1'765'450'000'123;
    // A game name as a controller may send it: a quoted comma, a byte beyond ASCII, an empty
    // field and a line break, none of which may split or end a line of the file.
    state.ModeFields = {"MODE", "GAMEACTIVE", "95", "Solo, \xE9quipe\n", ""};
    state.ModeHeardAtMs = 1'765'449'999'000;
    state.PacksPerTeam = 14;
    state.Packs.Set(1, 1, psPlayed);
    state.Packs.Set(2, 7, psDownloaded);
    state.Packs.Set(3, 20, psInUse); // the last pack of the last team
    return state;
}

TEST(KeptStateTest, AStateReadsBackAsItWasWrittenAndNothingLessIsAState) {
    const std::string text = FormatKeptState(SomeState());
    std::string why;
    const auto read = ParseKeptState(text, why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(read->ModeFields, SomeState().ModeFields);
    EXPECT_EQ(FormatKeptState(*read), text); // every time and pack as it was

    // A file cut anywhere, as by a full disk or a copy broken off, is never taken for a state.
    for (std::size_t length = 0; length < text.size(); ++length)
        EXPECT_FALSE(ParseKeptState(text.substr(0, length), why)) << length;
    // Nor one with a digit that is no pack state, a line twice, or another program's text.
    std::string badPack = text;
    badPack[badPack.size() - 2] = '4';
    const auto packsLine = text.find("packs");
    for (const std::string& bad :
         {badPack, text + text.substr(packsLine), std::string("[HKEY_LOCAL_MACHINE]\nsaved 1\n")})
        EXPECT_FALSE(ParseKeptState(bad, why)) << bad;

    // A display that has heard no mode yet keeps its packs alone.
    TKeptState packsOnly = SomeState();
    packsOnly.ModeFields.clear();
    EXPECT_TRUE(ParseKeptState(FormatKeptState(packsOnly), why)->ModeFields.empty());
}

TEST(KeptStateTest, AGameGoesOnCountingDownFromTheTimeThatPassed) {
    const std::vector<std::string> game{"MODE", "GAMEACTIVE", "95", "Solo"};
    EXPECT_EQ(ModeFieldsAfter(game, 30'999)[2], "65");
    EXPECT_EQ(ModeFieldsAfter(game, 30'999)[3], "Solo");
    EXPECT_EQ(ModeFieldsAfter(game, 0), game);
    const std::vector<std::string> download{"MODE", "DOWNLOADPACKS", "95"};
    EXPECT_EQ(ModeFieldsAfter(download, 30'000), download);
    EXPECT_EQ(ModeFieldsAfter({"MODE", "GAMEACTIVE"}, 30'000).size(), 2u);
}

TEST(KeptStateTest, RestoredPacksShowButTheNextStatusIsStillTheFirst) {
    TDisplayState state;
    TSettingValues settings = DefaultSettingValues({"/opt/tallivue/", 1024, 768});
    settings.Set(sPacksPerTeam, 6);
    state.Configure(settings);
    state.RestorePacks(SomeState().Packs, 14);
    EXPECT_EQ(state.PacksPerTeam(), 14);
    EXPECT_EQ(state.Totals().InUse, 2); // team 3's pack 20 lies beyond the 14 shown
    EXPECT_EQ(state.Title(), "I:2  D:2  P:1  Tallivue");
    EXPECT_TRUE(state.FirstStatus());
}

} // namespace
