#include "settings/SettingsTable.h"

#include "settings/RegistryStore.h"

#include <array>

namespace {

using enum TSettingsKey;
using enum TSettingKind;

constexpr TSettingDefault Fixed(std::int32_t number) {
    return {TDefaultRule::Fixed, number, ""};
}
constexpr TSettingDefault FixedText(const char* text) {
    return {TDefaultRule::Fixed, 0, text};
}
constexpr TSettingDefault UnderProgramFolder(const char* path) {
    return {TDefaultRule::UnderProgramFolder, 0, path};
}
constexpr TSettingDefault Rule(TDefaultRule rule) {
    return {rule, 0, ""};
}
constexpr TSettingDefault kAdvertising{TDefaultRule::Fixed, 0, kAdvertisingLine.data()};

// A value whose dialog shows the same default as the display uses.
constexpr TSettingDef Plain(TSettingId id, const char* name, TSettingsKey key, TSettingKind kind,
                            TSettingDefault def, const char* control) {
    return {id, name, key, kind, def, def, control};
}
constexpr TSettingDef Ranged(TSettingId id, const char* name, std::int32_t def, const char* control,
                             std::int32_t min, std::int32_t max, std::int32_t step = 1) {
    return {id, name, Settings, Integer, Fixed(def), Fixed(def), control, true, min, max, step};
}

constexpr std::array<TSettingDef, kSettingCount> kTable = {{
    Ranged(sMode, "Mode", 0, "Mode", 0, 1),
    Ranged(sTimeRemaining, "Time Remaining", 5, "Time_Remaining", 0, 546),
    Plain(sRightClickMenu, "RightClickMenu", Settings, Boolean, Fixed(1), "RightClickMenu"),

    Plain(sSetFullX, "SetFullX", Settings, Integer, Fixed(0), "SetFullX"),
    Plain(sSetFullY, "SetFullY", Settings, Integer, Fixed(0), "SetFullY"),
    Plain(sSetWidth, "SetWidth", Settings, Integer, Rule(TDefaultRule::ScreenWidth), "SetWidth"),
    Plain(sSetHeight, "SetHeight", Settings, Integer, Rule(TDefaultRule::ScreenHeight),
          "SetHeight"),
    Plain(sBackgroundBMP, "BackgroundBMP", Settings, Text,
          UnderProgramFolder("IMGs/Background.bmp"), "BackgroundBMP"),
    Plain(sTitle, "Title", Settings, Text, UnderProgramFolder("IMGs/Title.gif"), "Title_"),
    Plain(sCenterLogo, "Center Logo", Settings, Text, UnderProgramFolder("IMGs/Sml_Logo.gif"),
          "Center_Logo"),
    Plain(sAlwaysOnTop, "Always On Top", Settings, Boolean, Fixed(0), "Always_On_Top"),
    Plain(sShowClock, "ShowClock", Settings, Boolean, Fixed(0), "ShowClock"),
    Ranged(sClockPosition, "ClockPosition", 3, "ClockPosition", 0, 5),
    Plain(sPolygon, "Polygon", Settings, Boolean, Fixed(1), "Polygon"),
    Plain(sShowTotalPacks, "Show Total Packs", Settings, Boolean, Fixed(1), "Show_Total_Packs"),
    Plain(sTextTotalPacks, "Text Total Packs", Settings, Text, FixedText("Packs"), ""),

    Plain(sSetFloatX, "SetFloatX", Settings, Integer, Fixed(440), "SetFloatX"),
    {sSetFloatY, "SetFloatY", Settings, Integer, Fixed(522), Fixed(552), "SetFloatY"},
    Plain(sSetFloatWidth, "SetFloatWidth", Settings, Integer, Fixed(360), "SetFloatWidth"),
    Plain(sHideWhenIdle, "HideWhenIdle", Settings, Boolean, Fixed(0), "HideWhenIdle"),
    Plain(sHideWhenGame, "HideWhenGame", Settings, Boolean, Fixed(0), "HideWhenGame"),

    Plain(sShowScrollMsg, "ShowScrollMsg", Settings, Boolean, Fixed(1), "ShowScrollMsg"),
    Plain(sMsg1, "Msg1", Settings, Text, kAdvertising, "Msg1"),
    {sMsg2, "Msg2", Settings, Text, Rule(TDefaultRule::SameAsMsg1), kAdvertising, "Msg2"},
    {sMsg3, "Msg3", Settings, Text, Rule(TDefaultRule::SameAsMsg1), kAdvertising, "Msg3"},
    Plain(sMsg4, "Msg4", Settings, Text,
          FixedText("We hope you enjoyed your game.  Play again soon!"), "Msg4"),
    Ranged(sScrollSpeed, "ScrollSpeed", 5, "ScrollSpeed", 1, 100),

    Ranged(sPacksPerTeam, "PacksPerTeam", 6, "PacksPerTeam", 4, 20),
    Plain(sShowCaptions, "ShowCaptions", Settings, Boolean, Fixed(1), "ShowCaptions"),
    Plain(sShowLittleNumbers, "ShowLittleNumbers", Settings, Boolean, Fixed(1),
          "ShowLittleNumbers"),
    Plain(sShowBars, "ShowBars", Settings, Boolean, Fixed(0), "ShowBars"),
    Plain(sShowOverallTotals, "ShowOverallTotals", Settings, Boolean, Fixed(1),
          "ShowOverallTotals"),
    Plain(sShowTeamTotals, "ShowTeamTotals", Settings, Boolean, Fixed(1), "ShowTeamTotals"),
    Plain(sTeam2Colour, "Team2Colour", Settings, Text, FixedText("Green"), ""),
    Plain(sTeam3Colour, "Team3Colour", Settings, Text, FixedText("Yellow"), ""),

    Plain(sSpecialEvent, "Special Event", Settings, Boolean, Fixed(0), "Special_Event"),
    Ranged(sAudioTimeLeft, "Audio Time Left", 0, "Audio_Time_Left", 0, 32760, 30),
    Plain(sAudioFile, "Audio File", Settings, Text, FixedText(""), "Audio_File"),
    Plain(sTalkingDownload, "Talking Download", Settings, Boolean, Fixed(0), "Talking_Download"),
    {sStillNeedDelayIncrement, "StillNeedDelayIncrement", Settings, Integer, Fixed(0), Fixed(10),
     "StillNeedDelayIncrement", true, 0, 86400, 5},
    Plain(sTalkingFolder, "Talking Folder", Settings, Text, UnderProgramFolder("Sounds/"),
          "Talking_Folder"),

    Plain(sTextPlayed, "Text Played", Settings, Text, FixedText("Played"), "Text_Played"),
    Plain(sTextDownloaded, "Text Downloaded", Settings, Text, FixedText("Downloaded"),
          "Text_Downloaded"),

    Plain(sControllerAddress, "ControllerAddress", Settings, Text, FixedText(""), ""),

    Plain(sPlayingGame, "Playing Game", Language, Text, FixedText("Playing Game"), "Playing_Game"),
    Plain(sIdle, "Idle", Language, Text, FixedText("Idle"), "Idle"),
    Plain(sDownloadPacks, "Download Packs", Language, Text, FixedText("Download Packs"),
          "Download_Packs"),
    Plain(sCalculating, "Calculating", Language, Text, FixedText("Calculating"), "Calculating"),
}};

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].Id != i)
            return false;
    return true;
}
static_assert(InIdOrder(), "the settings table must list its entries in TSettingId order");

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

} // namespace

