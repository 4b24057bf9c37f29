#pragma once

// What the display shows and where, worked out without a screen: the countdown and the
// application title texts, and the arithmetic of the full-screen layout. The main window
// measures its elements and hands the figures here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr std::string_view kProgramTitle = "Tallivue";

// Minutes without leading zeros, a colon, seconds with two digits: 275 reads "4:35", 600
// "10:00". Below zero reads "0:00".
std::string CountdownText(std::int32_t seconds);
// "4:35  Tallivue": what the task bar shows while a game runs.
std::string CountdownTitle(std::string_view countdown);
// "I:24  D:20  P:18  Tallivue": the packs in use, downloaded and played, outside a game.
std::string TotalsTitle(int inUse, int downloaded, int played);

// A scroll message as it runs: ten blanks after it, so that its repetitions stand apart.
std::string ScrollMessageText(std::string_view message);

// The "ClockPosition" setting, in the order its list shows. Any other value leaves the clock where
// it stands.
enum class TClockPosition : std::int32_t {
    TopCentre = 0,
    TopLeft = 1,
    TopRight = 2, // left of the polygon
    BottomCentre = 3,
    BottomLeft = 4,
    BottomRight = 5,
};

// The elements' sizes and the settings that place them; the window's width and height are the
// full-screen rectangle's.
struct TFullScreenInput {
    int Width = 0;
    int Height = 0;
    int PolygonTop = 0;
    int PolygonWidth = 0;
    int PolygonHeight = 0;
    bool PolygonShown = true;
    int TitleWidth = 0;
    int GridHeight = 0; // at the window's width
    int LogoWidth = 0;
    int LogoHeight = 0;
    bool ScrollShown = true;
    int ScrollHeight = 0;
    int ScrollTop = 0; // where the scroll message stands now: kept when it is not shown
    TClockPosition ClockPosition = TClockPosition::BottomCentre;
    int ClockWidth = 0;
    int ClockHeight = 0;
    int TotalLabelWidth = 0;
    int TotalLabelHeight = 0;
    int TotalTextWidth = 0;
};

struct TPlace {
    int Left = 0;
    int Top = 0;
    bool operator==(const TPlace&) const = default;
};

struct TFullScreenLayout {
    int PolygonLeft = 0;         // flush right when shown, just beyond the right edge when not
    TPlace Title;                // centred in the width left of the polygon
    int GridTop = 0;             // one pixel below the polygon
    TPlace Logo;                 // centred, one pixel below the grid
    int ModeTop = 0;             // one pixel below the logo
    int ScrollTop = 0;           // ten pixels above the bottom edge when shown
    std::optional<TPlace> Clock; // none for a position that leaves the clock where it is
    TPlace TotalLabel;           // the packs-in-use figure at two thirds of the height, plus 20
    TPlace TotalText;            // its caption right below it
};

TFullScreenLayout FullScreenLayout(const TFullScreenInput& in);

// The display is laid out for a screen of 1920 x 1080 or less. On a larger one (a 4K television,
// say) whose desktop sets no scale, the largest whole factor that leaves it at least that size:
// 3840 x 2160 is shown as 1920 x 1080 at twice the size. 1 for a screen too small to scale.
int AutoScaleFactor(int pixelWidth, int pixelHeight);

// The countdown stands at the grid's top (the grid is hidden while a game runs) and "Time
// remaining" three pixels below it, in both window modes.
inline int TimeLeftLabelTop(int countdownTop, int countdownHeight) {
    return countdownTop + countdownHeight + 3;
}
