#include "settings/RegistryDef.h"
#include "settings/RegFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

// A registry holding what an operator wrote into the settings file, the settings key open.
class ReadRules : public ::testing::Test {
protected:
    TRegistryDef& Stored(std::string_view values) {
        WriteBytes(FFile, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n" +
                              std::string(values));
        FRegistry = std::make_unique<TRegistryDef>(std::make_unique<TRegFileStore>(FFile));
        EXPECT_TRUE(FRegistry->OpenKey("SOFTWARE\\Outrider\\Tallivue", false));
        return *FRegistry;
    }

    TTempFolder FFolder;
    std::filesystem::path FFile = FFolder / "Tallivue.reg";
    std::unique_ptr<TRegistryDef> FRegistry;
};

TEST_F(ReadRules, BooleansAreNumbersOnly) {
    auto& reg = Stored("\"Zero\"=dword:00000000\n\"Seven\"=dword:00000007\n"
                       "\"Minus\"=dword:ffffffff\n\"Text\"=\"1\"\n\"Expand\"=hex(2):31,00\n"
                       "\"Bytes\"=hex:01\n\"Short\"=hex(4):01,00\n");
    EXPECT_FALSE(reg.ReadBoolDef("Zero", true));
    EXPECT_TRUE(reg.ReadBoolDef("Seven", false));
    EXPECT_TRUE(reg.ReadBoolDef("Minus", false));
    // "ShowBars" written by hand as the text 1 reads as its default.
    for (const char* name : {"Text", "Expand", "Bytes", "Short", "Missing"}) {
        EXPECT_FALSE(reg.ReadBoolDef(name, false)) << name;
        EXPECT_TRUE(reg.ReadBoolDef(name, true)) << name;
    }
}

TEST_F(ReadRules, IntegersFromNumbersAndPlainStrings) {
    auto& reg = Stored("\"Number\"=dword:0000000c\n\"Negative\"=dword:fffffffe\n"
                       "\"Expand\"=hex(2):31,32,00\n\"Bytes\"=hex:0c,00,00,00\n");
    EXPECT_EQ(reg.ReadIntegerDef("Number", 6), 12);
    EXPECT_EQ(reg.ReadIntegerDef("Negative", 6), -2);
    // Only a plain string is parsed; an expandable one holding digits is not.
    EXPECT_EQ(reg.ReadIntegerDef("Expand", 6), 6);
    EXPECT_EQ(reg.ReadIntegerDef("Bytes", 6), 6);
    EXPECT_EQ(reg.ReadIntegerDef("Missing", 6), 6);
}

TEST_F(ReadRules, IntegerTextsParseWholeWithinThirtyTwoBits) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12},
        {"  42", 42},
        {"\t-7", -7},
        {"+5", 5},
        {"$1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"007", 7},
    };
    for (const auto& [text, number] : cases) {
        auto& reg = Stored("\"PacksPerTeam\"=\"" + std::string(text) + "\"\n");
        EXPECT_EQ(reg.ReadIntegerDef("PacksPerTeam", 6), number) << text;
    }
    for (const char* text : {"twelve", "", " ", "-", "+", "$", "0x", "12 ", "12abc", "1 2",
                             "2147483648", "-2147483649", "$100000000", "1.5", "--1", "0x-1"}) {
        auto& reg = Stored("\"PacksPerTeam\"=\"" + std::string(text) + "\"\n");
        EXPECT_EQ(reg.ReadIntegerDef("PacksPerTeam", 6), 6) << '"' << text << '"';
    }
}

