#include "app/UsableSettings.h"

#include "controls/GridModel.h"

#include <algorithm>
#include <cstdint>

namespace {

// One axis of the desktop: where it starts and how far it reaches.
struct TAxis {
    int Start;
    int Extent;
};

class TFixer {
public:
    TFixer(TSettingValues& values, const TSettingsEnvironment& environment)
        : FValues(values), FEnvironment(environment) {}

    // A window's size along one axis: at least a pixel, and no more than all the screens
    // together, beyond which it shows nothing more but costs memory for every pixel.
    int Size(TSettingId id, TAxis axis, const char* across) {
        const std::int32_t value = FValues.Integer(id);
        if (value >= 1 && value <= axis.Extent)
            return value;
        std::int32_t used = axis.Extent;
        const char* why = "more than all the screens together";
        if (value < 1) {
            used = std::clamp(std::get<std::int32_t>(Default(id)), 1, axis.Extent);
            why = "which leaves the display no room";
        }
        Replace(id, used, why, "it is " + std::to_string(used) + " pixels " + across);
        return used;
    }

    // A window with no pixel on the desktop along one axis is moved onto it, as near as it can be
    // to where the setting puts it. One that shows at least in part is left where it is.
    void Position(TSettingId id, int size, TAxis axis) {
        const std::int64_t value = FValues.Integer(id);
        const std::int64_t end = std::int64_t{axis.Start} + axis.Extent;
        if (value + size > axis.Start && value < end)
            return;
        const auto used = static_cast<std::int32_t>(std::clamp(
            value, std::int64_t{axis.Start}, std::max<std::int64_t>(axis.Start, end - size)));
        Replace(id, used, "which puts the display off every screen",
                "it is placed at " + std::to_string(used));
    }

    // A number the display takes only within `low` to `high`; `doing` and `unit` say what it
    // does with the nearest one it can take.
    void Range(TSettingId id, std::int32_t low, std::int32_t high, const std::string& why,
               const std::string& doing, const std::string& unit = "") {
        const std::int32_t value = FValues.Integer(id);
        const std::int32_t used = std::clamp(value, low, high);
        if (used != value)
            Replace(id, used, why, doing + " " + std::to_string(used) + unit);
    }

    // A caption is one line: the characters that are not letters but controls show as blanks,
    // as the scroll message shows them.
    void Caption(TSettingId id) {
        std::string text = FValues.Text(id);
        bool changed = false;
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 32) {
                c = ' ';
                changed = true;
            }
        }
        if (!changed)
            return;
        FValues.Set(id, text);
        FProblems.push_back("The setting " + Name(id) +
                            " holds control characters (a line break or a tab, say), which a "
                            "caption cannot show; they are shown as blanks.");
    }

    std::vector<std::string> Problems() { return std::move(FProblems); }

private:
    static std::string Name(TSettingId id) { return std::string("\"") + SettingDef(id).Name + '"'; }

    TSettingValue Default(TSettingId id) const {
        const TSettingDef& setting = SettingDef(id);
        return ResolveDefault(setting, setting.Default, FEnvironment);
    }

    // "The setting "Name" is <value>, <why>; <consequence> instead."
    void Replace(TSettingId id, std::int32_t used, const std::string& why,
                 const std::string& consequence) {
        FProblems.push_back("The setting " + Name(id) + " is " +
                            std::to_string(FValues.Integer(id)) + ", " + why + "; " + consequence +
                            " instead.");
        FValues.Set(id, used);
    }

    TSettingValues& FValues;
    const TSettingsEnvironment& FEnvironment;
    std::vector<std::string> FProblems;
};

} // namespace

std::vector<std::string> MakeSettingsUsable(TSettingValues& values,
                                            const TSettingsEnvironment& environment,
                                            const TDesktop& desktop) {
    TFixer fix(values, environment);
    fix.Range(sPacksPerTeam, 0, kMaxPacksPerTeam,
              "but the grid shows 0 to " + std::to_string(kMaxPacksPerTeam) + " packs per team",
              "it shows");
    // The scroll message takes its step as one byte: a larger number would wrap round to a small
    // one, and 0 would leave the text standing beyond the right edge.
    fix.Range(sScrollSpeed, 1, 255, "but the scroll message moves 1 to 255 pixels a step",
              "it moves");
    // Reminders that came sooner each time would soon come without a pause; a day more each time
    // is the most the dialog offers.
    fix.Range(sStillNeedDelayIncrement, 0, 86400,
              "but each spoken reminder comes at most 86400 seconds later than the one before, "
              "and never sooner",
              "each comes", " seconds later");
    for (const TSettingId caption : {sPlayingGame, sIdle, sDownloadPacks, sCalculating,
                                     sTextTotalPacks, sTextPlayed, sTextDownloaded})
        fix.Caption(caption);

    if (desktop.Width > 0 && desktop.Height > 0) {
        const TAxis across{desktop.Left, desktop.Width};
        const TAxis down{desktop.Top, desktop.Height};
        if (WindowModeOf(values) == TWindowMode::Floating) {
            const int width = fix.Size(sSetFloatWidth, across, "wide");
            // The floating window is as high as the grid it shows.
            const int height =
                ComputeGridLayout(width, values.Integer(sPacksPerTeam),
                                  values.Bool(sShowTeamTotals), values.Bool(sShowOverallTotals))
                    .Height;
            fix.Position(sSetFloatX, width, across);
            fix.Position(sSetFloatY, std::max(height, 1), down);
        } else {
            const int width = fix.Size(sSetWidth, across, "wide");
            const int height = fix.Size(sSetHeight, down, "high");
            fix.Position(sSetFullX, width, across);
            fix.Position(sSetFullY, height, down);
        }
    }
    return fix.Problems();
}
