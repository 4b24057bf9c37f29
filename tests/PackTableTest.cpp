#include "core/PackTable.h"

#include <gtest/gtest.h>

namespace {

TEST(PackTable, StoresOnlyInRangeAndReportsRealChanges) {
    TPackTable table;
    EXPECT_TRUE(table.Set(1, 1, psPlayed));
    EXPECT_FALSE(table.Set(1, 1, psPlayed));
    EXPECT_TRUE(table.Set(3, 20, psDownloaded));
    EXPECT_EQ(table.Get(1, 1), psPlayed);
    EXPECT_EQ(table.Get(3, 20), psDownloaded);

    for (auto [team, pack] : {std::pair{0, 1}, {4, 1}, {1, 0}, {1, 21}, {-1, -1}})
        EXPECT_FALSE(table.Set(team, pack, psInUse)) << team << "/" << pack;
    EXPECT_FALSE(table.Set(2, 2, 4));
    EXPECT_FALSE(table.Set(2, 2, -1));
    EXPECT_EQ(table.Get(2, 2), psNotInUse);
    EXPECT_EQ(table.Get(4, 1), psNotInUse);
    EXPECT_EQ(table.Get(1, 21), psNotInUse);
    EXPECT_EQ(table.Count(20).InUse, 2);
}

TEST(PackTable, CountsOnlyThePacksShown) {
    TPackTable table;
    table.Set(1, 1, psInUse);
    table.Set(1, 2, psPlayed);
    table.Set(1, 3, psDownloaded);
    table.Set(2, 1, psPlayed);
    table.Set(2, 6, psPlayed);
    table.Set(3, 5, psDownloaded);
    table.Set(3, 7, psPlayed); // beyond 6 packs per team

    const TPackTotals six = table.Count(6);
    EXPECT_EQ(six.InUse, 6);
    EXPECT_EQ(six.Downloaded, 5);
    EXPECT_EQ(six.Played, 3);
    EXPECT_EQ(six.TeamDownloaded, (std::array{2, 2, 1}));
    EXPECT_EQ(six.TeamPlayed, (std::array{1, 2, 0}));

    const TPackTotals seven = table.Count(7);
    EXPECT_EQ(seven.Played, 4);
    EXPECT_EQ(seven.TeamPlayed[2], 1);

    EXPECT_EQ(table.Count(0).InUse, 0);
    EXPECT_EQ(table.Count(-3).InUse, 0);
}

TEST(PackTable, CountingNeverReadsPastPackTwenty) {
    // Team 1's row ends where team 2's begins; reading beyond pack 20 of team 1 would count
    // team 2's first packs twice.
    TPackTable table;
    for (int pack = 1; pack <= 20; ++pack)
        table.Set(2, pack, psPlayed);
    EXPECT_EQ(table.Count(25).Played, 20);
    EXPECT_EQ(table.Count(25).TeamPlayed, (std::array{0, 20, 0}));
}

} // namespace
