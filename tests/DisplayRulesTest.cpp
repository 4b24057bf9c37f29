#include "app/DisplayRules.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayTexts, CountdownAndTitles) {
    const std::pair<int, const char*> countdowns[] = {{275, "4:35"}, {5, "0:05"},  {600, "10:00"},
                                                      {0, "0:00"},   {59, "0:59"}, {3599, "59:59"}};
    for (const auto& [seconds, text] : countdowns)
        EXPECT_EQ(CountdownText(seconds), text) << seconds;
    EXPECT_EQ(CountdownTitle("4:35"), "4:35  Tallivue");
    EXPECT_EQ(TotalsTitle(24, 20, 18), "I:24  D:20  P:18  Tallivue");
}

// The full screen with no settings on a 1024 x 768 screen, and the placements that depend on
// what shows.
TEST(FullScreenLayout, StacksBelowThePolygonAndPlacesTheClock) {
    TFullScreenInput in;
    in.Width = 1024;
    in.Height = 768;
    in.PolygonTop = 10;
    in.PolygonWidth = 50;
    in.PolygonHeight = 73;
    in.TitleWidth = 600;
    in.GridHeight = 150;
    in.LogoWidth = 200;
    in.LogoHeight = 60;
    in.ScrollHeight = 57;
    in.ScrollTop = 440;
    in.ClockWidth = 153;
    in.ClockHeight = 36;
    in.TotalLabelWidth = 72;
    in.TotalLabelHeight = 17;
    in.TotalTextWidth = 72;
    TFullScreenLayout out = FullScreenLayout(in);
    EXPECT_EQ(out.PolygonLeft, 974);
    EXPECT_EQ(out.Title, (TPlace{187, 5}));
    EXPECT_EQ(out.GridTop, 84);
    EXPECT_EQ(out.Logo, (TPlace{412, 235}));
    EXPECT_EQ(out.ModeTop, 296);
    EXPECT_EQ(out.ScrollTop, 701);
    EXPECT_EQ(out.Clock, (TPlace{435, 664}));
    EXPECT_EQ(out.TotalLabel, (TPlace{476, 532}));
    EXPECT_EQ(out.TotalText, (TPlace{476, 549}));

    // The polygon hidden: beyond the right edge, the title still centred beside where it was,
    // a top-right clock against the edge.
    in.PolygonShown = false;
    in.ClockPosition = 2;
    out = FullScreenLayout(in);
    EXPECT_EQ(out.PolygonLeft, 1024);
    EXPECT_EQ(out.Title.Left, 187);
    EXPECT_EQ(out.Clock, (TPlace{870, 0}));
    // No scroll message: a bottom clock sits above where the message last stood.
    in.ScrollShown = false;
    in.ClockPosition = 4;
    out = FullScreenLayout(in);
    EXPECT_EQ(out.ScrollTop, 440);
    EXPECT_EQ(out.Clock, (TPlace{0, 403}));
    in.ClockPosition = 7;
    EXPECT_FALSE(FullScreenLayout(in).Clock);
}

} // namespace
