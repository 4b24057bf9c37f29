#pragma once

// The scroll message's text model: the filtering of control codes, and the three styles' text
// windows. Which characters are in the strip, and where the first one starts, is worked out
// here without a screen, through a measuring function that gives a string's width in pixels.
// Texts are UTF-8: every window takes, measures and drops whole characters, never a part of one.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum TScrollStyle : std::uint8_t { ssScroll = 0, ssBlink = 1, ssBounce = 2 };

// Width in pixels of a whole string as the control's font draws it. Strings are measured whole,
// never as the sum of their characters.
using TMeasureWidth = std::function<int(std::string_view text)>;

// Characters 0 to 31 become `newControlCode`, or are dropped when that is code 0. No byte of a
// longer UTF-8 character lies below 128, so the others stay whole.
std::string FilterControlCodes(std::string_view text, char newControlCode);

// What one step puts into the strip: `Text` with its left edge at `X`, or nothing.
struct TStripText {
    std::string_view Text;
    int X = 0;
    bool Shown = false;
};

// The state of every style; each style keeps its own, untouched while another style runs.
// Positions are pixels of the client area; indexes count the bytes of a text from 1 and always
// fall between its characters.
class TMarqueeStyles {
public:
    // Each step performs its reset when asked, even for an empty text; it moves only a text
    // that is not empty.
    TStripText ScrollStep(bool reset, std::string_view text, int amount, int clientWidth,
                          const TMeasureWidth& measure);
    TStripText BlinkStep(bool reset, std::string_view text, int clientWidth,
                         const TMeasureWidth& measure);
    TStripText BounceStep(bool reset, std::string_view text, int amount, int clientWidth,
                          const TMeasureWidth& measure);

    // The window of `style`: the characters in the strip, partly visible ones included.
    const std::string& Window(TScrollStyle style) const;

    int ScrollPos() const { return FScrollPos; }
    std::uint32_t ScrollNext() const { return FScrollNext; }
    bool BlinkOn() const { return FBlinkOn; }
    int BounceDir() const { return FBounceDir; }
    int BouncePos() const { return FBouncePos; }
    std::uint32_t BounceIndex() const { return FBounceIndex; }

private:
    // Whether the bounce's index, direction and window describe a part of `text`.
    bool BounceStateFits(std::string_view text) const;
    void BounceFitting(std::string_view text, int amount, int clientWidth,
                       const TMeasureWidth& measure);
    void BounceLeft(std::string_view text, int amount, int clientWidth,
                    const TMeasureWidth& measure);
    void BounceRight(std::string_view text, int amount, int clientWidth,
                     const TMeasureWidth& measure);

    int FScrollPos = 0;
    std::uint32_t FScrollNext = 1;
    std::string FScrollWindow;
    bool FBlinkOn = false;
    std::string FBlinkWindow;
    int FBounceDir = 1; // 1 moving left, -1 moving right
    int FBouncePos = 0;
    std::string FBounceWindow;
    std::uint32_t FBounceIndex = 1;
};
