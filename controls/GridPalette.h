#pragma once

// The grid's colours as numbers, so that the window's paint and the board in a browser show the
// same boxes.

#include "core/PackTypes.h"

#include <array>
#include <cstdint>

struct TRgb {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};

constexpr TRgb kGridBlack{0x00, 0x00, 0x00};
constexpr TRgb kGridNotInUse{0x40, 0x40, 0x40};
constexpr TRgb kGridBar{0xC0, 0xC0, 0xC0};
constexpr TRgb kGridWhite{0xFF, 0xFF, 0xFF};

// Indexed by colour index 1..4; played packs and team totals take the light shade,
// downloaded-only packs the dark one.
constexpr std::array<TRgb, 5> kLightShades{
    {kGridBlack, {0xFF, 0x80, 0x80}, {0x80, 0xFF, 0x80}, {0x80, 0x80, 0xFF}, {0xFF, 0xFF, 0x80}}};
constexpr std::array<TRgb, 5> kDarkShades{
    {kGridBlack, {0x80, 0x00, 0x00}, {0x00, 0x60, 0x00}, {0x00, 0x00, 0xA0}, {0x60, 0x40, 0x00}}};

// A pack's box; a pack in the game and not yet downloaded stays black.
constexpr TRgb PackFill(TPackState state, TTeamColour colour) {
    switch (state) {
    case psNotInUse:
        return kGridNotInUse;
    case psPlayed:
        return kLightShades.at(colour);
    case psDownloaded:
        return kDarkShades.at(colour);
    default:
        return kGridBlack;
    }
}
