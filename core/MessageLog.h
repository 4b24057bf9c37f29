#pragma once

// Every line the program writes to standard error goes through here: the journal of the
// service, or the log of the session or kiosk, keeps each one, and the program keeps the last
// few with their times, for whoever asks from the front desk.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

struct TLoggedLine {
    std::chrono::system_clock::time_point Time;
    std::string Text; // without the program's name in front
};

// Writes "tallivue: <text>" as one line (line breaks in `text` become blanks) and keeps it.
void LogLine(std::string_view text);

// The last kKeptLines lines, the oldest first.
constexpr std::size_t kKeptLines = 10;
std::vector<TLoggedLine> RecentLines();
