#include "settings/RegFileStore.h"
#include "settings/RegistryDef.h"
#include "settings/SettingValues.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const TSettingsEnvironment kEnvironment{"/opt/tallivue/", 1024, 768};
#ifdef _WIN32
const std::string kImages = "/opt/tallivue/IMGs\\";
const std::string kSounds = "/opt/tallivue/Sounds\\";
#else
const std::string kImages = "/opt/tallivue/IMGs/";
const std::string kSounds = "/opt/tallivue/Sounds/";
#endif

class SettingsRead : public ::testing::Test {
protected:
    TSettingValues ReadFrom(std::string_view settingsValues, std::string_view languageValues = "") {
        if (!settingsValues.empty() || !languageValues.empty())
            WriteBytes(FFile, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n" +
                                  std::string(settingsValues) +
                                  "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue\\Language]"
                                  "\r\n" +
                                  std::string(languageValues));
        TRegistryDef registry(std::make_unique<TRegFileStore>(FFile));
        TSettingValues values = ReadAllSettings(registry, kEnvironment);
        EXPECT_FALSE(registry.HasCurrentKey());
        return values;
    }

    TTempFolder FFolder;
    std::filesystem::path FFile = FFolder / "Outrider" / "Tallivue.reg";
};

TEST_F(SettingsRead, AnEmptyRegistryGivesEveryDefaultAndWritesNothing) {
    const TSettingValues values = ReadFrom("");
    EXPECT_EQ(values.Integer(sMode), 0);
    EXPECT_EQ(values.Integer(sTimeRemaining), 5);
    EXPECT_TRUE(values.Bool(sRightClickMenu));
    EXPECT_EQ(values.Integer(sSetWidth), 1024);
    EXPECT_EQ(values.Integer(sSetHeight), 768);
    EXPECT_EQ(values.Text(sBackgroundBMP), kImages + "Background.bmp");
    EXPECT_EQ(values.Text(sTitle), kImages + "Title.gif");
    EXPECT_EQ(values.Text(sCenterLogo), kImages + "Sml_Logo.gif");
    EXPECT_FALSE(values.Bool(sShowClock));
    EXPECT_EQ(values.Integer(sClockPosition), 3);
    EXPECT_EQ(values.Text(sTextTotalPacks), "Packs");
    EXPECT_EQ(values.Integer(sSetFloatY), 522);
    EXPECT_EQ(values.Text(sMsg1), kAdvertisingLine);
    EXPECT_EQ(values.Text(sMsg2), kAdvertisingLine);
    EXPECT_EQ(values.Text(sMsg3), kAdvertisingLine);
    EXPECT_EQ(values.Text(sMsg4), "We hope you enjoyed your game.  Play again soon!");
    EXPECT_EQ(values.Integer(sPacksPerTeam), 6);
    EXPECT_FALSE(values.Bool(sShowBars));
    EXPECT_EQ(values.Text(sTeam2Colour), "Green");
    EXPECT_EQ(values.Text(sTeam3Colour), "Yellow");
    EXPECT_EQ(values.Integer(sStillNeedDelayIncrement), 0);
    EXPECT_EQ(values.Text(sTalkingFolder), kSounds);
    EXPECT_EQ(values.Text(sAudioFile), "");
    EXPECT_EQ(values.Text(sTextDownloaded), "Downloaded");
    EXPECT_EQ(values.Text(sDownloadPacks), "Download Packs");
    EXPECT_EQ(values.Text(sCalculating), "Calculating");

    // Reading writes nothing, not even the folder: the first save makes them.
    EXPECT_FALSE(std::filesystem::exists(FFile.parent_path()));
}