std::span<const TSettingDef> AllSettings() {
    return kTable;
}

const TSettingDef& SettingDef(TSettingId id) {
    return kTable.at(id);
}

const TSettingDef* FindSetting(std::string_view name) {
    for (const TSettingDef& setting : kTable)
        if (SameRegName(setting.Name, name))
            return &setting;
    return nullptr;
}

TSettingValue ResolveDefault(const TSettingDef& setting, const TSettingDefault& rule,
                             const TSettingsEnvironment& environment, std::string_view msg1) {
    switch (rule.Rule) {
    case TDefaultRule::UnderProgramFolder: {
        std::string path = environment.ProgramFolder + rule.Text;
        for (std::size_t i = environment.ProgramFolder.size(); i < path.size(); ++i)
            if (path[i] == '/')
                path[i] = kPathSeparator;
        return path;
    }
    case TDefaultRule::ScreenWidth:
        return std::int32_t{environment.ScreenWidth};
    case TDefaultRule::ScreenHeight:
        return std::int32_t{environment.ScreenHeight};
    case TDefaultRule::SameAsMsg1:
        return std::string(msg1);
    case TDefaultRule::Fixed:
        break;
    }
    switch (setting.Kind) {
    case TSettingKind::Boolean:
        return rule.Number != 0;
    case TSettingKind::Integer:
        return rule.Number;
    case TSettingKind::Text:
        break;
    }
    return std::string(rule.Text);
}

TTeamColour Team2ColourOf(std::string_view word) {
    if (word.empty())
        return tcGreen;
    return word.front() == 'G' ? tcGreen : tcBlue;
}

TTeamColour Team3ColourOf(std::string_view word) {
    if (word.empty())
        return tcYellow;
    switch (word.front()) {
    case 'B':
        return tcBlue;
    case 'G':
        return tcGreen;
    default:
        return tcYellow;
    }
}
