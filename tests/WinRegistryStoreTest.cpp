#include "settings/WinRegistryStore.h"
#include "settings/RegistryDef.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace {

// A key of its own under the real root, removed afterwards.
class WinRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string leaf = "Outrider\\TallivueTest" + std::to_string(std::random_device()());
        FPath = "SOFTWARE\\" + leaf;
        FPath32 = "SOFTWARE\\WOW6432Node\\" + leaf;
        FRegistry = std::make_unique<TRegistryDef>(std::make_unique<TWinRegistryStore>());
        if (!FRegistry->OpenKey(FPath, true))
            GTEST_SKIP() << "no right to create keys under HKEY_LOCAL_MACHINE";
    }
    void TearDown() override {
        FRegistry.reset();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, FPath.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, FPath32.c_str());
    }

    // Plants a value of any type, as the registry editor could, in FPath unless told.
    void Plant(const char* name, DWORD type, std::string_view data, std::string path = {}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (path.empty() ? FPath : path).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }

    std::string FPath;
    std::string FPath32; // where a 32-bit program asking for FPath finds it
    std::unique_ptr<TRegistryDef> FRegistry;
};

using TStoredValues = std::map<std::string, std::pair<DWORD, std::string>>;

// Every value of a key, by name, as stored: type and bytes. Nothing for a missing key.
std::optional<TStoredValues> StoredValues(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    TStoredValues values;
    char name[256];
    BYTE data[256];
    for (DWORD i = 0, nameSize = sizeof name, type = 0, size = sizeof data;
         RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, nameSize = sizeof name, size = sizeof data)
        values[name] = {type, std::string(reinterpret_cast<char*>(data), size)};
    RegCloseKey(key);
    return values;
}

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

TEST_F(WinRegistry, The32BitDisplaysSettingsMoveOnlyWhereThereAreNone) {
    Plant("SetFullX", REG_DWORD, std::string_view("\xEC\xFF\xFF\xFF", 4), FPath32);
    Plant("Msg1", REG_SZ, std::string_view("Book \xE9 now", 11), FPath32);
    Plant("Bytes", REG_BINARY, std::string_view("\x07\0\xFF", 3), FPath32);
    Plant("Lang1", REG_SZ, std::string_view("Vests on", 9), FPath32 + "\\Language");
    Plant("Msg1", REG_SZ, std::string_view("Ours", 5), FPath + "\\Kept");
    ASSERT_TRUE(FRegistry->OpenKey(FPath + "\\Empty", true));
    const auto kept = StoredValues(FPath + "\\Kept");

    TWinRegistryStore store;
    for (const char* to : {"\\Missing", "\\Empty", "\\Kept"})
        store.AdoptKey(TRootKey::LocalMachine, FPath32, FPath + to);

    ASSERT_EQ(StoredValues(FPath32)->size(), 3u);
    for (const char* to : {"\\Missing", "\\Empty"}) {
        EXPECT_EQ(StoredValues(FPath + to), StoredValues(FPath32)) << to;
        EXPECT_EQ(StoredValues(FPath + to + "\\Language"), StoredValues(FPath32 + "\\Language"))
            << to;
    }
    EXPECT_EQ(StoredValues(FPath + "\\Kept"), kept);
}

// Entries letting the Users group, found by its number, write the key and those made below it.
int UsersWriteEntries(const std::string& path) {
    HKEY key = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &key);
    GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                    nullptr, &descriptor);
    RegCloseKey(key);
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD usersSize = sizeof users;
    CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &usersSize);
    int entries = 0;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        GetAce(dacl, i, &entry);
        const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        entries += ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                   EqualSid(const_cast<DWORD*>(&ace->SidStart), users) &&
                   (ace->Mask & KEY_WRITE) == KEY_WRITE &&
                   (ace->Header.AceFlags & CONTAINER_INHERIT_ACE);
    }
    LocalFree(descriptor);
    return entries;
}

TEST_F(WinRegistry, UsersMayWriteAGrantedKeyAndItsSubkeys) {
    const std::string path = FPath + "\\Granted";
    std::string error;
    ASSERT_TRUE(LetUsersWriteKey(TRootKey::LocalMachine, path, error)) << error;
    EXPECT_EQ(UsersWriteEntries(path), 1);
    ASSERT_TRUE(LetUsersWriteKey(TRootKey::LocalMachine, path, error)) << error;
    EXPECT_EQ(UsersWriteEntries(path), 1);
}

} // namespace