TEST_F(ReadRules, StringsFromTextsAndNumbers) {
    auto& reg = Stored("\"Plain\"=\"Hello, \\\"arena\\\" C:\\\\Sounds\\\\\"\n"
                       "\"Expand\"=hex(2):25,50,41,54,48,25,5c,78,00\n"
                       "\"Msg4\"=dword:0000002a\n\"Negative\"=dword:80000000\n"
                       "\"Bytes\"=hex:41,42\n\"Cut\"=hex(1):41,00,42,00\n\"Empty\"=\"\"\n");
    EXPECT_EQ(reg.ReadStringDef("Plain", "d"), "Hello, \"arena\" C:\\Sounds\\");
    EXPECT_EQ(reg.ReadStringDef("Expand", "d"), "%PATH%\\x"); // never expanded
    EXPECT_EQ(reg.ReadStringDef("Msg4", "d"), "42");
    EXPECT_EQ(reg.ReadStringDef("Negative", "d"), "-2147483648");
    EXPECT_EQ(reg.ReadStringDef("Bytes", "d"), "d");
    EXPECT_EQ(reg.ReadStringDef("Cut", "d"), "A"); // a text ends at its first zero
    EXPECT_EQ(reg.ReadStringDef("Empty", "d"), "");
    EXPECT_EQ(reg.ReadStringDef("Missing", "d"), "d");
}

TEST_F(ReadRules, NamesAndKeysMatchWithoutRegardToCase) {
    auto& reg = Stored("\"PacksPerTeam\"=dword:0000000c\n\"Caf\xE9\"=\"x\"\n");
    EXPECT_EQ(reg.ReadIntegerDef("packsperteam", 6), 12);
    EXPECT_EQ(reg.ReadIntegerDef("PACKSPERTEAM", 6), 12);
    EXPECT_EQ(reg.ReadStringDef("CAF\xC3\x89", "d"), "x");
    EXPECT_TRUE(reg.OpenKey("\\software\\OUTRIDER\\tallivue\\", false));
    EXPECT_EQ(reg.ReadIntegerDef("PacksPerTeam", 6), 12);
}

TEST_F(ReadRules, NothingIsReadWithoutAnOpenKey) {
    auto& reg = Stored("\"PacksPerTeam\"=dword:0000000c\n");
    reg.CloseKey();
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_EQ(reg.ReadIntegerDef("PacksPerTeam", 6), 6);
    EXPECT_FALSE(reg.OpenKey("SOFTWARE\\Outrider\\Nothing", false));
    EXPECT_EQ(reg.ReadStringDef("PacksPerTeam", "d"), "d");
}

TEST_F(ReadRules, WritesKeepTheirTypesAndRefusalsNameTheValue) {
    auto& reg = Stored("");
    reg.WriteString("Msg1", "Book now");
    reg.WriteInteger("SetFullX", -20);
    reg.WriteBool("ShowBars", true);
    reg.WriteBool("Polygon", false);
    EXPECT_EQ(reg.GetDataType("Msg1"), TRegDataType::rdString);
    EXPECT_EQ(reg.GetDataType("ShowBars"), TRegDataType::rdInteger);
    EXPECT_EQ(reg.ReadInteger("ShowBars"), 1);
    EXPECT_EQ(reg.ReadInteger("Polygon"), 0);
    EXPECT_EQ(reg.ReadIntegerDef("SetFullX", 0), -20);
    EXPECT_THROW(reg.ReadInteger("Msg1"), TRegistryError);

    reg.CloseKey();
    try {
        reg.WriteString("Msg1", "lost");
        FAIL() << "a write without an open key must fail";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Msg1'");
    }
}

TEST(ValueNames, UnderscoresBecomeBlanksAndEndsAreTrimmed) {
    EXPECT_EQ(ValueNameOfComponent("Show_Total_Packs"), "Show Total Packs");
    EXPECT_EQ(ValueNameOfComponent("Title_"), "Title");
    EXPECT_EQ(ValueNameOfComponent("Center_Logo"), "Center Logo");
    EXPECT_EQ(ValueNameOfComponent("SetFloatX"), "SetFloatX");
    EXPECT_EQ(ValueNameOfComponent("__a__b__"), "a  b");
    EXPECT_EQ(ValueNameOfComponent("___"), "");
}

} // namespace
