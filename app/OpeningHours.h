#pragma once

// When the screen is wanted: within the opening hours of the day, or while the arena is plainly
// open late (a game or a download not long ago), or while someone is at the keyboard or mouse.
// No Qt and no clock here: the caller says what day and minute it is.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One day's hours as "HH:MM-HH:MM". A closing time at or before the opening runs past midnight
// into the next day ("18:00-02:00"); "00:00-24:00" is the whole day; an empty text closes the
// day. Minutes count from midnight.
struct TDayHours {
    bool Closed = false;
    int Opens = 0;
    int Closes = 0;
};
std::optional<TDayHours> ParseDayHours(std::string_view text);

struct TOpeningHours {
    bool Enabled = false;            // off: the screen is always on
    std::array<TDayHours, 7> Days{}; // Monday first
};

// How long a game or download, and a key or the mouse, keep the screen on outside the hours.
constexpr std::int64_t kLateGameMs = 30 * 60 * 1000;
constexpr std::int64_t kInputMs = 10 * 60 * 1000;

struct TScreenMoment {
    int Weekday = 1;                // 1 Monday to 7 Sunday
    int Minute = 0;                 // since midnight
    std::int64_t MsSincePlay = -1;  // since the last game or download; -1: none yet
    std::int64_t MsSinceInput = -1; // since the last key or mouse; -1: none yet
};

bool ScreenWanted(const TOpeningHours& hours, const TScreenMoment& now);
// Whether the hours alone open the screen at this minute.
bool WithinHours(const TOpeningHours& hours, int weekday, int minute);
