#pragma once

// What the controller's datagrams decided, kept in a small file so that a display started
// again (after a crash, a watchdog's restart, a power cut) shows the game or the download it
// was showing instead of an empty grid until the controller next speaks. The file is text:
//
//   Tallivue display state 1
//   saved <ms since 1970>
//   mode <ms since 1970 when heard> x<hex of field 0> x<hex of field 1> ...
//   packs <packs shown per team> <one digit 0-3 a pack, team 1's 20 first>
//
// Any other file, or a line out of place, is not a state.

#include "core/PackTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TKeptState {
    std::int64_t SavedAtMs = 0;
    std::vector<std::string> ModeFields; // the last mode message; empty when none was heard
    std::int64_t ModeHeardAtMs = 0;
    int PacksPerTeam = 0;
    TPackTable Packs;
};

// A state older than this is of a game long over.
constexpr std::int64_t kKeptStateLifetimeMs = 10 * 60 * 1000;

std::string FormatKeptState(const TKeptState& state);
// nullopt, with the reason in `why`, for anything but a whole state.
std::optional<TKeptState> ParseKeptState(std::string_view text, std::string& why);

// The mode message as it would be heard `elapsedMs` after it was: a game's seconds left made
// fewer by the whole seconds that have passed. Any other message is as it was.
std::vector<std::string> ModeFieldsAfter(const std::vector<std::string>& fields,
                                         std::int64_t elapsedMs);