TEST_F(SettingsRead, StoredValuesGoThroughTheirKindsReadRule) {
    const TSettingValues values = ReadFrom(
        "\"packsperteam\"=\"12\"\r\n\"ShowBars\"=\"1\"\r\n\"ShowCaptions\"=dword:0\r\n"
        "\"Msg1\"=\"Laser nights on Fridays\"\r\n\"Msg3\"=\"Third\"\r\n\"Msg4\"=dword:2a\r\n"
        "\"ClockPosition\"=dword:9\r\n\"Mode\"=dword:5\r\n\"Title\"=hex(2):25,54,25,00\r\n",
        "\"IDLE\"=\"Ruhe\"\r\n");
    EXPECT_EQ(values.Integer(sPacksPerTeam), 12);
    EXPECT_FALSE(values.Bool(sShowBars));
    EXPECT_FALSE(values.Bool(sShowCaptions));
    EXPECT_EQ(values.Text(sMsg2), "Laser nights on Fridays"); // follows Msg1
    EXPECT_EQ(values.Text(sMsg3), "Third");
    EXPECT_EQ(values.Text(sMsg4), "42");
    EXPECT_EQ(values.Integer(sClockPosition), 9); // the display decides what 9 means
    EXPECT_EQ(values.Integer(sMode), 5);
    EXPECT_EQ(values.Text(sTitle), "%T%");
    EXPECT_EQ(values.Text(sIdle), "Ruhe");
    EXPECT_EQ(values.Text(sPlayingGame), "Playing Game");

    EXPECT_EQ(
        ReadFrom("\"PacksPerTeam\"=\"twelve\"\r\n\"ShowBars\"=dword:7\r\n").Integer(sPacksPerTeam),
        6);
    EXPECT_TRUE(ReadFrom("\"ShowBars\"=dword:7\r\n").Bool(sShowBars));
}

TEST_F(SettingsRead, KeysThatCannotBeOpenedGiveTheDefaults) {
    // The settings folder is a file: nothing can be created there.
    WriteBytes(FFolder / "Outrider", "not a folder");
    const TSettingValues values = ReadFrom("");
    EXPECT_EQ(values.Integer(sSetFloatX), 440);
    EXPECT_EQ(values.Text(sMsg2), kAdvertisingLine);
    EXPECT_EQ(values.Text(sIdle), "Idle");
}

TEST(SettingsTable, EveryDialogControlIsStoredUnderItsValueName) {
    int controls = 0;
    for (const TSettingDef& setting : AllSettings()) {
        EXPECT_EQ(FindSetting(setting.Name), &setting);
        if (*setting.Control == '\0')
            continue;
        ++controls;
        EXPECT_TRUE(SameRegName(ValueNameOfComponent(setting.Control), setting.Name))
            << setting.Control;
    }
    // All but "Text Total Packs", the team colours, "ControllerAddress" and the web password.
    EXPECT_EQ(controls, kSettingCount - 5);
    EXPECT_EQ(FindSetting("show total packs")->Id, sShowTotalPacks);
    EXPECT_EQ(FindSetting("Show Time Remaining"), nullptr);
}

TEST(SettingsTable, TheDialogShowsItsOwnDefaultsForFourValues) {
    std::vector<std::string> differing;
    for (const TSettingDef& setting : AllSettings())
        if (ResolveDefault(setting, setting.Default, kEnvironment, "Msg1 text") !=
            ResolveDefault(setting, setting.DialogDefault, kEnvironment, "Msg1 text"))
            differing.emplace_back(setting.Name);
    EXPECT_EQ(differing,
              (std::vector<std::string>{"SetFloatY", "Msg2", "Msg3", "StillNeedDelayIncrement"}));
    EXPECT_EQ(
        ResolveDefault(SettingDef(sSetFloatY), SettingDef(sSetFloatY).DialogDefault, kEnvironment),
        TSettingValue(552));
    EXPECT_EQ(ResolveDefault(SettingDef(sMsg2), SettingDef(sMsg2).DialogDefault, kEnvironment),
              TSettingValue(std::string(kAdvertisingLine)));
    EXPECT_EQ(ResolveDefault(SettingDef(sStillNeedDelayIncrement),
                             SettingDef(sStillNeedDelayIncrement).DialogDefault, kEnvironment),
              TSettingValue(10));
}

TEST(TeamColours, FirstCharacterDecidesAndEmptyKeepsTheDefault) {
    EXPECT_EQ(Team2ColourOf("Green"), tcGreen);
    EXPECT_EQ(Team2ColourOf("Gr"), tcGreen);
    EXPECT_EQ(Team2ColourOf("Blue"), tcBlue);
    EXPECT_EQ(Team2ColourOf("green"), tcBlue); // the test is on the capital
    EXPECT_EQ(Team2ColourOf("Yellow"), tcBlue);
    EXPECT_EQ(Team2ColourOf(""), tcGreen);
    EXPECT_EQ(Team3ColourOf("Blue"), tcBlue);
    EXPECT_EQ(Team3ColourOf("Grelm"), tcGreen);
    EXPECT_EQ(Team3ColourOf("Yellow"), tcYellow);
    EXPECT_EQ(Team3ColourOf("Red"), tcYellow);
    EXPECT_EQ(Team3ColourOf(""), tcYellow);
}

} // namespace
