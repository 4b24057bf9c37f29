#pragma once

// Every persistent setting in one place: its value name, key, kind, the default the display
// uses, the default the properties dialog shows, and the dialog's limits. Nothing else spells
// out a default.

#include "core/PackTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

constexpr std::string_view kSettingsKeyPath = "SOFTWARE\\Outrider\\Tallivue";
constexpr std::string_view kLanguageKeyPath = "SOFTWARE\\Outrider\\Tallivue\\Language";
// Where 64-bit Windows keeps the settings key of a 32-bit program.
constexpr std::string_view kSettingsKeyPath32On64 = "SOFTWARE\\WOW6432Node\\Outrider\\Tallivue";

// The scroll message an arena sees until it writes its own.
constexpr std::string_view kAdvertisingLine =
    "Birthday parties, team building and league nights: ask at the desk to book your next battle!";

enum TSettingId : std::uint8_t {
    // Mode
    sMode,
    sTimeRemaining,
    sRightClickMenu,
    // Full screen
    sSetFullX,
    sSetFullY,
    sSetWidth,
    sSetHeight,
    sBackgroundBMP,
    sTitle,
    sCenterLogo,
    sAlwaysOnTop,
    sShowClock,
    sClockPosition,
    sPolygon,
    sShowTotalPacks,
    sTextTotalPacks,
    // Floating window
    sSetFloatX,
    sSetFloatY,
    sSetFloatWidth,
    sHideWhenIdle,
    sHideWhenGame,
    // Scroll message
    sShowScrollMsg,
    sMsg1,
    sMsg2,
    sMsg3,
    sMsg4,
    sScrollSpeed,
    // Status grid
    sPacksPerTeam,
    sShowCaptions,
    sShowLittleNumbers,
    sShowBars,
    sShowOverallTotals,
    sShowTeamTotals,
    sTeam2Colour,
    sTeam3Colour,
    // Audio
    sSpecialEvent,
    sAudioTimeLeft,
    sAudioFile,
    sTalkingDownload,
    sStillNeedDelayIncrement,
    sTalkingFolder,
    // International
    sTextPlayed,
    sTextDownloaded,
    // Network: only in the settings file, with no field in the dialog
    sControllerAddress,
    sNoSignalMinutes,
    // The front desk's web service
    sWebPort,
    sWebAddress,
    sWebPasswordHash, // set with --set-web-password, never shown
    // Opening hours: the screen sleeps outside them
    sOpeningHours,
    sHoursMonday,
    sHoursTuesday,
    sHoursWednesday,
    sHoursThursday,
    sHoursFriday,
    sHoursSaturday,
    sHoursSunday,
    // The Language key: the mode captions an arena may translate
    sPlayingGame,
    sIdle,
    sDownloadPacks,
    sCalculating,
    kSettingCount
};

// "Web Port": 0 turns the service off; below this the ports are the system's.
constexpr std::int32_t kLowestWebPort = 1024;

enum class TSettingsKey { Settings, Language };
enum class TSettingKind { Boolean, Integer, Text };

// How a missing value is filled in. Some defaults are known only when the settings are read.
enum class TDefaultRule {
    Fixed,              // Number (integers, Booleans as 0 or 1) or Text
    UnderProgramFolder, // the program's folder followed by Text, a path written with "/"
    ScreenWidth,
    ScreenHeight,
    SameAsMsg1, // the text just read for "Msg1"
};

struct TSettingDefault {
    TDefaultRule Rule = TDefaultRule::Fixed;
    std::int32_t Number = 0;
    const char* Text = "";
};

// The properties dialog's pages, in the order of its tabs; the front desk's settings page
// groups the settings the same way.
enum class TSettingPage : std::uint8_t {
    None, // not edited in the dialog
    Mode,
    FullScreen,
    FloatingWindow,
    ScrollMessage,
    StatusGrid,
    Audio,
    International,
    Network,
    OpeningHours,
};
constexpr int kSettingPageCount = 10;
const char* PageTitle(TSettingPage page);

// A text that names a file or folder: chosen with a picker, never typed, where the dialog is
// not at hand.
enum class TFileChoice : std::uint8_t { None, Picture, Sound, SoundFolder };

struct TSettingDef {
    TSettingId Id;
    const char* Name;
    TSettingsKey Key;
    TSettingKind Kind;
    TSettingDefault Default;       // what the display uses when the value is missing
    TSettingDefault DialogDefault; // what the properties dialog shows then
    // The dialog control stored under this value by the generic rule; empty when the value
    // is stored by hand or not edited in the dialog.
    const char* Control;
    bool Limited = false; // spin fields and lists: Min to Max; otherwise any integer
    std::int32_t Min = 0;
    std::int32_t Max = 0;
    std::int32_t Step = 1;
    // How the dialog shows it: its page, the caption beside its field (a check box's text), and
    // for a list the items separated by "|": an integer is the item's index, a text the item.
    TSettingPage Page = TSettingPage::None;
    const char* Label = "";
    const char* Choices = "";
    TFileChoice Files = TFileChoice::None;
};

// What the defaults that depend on the machine are made of.
struct TSettingsEnvironment {
    std::string ProgramFolder; // with its trailing separator
    int ScreenWidth = 0;
    int ScreenHeight = 0;
};

using TSettingValue = std::variant<bool, std::int32_t, std::string>;

std::span<const TSettingDef> AllSettings();
const TSettingDef& SettingDef(TSettingId id);
// Names match without regard to case; nullptr for a name that is no setting.
const TSettingDef* FindSetting(std::string_view name);

// `msg1` is the text read for "Msg1", which "Msg2" and "Msg3" follow when they are missing.
TSettingValue ResolveDefault(const TSettingDef& setting, const TSettingDefault& rule,
                             const TSettingsEnvironment& environment, std::string_view msg1 = {});

// The colour of teams 2 and 3 from their stored words, by the first character. An empty word,
// which the dialog never writes, keeps the team's default colour.
TTeamColour Team2ColourOf(std::string_view word);
TTeamColour Team3ColourOf(std::string_view word);
