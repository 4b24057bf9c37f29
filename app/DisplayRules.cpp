#include "app/DisplayRules.h"

#include <algorithm>
#include <cstdio>

std::string CountdownText(std::int32_t seconds) {
    // Time left is never below zero, whatever the controller's clock says.
    seconds = std::max(seconds, std::int32_t{0});
    char text[32];
    std::snprintf(text, sizeof text, "%d:%2.2d", seconds / 60, seconds % 60);
    return text;
}

std::string CountdownTitle(std::string_view countdown) {
    return std::string(countdown) + "  " + std::string(kProgramTitle);
}

std::string TotalsTitle(int inUse, int downloaded, int played) {
    return "I:" + std::to_string(inUse) + "  D:" + std::to_string(downloaded) +
           "  P:" + std::to_string(played) + "  " + std::string(kProgramTitle);
}

std::string ScrollMessageText(std::string_view message) {
    return std::string(message) + "          ";
}

namespace {

int Centred(int width, int elementWidth) {
    return (width - elementWidth) / 2;
}

} // namespace

TFullScreenLayout FullScreenLayout(const TFullScreenInput& in) {
    TFullScreenLayout out;
    out.PolygonLeft = in.PolygonShown ? in.Width - in.PolygonWidth : in.Width;
    // The title is centred in the width left of the polygon whether the polygon shows or not.
    out.Title = {(in.Width - in.PolygonWidth - in.TitleWidth) / 2, 5};
    out.GridTop = in.PolygonTop + in.PolygonHeight + 1;
    out.Logo = {Centred(in.Width, in.LogoWidth), out.GridTop + in.GridHeight + 1};
    out.ModeTop = out.Logo.Top + in.LogoHeight + 1;
    out.ScrollTop = in.ScrollShown ? in.Height - in.ScrollHeight - 10 : in.ScrollTop;

    const int aboveScroll = out.ScrollTop - in.ClockHeight - 1;
    switch (in.ClockPosition) {
    case TClockPosition::TopCentre:
        out.Clock = TPlace{Centred(in.Width, in.ClockWidth), 0};
        break;
    case TClockPosition::TopLeft:
        out.Clock = TPlace{0, 0};
        break;
    case TClockPosition::TopRight: // the polygon's left is the window's width when it is hidden
        out.Clock = TPlace{out.PolygonLeft - in.ClockWidth - 1, 0};
        break;
    case TClockPosition::BottomCentre:
        out.Clock = TPlace{Centred(in.Width, in.ClockWidth), aboveScroll};
        break;
    case TClockPosition::BottomLeft:
        out.Clock = TPlace{0, aboveScroll};
        break;
    case TClockPosition::BottomRight:
        out.Clock = TPlace{in.Width - in.ClockWidth, aboveScroll};
        break;
    default:
        break;
    }

    out.TotalLabel = {Centred(in.Width, in.TotalLabelWidth), in.Height * 2 / 3 + 20};
    out.TotalText = {Centred(in.Width, in.TotalTextWidth),
                     out.TotalLabel.Top + in.TotalLabelHeight};
    return out;
}

int AutoScaleFactor(int pixelWidth, int pixelHeight) {
    return std::max(1, std::min(pixelWidth / 1920, pixelHeight / 1080));
}
