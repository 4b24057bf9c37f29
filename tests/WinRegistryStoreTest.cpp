#include "settings/WinRegistryStore.h"
#include "settings/RegistryDef.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <random>
#include <string>

namespace {

// A key of its own under the real root, removed afterwards.
class WinRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        FPath = "SOFTWARE\\Outrider\\TallivueTest" + std::to_string(std::random_device()());
        FRegistry = std::make_unique<TRegistryDef>(std::make_unique<TWinRegistryStore>());
        if (!FRegistry->OpenKey(FPath, true))
            GTEST_SKIP() << "no right to create keys under HKEY_LOCAL_MACHINE";
    }
    void TearDown() override {
        FRegistry.reset();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, FPath.c_str());
    }

    // Plants a value of any type, as the registry editor could.
    void Plant(const char* name, DWORD type, std::string_view data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, FPath.c_str(), 0, KEY_SET_VALUE, &key),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }

    std::string FPath;
    std::unique_ptr<TRegistryDef> FRegistry;
};

TEST_F(WinRegistry, KeysOpenOnlyWhenTheyExistUnlessCreated) {
    TRegistryDef other(std::make_unique<TWinRegistryStore>());
    EXPECT_TRUE(other.OpenKey(FPath, false));
    EXPECT_TRUE(other.OpenKey("\\" + FPath, false));
    EXPECT_FALSE(other.OpenKey(FPath + "\\Language", false));
    EXPECT_FALSE(other.HasCurrentKey());
    EXPECT_TRUE(other.OpenKey(FPath + "\\Language", true));
    EXPECT_TRUE(other.OpenKey(FPath + "\\LANGUAGE", false));
}

TEST_F(WinRegistry, ValuesKeepTheirTypesAndReadByTheRules) {
    auto& reg = *FRegistry;
    reg.WriteString("Msg1", "Book \xE9 now");
    reg.WriteInteger("SetFullX", -20);
    reg.WriteBool("ShowBars", true);
    Plant("PacksPerTeam", REG_SZ, std::string_view(" 12", 4));
    Plant("Expand", REG_EXPAND_SZ, std::string_view("%WINDIR%\\x", 11));
    Plant("Bytes", REG_BINARY, "\x07\0\0\0");

    EXPECT_EQ(reg.GetDataType("Msg1"), TRegDataType::rdString);
    EXPECT_EQ(reg.ReadStringDef("msg1", "d"), "Book \xE9 now");
    EXPECT_EQ(reg.ReadIntegerDef("SETFULLX", 0), -20);
    EXPECT_EQ(reg.ReadStringDef("SetFullX", "d"), "-20");
    EXPECT_TRUE(reg.ReadBoolDef("ShowBars", false));
    EXPECT_EQ(reg.ReadInteger("ShowBars"), 1);
    EXPECT_EQ(reg.ReadIntegerDef("PacksPerTeam", 6), 12);
    EXPECT_FALSE(reg.ReadBoolDef("PacksPerTeam", false));
    EXPECT_EQ(reg.GetDataType("Expand"), TRegDataType::rdExpandString);
    EXPECT_EQ(reg.ReadStringDef("Expand", "d"), "%WINDIR%\\x");
    EXPECT_EQ(reg.GetDataType("Bytes"), TRegDataType::rdBinary);
    EXPECT_FALSE(reg.ReadBoolDef("Bytes", false));
    EXPECT_EQ(reg.ReadIntegerDef("Missing", 6), 6);

    reg.CloseKey();
    EXPECT_THROW(reg.WriteString("Msg1", "x"), TRegistryError);
}

} // namespace
