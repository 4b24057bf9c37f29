#include "app/OpeningHours.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int At(int hours, int minutes) {
    return hours * 60 + minutes;
}

TEST(OpeningHoursTest, DayTextsReadAsRangesOrAreRefused) {
    const auto hours = ParseDayHours(" 09:30 - 23:05 ");
    ASSERT_TRUE(hours);
    EXPECT_EQ(hours->Opens, At(9, 30));
    EXPECT_EQ(hours->Closes, At(23, 5));
    EXPECT_TRUE(ParseDayHours("")->Closed);
    EXPECT_EQ(ParseDayHours("00:00-24:00")->Closes, 24 * 60);
    for (const char* bad : {"9:30-23:00", "10:00", "10:00-25:00", "10:60-11:00", "24:00-10:00",
                            "10:00-22:00-23:00", "ten-ten", "10.00-22.00"})
        EXPECT_FALSE(ParseDayHours(bad)) << bad;
}

TEST(OpeningHoursTest, TheScreenIsWantedWithinTheHoursAndWhileTheArenaIsPlainlyOpen) {
    TOpeningHours hours;
    hours.Enabled = true;
    for (TDayHours& day : hours.Days)
        day = {false, At(10, 0), At(22, 0)};
    hours.Days[4] = {false, At(18, 0), At(2, 0)};  // Friday runs into Saturday night
    hours.Days[5] = {false, At(10, 0), At(10, 0)}; // Saturday: from ten round the clock
    hours.Days[6] = {true, 0, 0};                  // Sunday closed

    constexpr std::int64_t kMinute = 60'000;
    struct TCase {
        int Weekday, Minute;
        std::int64_t SincePlay, SinceInput;
        bool Wanted;
    };
    const TCase cases[] = {
        {1, At(9, 59), -1, -1, false}, // Monday before opening
        {1, At(10, 0), -1, -1, true},  // at opening
        {1, At(21, 59), -1, -1, true},
        {1, At(22, 0), -1, -1, false},  // at closing
        {5, At(17, 59), -1, -1, false}, // Friday before its late opening
        {5, At(23, 30), -1, -1, true},
        {6, At(1, 59), -1, -1, true},  // Saturday, still Friday's night
        {6, At(2, 0), -1, -1, false},  // Friday's night over, Saturday opens at ten
        {7, At(9, 0), -1, -1, true},   // Saturday's round the clock runs into Sunday
        {7, At(10, 0), -1, -1, false}, // Sunday closed
        {1, At(1, 0), -1, -1, false},  // Sunday's closed night does not run into Monday
        // A late game keeps the screen on for half an hour after the controller last spoke of it.
        {1, At(23, 0), 29 * kMinute, -1, true},
        {1, At(23, 0), 30 * kMinute, -1, false},
        // A key or the mouse for ten minutes.
        {7, At(12, 0), -1, 9 * kMinute, true},
        {7, At(12, 0), -1, 10 * kMinute, false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ScreenWanted(hours, {c.Weekday, c.Minute, c.SincePlay, c.SinceInput}), c.Wanted)
            << "weekday " << c.Weekday << " minute " << c.Minute << " play " << c.SincePlay
            << " input " << c.SinceInput;
    }
    // Off, the screen is always on.
    hours.Enabled = false;
    EXPECT_TRUE(ScreenWanted(hours, {7, At(12, 0), -1, -1}));
}

} // namespace
