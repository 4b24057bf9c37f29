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

// A value the dialog shows, on `page` beside `label`.
constexpr TSettingDef On(TSettingDef def, TSettingPage page, const char* label,
                         const char* choices = "", TFileChoice files = TFileChoice::None) {
    def.Page = page;
    def.Label = label;
    def.Choices = choices;
    def.Files = files;
    return def;
}

// A weekday's opening hours, "HH:MM-HH:MM".
constexpr TSettingDef Day(TSettingId id, const char* name, const char* control, const char* day) {
    return On(Plain(id, name, Settings, Text, FixedText("10:00-22:00"), control),
              TSettingPage::OpeningHours, day);
}

constexpr std::array<TSettingDef, kSettingCount> kTable = {{
    On(Ranged(sMode, "Mode", 0, "Mode", 0, 1), TSettingPage::Mode, "Select Mode",
       "Full screen|Floating window"),
    On(Ranged(sTimeRemaining, "Time Remaining", 5, "Time_Remaining", 0, 546), TSettingPage::Mode,
       "Show Time Remaining (minutes, 0 = never)"),
    On(Plain(sRightClickMenu, "RightClickMenu", Settings, Boolean, Fixed(1), "RightClickMenu"),
       TSettingPage::Mode, "Right-click shows pop-up menu"),
    On(Plain(sSetFullX, "SetFullX", Settings, Integer, Fixed(0), "SetFullX"),
       TSettingPage::FullScreen, "Left"),
    On(Plain(sSetFullY, "SetFullY", Settings, Integer, Fixed(0), "SetFullY"),
       TSettingPage::FullScreen, "Top"),
    On(Plain(sSetWidth, "SetWidth", Settings, Integer, Rule(TDefaultRule::ScreenWidth), "SetWidth"),
       TSettingPage::FullScreen, "Width"),
    On(Plain(sSetHeight, "SetHeight", Settings, Integer, Rule(TDefaultRule::ScreenHeight),
             "SetHeight"),
       TSettingPage::FullScreen, "Height"),
    On(Plain(sBackgroundBMP, "BackgroundBMP", Settings, Text,
             UnderProgramFolder("IMGs/Background.bmp"), "BackgroundBMP"),
       TSettingPage::FullScreen, "Background BMP", "", TFileChoice::Picture),
    On(Plain(sTitle, "Title", Settings, Text, UnderProgramFolder("IMGs/Title.gif"), "Title_"),
       TSettingPage::FullScreen, "Title", "", TFileChoice::Picture),
    On(Plain(sCenterLogo, "Center Logo", Settings, Text, UnderProgramFolder("IMGs/Sml_Logo.gif"),
             "Center_Logo"),
       TSettingPage::FullScreen, "Center Logo", "", TFileChoice::Picture),
    On(Plain(sAlwaysOnTop, "Always On Top", Settings, Boolean, Fixed(0), "Always_On_Top"),
       TSettingPage::FullScreen, "Always on Top"),
    On(Plain(sShowClock, "ShowClock", Settings, Boolean, Fixed(0), "ShowClock"),
       TSettingPage::FullScreen, "Show Clock"),
    On(Ranged(sClockPosition, "ClockPosition", 3, "ClockPosition", 0, 5), TSettingPage::FullScreen,
       "Clock position", "Top Centre|Top Left|Top Right|Bottom Centre|Bottom Left|Bottom Right"),
    On(Plain(sPolygon, "Polygon", Settings, Boolean, Fixed(1), "Polygon"), TSettingPage::FullScreen,
       "Show Animated Polygon"),
    On(Plain(sShowTotalPacks, "Show Total Packs", Settings, Boolean, Fixed(1), "Show_Total_Packs"),
       TSettingPage::FullScreen, "Show Total Packs"),
    Plain(sTextTotalPacks, "Text Total Packs", Settings, Text, FixedText("Packs"), ""),
    On(Plain(sSetFloatX, "SetFloatX", Settings, Integer, Fixed(440), "SetFloatX"),
       TSettingPage::FloatingWindow, "Left"),
    On({sSetFloatY, "SetFloatY", Settings, Integer, Fixed(522), Fixed(552), "SetFloatY"},
       TSettingPage::FloatingWindow, "Top"),
    On(Plain(sSetFloatWidth, "SetFloatWidth", Settings, Integer, Fixed(360), "SetFloatWidth"),
       TSettingPage::FloatingWindow, "Width"),
    On(Plain(sHideWhenIdle, "HideWhenIdle", Settings, Boolean, Fixed(0), "HideWhenIdle"),
       TSettingPage::FloatingWindow, "Hide when system is Idle"),
    On(Plain(sHideWhenGame, "HideWhenGame", Settings, Boolean, Fixed(0), "HideWhenGame"),
       TSettingPage::FloatingWindow, "Hide when game in progress"),
    On(Plain(sShowScrollMsg, "ShowScrollMsg", Settings, Boolean, Fixed(1), "ShowScrollMsg"),
       TSettingPage::ScrollMessage, "Show Scroll Message"),
    On(Plain(sMsg1, "Msg1", Settings, Text, kAdvertising, "Msg1"), TSettingPage::ScrollMessage,
       "Scroll message 1"),
    On({sMsg2, "Msg2", Settings, Text, Rule(TDefaultRule::SameAsMsg1), kAdvertising, "Msg2"},
       TSettingPage::ScrollMessage, "Scroll message 2"),
    On({sMsg3, "Msg3", Settings, Text, Rule(TDefaultRule::SameAsMsg1), kAdvertising, "Msg3"},
       TSettingPage::ScrollMessage, "Scroll message 3"),
    On(Plain(sMsg4, "Msg4", Settings, Text,
             FixedText("We hope you enjoyed your game.  Play again soon!"), "Msg4"),
       TSettingPage::ScrollMessage, "Game Finish msg"),
    On(Ranged(sScrollSpeed, "ScrollSpeed", 5, "ScrollSpeed", 1, 100), TSettingPage::ScrollMessage,
       "Scroll speed"),
    On(Ranged(sPacksPerTeam, "PacksPerTeam", 6, "PacksPerTeam", 4, 20), TSettingPage::StatusGrid,
       "Packs per team:"),
    On(Plain(sShowCaptions, "ShowCaptions", Settings, Boolean, Fixed(1), "ShowCaptions"),
       TSettingPage::StatusGrid, "Show captions"),
    On(Plain(sShowLittleNumbers, "ShowLittleNumbers", Settings, Boolean, Fixed(1),
             "ShowLittleNumbers"),
       TSettingPage::StatusGrid, "Show pack numbers"),
    On(Plain(sShowBars, "ShowBars", Settings, Boolean, Fixed(0), "ShowBars"),
       TSettingPage::StatusGrid, "Show bars"),
    On(Plain(sShowOverallTotals, "ShowOverallTotals", Settings, Boolean, Fixed(1),
             "ShowOverallTotals"),
       TSettingPage::StatusGrid, "Show overall totals"),
    On(Plain(sShowTeamTotals, "ShowTeamTotals", Settings, Boolean, Fixed(1), "ShowTeamTotals"),
       TSettingPage::StatusGrid, "Show team totals"),
    On(Plain(sTeam2Colour, "Team2Colour", Settings, Text, FixedText("Green"), ""),
       TSettingPage::StatusGrid, "Team 2 colour:", "Green|Blue"),
    On(Plain(sTeam3Colour, "Team3Colour", Settings, Text, FixedText("Yellow"), ""),
       TSettingPage::StatusGrid, "Team 3 colour:", "Green|Blue|Yellow"),
    On(Plain(sSpecialEvent, "Special Event", Settings, Boolean, Fixed(0), "Special_Event"),
       TSettingPage::Audio, "Play special audio event when"),
    On(Ranged(sAudioTimeLeft, "Audio Time Left", 0, "Audio_Time_Left", 0, 32760, 30),
       TSettingPage::Audio, "seconds remaining"),
    On(Plain(sAudioFile, "Audio File", Settings, Text, FixedText(""), "Audio_File"),
       TSettingPage::Audio, "Special event audio:", "", TFileChoice::Sound),
    On(Plain(sTalkingDownload, "Talking Download", Settings, Boolean, Fixed(0), "Talking_Download"),
       TSettingPage::Audio, "Enable talking download"),
    On({sStillNeedDelayIncrement, "StillNeedDelayIncrement", Settings, Integer, Fixed(0), Fixed(10),
        "StillNeedDelayIncrement", true, 0, 86400, 5},
       TSettingPage::Audio, "Time delay increase between each \"Still need...\" (seconds)"),
    On(Plain(sTalkingFolder, "Talking Folder", Settings, Text, UnderProgramFolder("Sounds/"),
             "Talking_Folder"),
       TSettingPage::Audio, "Talking files folder:", "", TFileChoice::SoundFolder),
    On(Plain(sTextPlayed, "Text Played", Settings, Text, FixedText("Played"), "Text_Played"),
       TSettingPage::International, "Played"),
    On(Plain(sTextDownloaded, "Text Downloaded", Settings, Text, FixedText("Downloaded"),
             "Text_Downloaded"),
       TSettingPage::International, "Downloaded"),
    Plain(sControllerAddress, "ControllerAddress", Settings, Text, FixedText(""), ""),
    On(Ranged(sNoSignalMinutes, "No Signal Minutes", 0, "No_Signal_Minutes", 0, 1440),
       TSettingPage::Network, "No signal from the controller after (minutes, 0 = never say)"),
    On(Ranged(sWebPort, "Web Port", 0, "Web_Port", 0, 65535), TSettingPage::Network,
       "Web Port (0 = off, 1024 to 65535)"),
    On(Plain(sWebAddress, "Web Address", Settings, Text, FixedText(""), "Web_Address"),
       TSettingPage::Network, "Web Address (empty = every interface)"),
    Plain(sWebPasswordHash, "Web Password", Settings, Text, FixedText(""), ""),
    On(Plain(sOpeningHours, "Opening Hours", Settings, Boolean, Fixed(0), "Opening_Hours"),
       TSettingPage::OpeningHours, "Switch the screen off outside these hours"),
    Day(sHoursMonday, "Hours Monday", "Hours_Monday", "Monday"),
    Day(sHoursTuesday, "Hours Tuesday", "Hours_Tuesday", "Tuesday"),
    Day(sHoursWednesday, "Hours Wednesday", "Hours_Wednesday", "Wednesday"),
    Day(sHoursThursday, "Hours Thursday", "Hours_Thursday", "Thursday"),
    Day(sHoursFriday, "Hours Friday", "Hours_Friday", "Friday"),
    Day(sHoursSaturday, "Hours Saturday", "Hours_Saturday", "Saturday"),
    Day(sHoursSunday, "Hours Sunday", "Hours_Sunday", "Sunday"),
    On(Plain(sPlayingGame, "Playing Game", Language, Text, FixedText("Playing Game"),
             "Playing_Game"),
       TSettingPage::International, "Playing Game"),
    On(Plain(sIdle, "Idle", Language, Text, FixedText("Idle"), "Idle"), TSettingPage::International,
       "Idle"),
    On(Plain(sDownloadPacks, "Download Packs", Language, Text, FixedText("Download Packs"),
             "Download_Packs"),
       TSettingPage::International, "Download Packs"),
    On(Plain(sCalculating, "Calculating", Language, Text, FixedText("Calculating"), "Calculating"),
       TSettingPage::International, "Calculate"),
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

const char* PageTitle(TSettingPage page) {
    constexpr std::array<const char*, kSettingPageCount> titles = {
        "",      "Mode",          "Full screen", "Floating window", "Scroll message", "Status Grid",
        "Audio", "International", "Network",     "Opening hours"};
    return titles.at(static_cast<std::size_t>(page));
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
