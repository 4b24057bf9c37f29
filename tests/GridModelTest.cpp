#include "controls/GridModel.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

auto Sizes(const TGridLayout& layout) {
    return std::tuple{layout.BoxSize, layout.BorderSize, layout.Height};
}

TEST(GridLayout, BoxGapAndHeightFollowTheWidth) {
    // The main window's grid, 592 wide with 6 packs, under each choice of totals.
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 6, true, true)), std::tuple(24, 12, 120));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 6, false, true)), std::tuple(32, 16, 160));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 6, true, false)), std::tuple(43, 21, 213));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 6, false, false)), std::tuple(65, 32, 323));
    // The dialog's preview.
    EXPECT_EQ(Sizes(ComputeGridLayout(433, 10, true, true)), std::tuple(14, 7, 70));
    // Two thirds are taken before the division: 1024 * 2 / 3 = 682, over 16 columns.
    EXPECT_EQ(Sizes(ComputeGridLayout(1024, 6, true, true)), std::tuple(42, 21, 210));
    EXPECT_EQ(Sizes(ComputeGridLayout(1, 6, true, true)), std::tuple(0, 0, 0));
}

TEST(GridLayout, PacksOutsideTheirRangeAndNothingToShow) {
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 0, false, false)), std::tuple(0, 0, 0));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, -5, false, false)), std::tuple(0, 0, 0));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, -5, true, true)),
              Sizes(ComputeGridLayout(592, 0, true, true)));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 0, true, true)), std::tuple(39, 19, 193));
    EXPECT_EQ(Sizes(ComputeGridLayout(592, 500, true, true)),
              Sizes(ComputeGridLayout(592, 20, true, true)));
    EXPECT_EQ(ClampPacksPerTeam(21), 20);
    EXPECT_EQ(ClampPacksPerTeam(-1), 0);
    EXPECT_EQ(ClampPacksPerTeam(7), 7);
}

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

TEST(CellText, PlacesTheMainWindowsTotals) {
    // Pitch 36, gap 12, six packs: team totals at columns 6 and 7.5, overall totals at 10 and 13.
    const int P = 36, B = 12;
    auto centre = [&](double span, double column) {
        return CellTextLeft(P, B, span, column, 20) + 10;
    };
    EXPECT_EQ(centre(1.5, 6), 255);
    EXPECT_EQ(centre(1.5, 7.5), 309);
    EXPECT_EQ(centre(3, 10), 426);
    EXPECT_EQ(centre(3, 13), 534);
    EXPECT_EQ(CellTextTop(P, B, 0), 6);
    EXPECT_EQ(CellTextTop(P, B, 1), 42);
    EXPECT_EQ(CellTextTop(P, B, 2), 78);
    EXPECT_EQ(CellTextHeight(P, 1), 36);
    EXPECT_EQ(CellTextHeight(P, 2), 72);
    EXPECT_EQ(CellTextHeight(P, 3), 108);
    EXPECT_EQ(CellTextHeight(P, 0.666), 23); // the decimal 0.666, not two thirds (24)
}

TEST(CellText, TruncatesTowardZeroAfterRealArithmetic) {
    // Gap 7: the top lies 3.5 below the row line and is cut to 3; an odd width halves to .5.
    EXPECT_EQ(CellTextTop(21, 7, 0), 3);
    EXPECT_EQ(CellTextTop(21, 7, 1), 24);
    EXPECT_EQ(CellTextLeft(21, 7, 3, 14, 15), 325); // (1.5 + 14) * 21 + 7 - 7.5
    EXPECT_EQ(CellTextLeft(10, 0, 0, 0, 3), -1);    // -1.5 cut toward zero
}

} // namespace
