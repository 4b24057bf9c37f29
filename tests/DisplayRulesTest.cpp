#include "app/DisplayRules.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayTexts, CountdownAndTitles) {
    const std::pair<int, const char*> countdowns[] = {{275, "4:35"}, {5, "0:05"},  {600, "10:00"},
                                                      {0, "0:00"},   {59, "0:59"}, {3599, "59:59"},
                                                      {-5, "0:00"},  {-65, "0:00"}};
    for (const auto& [seconds, text] : countdowns)
        EXPECT_EQ(CountdownText(seconds), text) << seconds;
    EXPECT_EQ(CountdownTitle("4:35"), "4:35  Tallivue");
    EXPECT_EQ(TotalsTitle(24, 20, 18), "I:24  D:20  P:18  Tallivue");
}

} // namespace

TEST(DisplayScale, AScreenIsShownAsLargeAsA1080pOne) {
    EXPECT_EQ(AutoScaleFactor(3840, 2160), 2); // a 4K television
    EXPECT_EQ(AutoScaleFactor(7680, 4320), 4);
    EXPECT_EQ(AutoScaleFactor(2560, 1440), 1); // too small to double
    EXPECT_EQ(AutoScaleFactor(3840, 1080), 1); // an ultrawide screen
    EXPECT_EQ(AutoScaleFactor(1024, 768), 1);
    EXPECT_EQ(AutoScaleFactor(0, 0), 1);
}
