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
