#include "settings/WinRegistryStore.h"
#include "settings/RegistryDef.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace {

// A path or name of ASCII letters in the registry's wide characters.
std::wstring W(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// A text's UTF-16 code units as the registry stores them, with the closing zero unless told.
std::string Units(std::u16string_view text, bool closed = true) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return closed ? bytes + std::string(2, '\0') : bytes;
}

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
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(FPath).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(FPath32).c_str());
    }

    // Plants a value of any type and bytes, as the registry editor or another program could, in
    // FPath unless told.
    void Plant(const wchar_t* name, DWORD type, std::string_view data, std::string path = {}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path.empty() ? FPath : path).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }

    std::string FPath;
    std::string FPath32; // where a 32-bit program asking for FPath finds it
    std::unique_ptr<TRegistryDef> FRegistry;
};

using TStoredValues = std::map<std::wstring, std::pair<DWORD, std::string>>;

// Every value of a key, by name, as stored: type and bytes. Nothing for a missing key.
std::optional<TStoredValues> StoredValues(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    TStoredValues values;
    wchar_t name[256];
    BYTE data[256];
    for (DWORD i = 0, nameSize = std::size(name), type = 0, size = sizeof data;
         RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, nameSize = std::size(name), size = sizeof data)
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
    reg.WriteString("Msg1", "Book \xC3\xA9 now");
    reg.WriteInteger("SetFullX", -20);
    reg.WriteBool("ShowBars", true);
    Plant(L"PacksPerTeam", REG_SZ, Units(u" 12"));
    Plant(L"Expand", REG_EXPAND_SZ, Units(u"%WINDIR%\\x"));
    Plant(L"Bytes", REG_BINARY, "\x07\0\0\0");

    EXPECT_EQ(reg.GetDataType("Msg1"), TRegDataType::rdString);
    EXPECT_EQ(reg.ReadStringDef("msg1", "d"), "Book \xC3\xA9 now");
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
    Plant(L"SetFullX", REG_DWORD, std::string_view("\xEC\xFF\xFF\xFF", 4), FPath32);
    Plant(L"Msg1", REG_SZ, Units(u"Book \u00e9 now"), FPath32);
    Plant(L"Bytes", REG_BINARY, std::string_view("\x07\0\xFF", 3), FPath32);
    Plant(L"Lang1", REG_SZ, Units(u"Vests on"), FPath32 + "\\Language");
    Plant(L"Msg1", REG_SZ, Units(u"Ours"), FPath + "\\Kept");
    ASSERT_TRUE(FRegistry->OpenKey(FPath + "\\Empty", true));
    const auto kept = StoredValues(W(FPath + "\\Kept"));

    TWinRegistryStore store;
    for (const char* to : {"\\Missing", "\\Empty", "\\Kept"})
        store.AdoptKey(TRootKey::LocalMachine, FPath32, FPath + to);

    ASSERT_EQ(StoredValues(W(FPath32))->size(), 3u);
    for (const char* to : {"\\Missing", "\\Empty"}) {
        EXPECT_EQ(StoredValues(W(FPath + to)), StoredValues(W(FPath32))) << to;
        EXPECT_EQ(StoredValues(W(FPath + to + "\\Language")),
                  StoredValues(W(FPath32 + "\\Language")))
            << to;
    }
    EXPECT_EQ(StoredValues(W(FPath + "\\Kept")), kept);
}

// A Greek caption and a message with a euro and a dash, as regedit stores them in UTF-16 on any
// system code page, read as the same characters, and what the program writes regedit shows as
// written, key and value names in other alphabets too. Data another program left odd, without
// its closing zero or with a surrogate alone reads without running past its end.
TEST_F(WinRegistry, TextsTravelAsUtf16WhateverTheCodePage) {
    const std::u16string typed = u"\u0391\u03bd\u03b1\u03bc\u03bf\u03bd\u03ae \u2013 \u20ac5";
    const std::string text =
        "\xCE\x91\xCE\xBD\xCE\xB1\xCE\xBC\xCE\xBF\xCE\xBD\xCE\xAE \xE2\x80\x93 "
        "\xE2\x82\xAC"
        "5";
    Plant(L"Idle", REG_SZ, Units(typed));
    Plant(L"Unclosed", REG_EXPAND_SZ, Units(typed, false));
    Plant(L"Odd", REG_SZ, Units(typed, false) + "\x41");
    Plant(L"Lone", REG_SZ, Units(u"a", false) + std::string("\x00\xD8\0\0", 4));
    auto& reg = *FRegistry;
    for (const char* name : {"Idle", "Unclosed", "Odd"})
        EXPECT_EQ(reg.ReadStringDef(name, "d"), text) << name;
    EXPECT_EQ(reg.ReadStringDef("Lone", "d"), "a\xEF\xBF\xBD");

    const std::string greekName = "\xCE\x9C\xCE\xAE\xCE\xBD\xCF\x85\xCE\xBC\xCE\xB1";
    reg.WriteString("Msg1", text);
    reg.WriteString(greekName, text);
    ASSERT_TRUE(reg.OpenKey(FPath + "\\" + greekName, true));
    reg.WriteString("Idle", text);
    const auto stored = StoredValues(W(FPath));
    EXPECT_EQ(stored->at(L"Msg1"), std::pair(DWORD{REG_SZ}, Units(typed)));
    EXPECT_EQ(stored->at(L"\u039c\u03ae\u03bd\u03c5\u03bc\u03b1"),
              std::pair(DWORD{REG_SZ}, Units(typed)));
    EXPECT_EQ(StoredValues(W(FPath) + L"\\\u039c\u03ae\u03bd\u03c5\u03bc\u03b1")->at(L"Idle"),
              std::pair(DWORD{REG_SZ}, Units(typed)));
}

// Entries letting the Users group, found by its number, write the key and those made below it.
int UsersWriteEntries(const std::string& path) {
    HKEY key = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path).c_str(), 0, READ_CONTROL, &key);
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
