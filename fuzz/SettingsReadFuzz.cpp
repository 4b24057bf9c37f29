// The settings' read rules over any value an operator or another program may have stored under
// a setting's name: whatever its type and bytes, every setting reads as its rule says, and a
// value changes nothing but its own setting (and the scroll messages that follow "Msg1").

#include "FuzzCheck.h"
#include "ReferenceNumber.h"
#include "settings/RegistryDef.h"
#include "settings/SettingValues.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A registry in memory holding one value, so that only the read rules are under test.
class TOneValueStore : public TRegistryStore {
public:
    TOneValueStore(std::string key, std::string name, TRegValue value)
        : FKey(std::move(key)), FName(std::move(name)), FValue(std::move(value)) {}

    bool OpenKey(TRootKey, std::string_view path, bool) override {
        FOpen = path;
        return true;
    }
    void CloseKey() override { FOpen.reset(); }
    bool HasOpenKey() const override { return FOpen.has_value(); }
    std::optional<TRegValue> ReadValue(std::string_view name) const override {
        if (FOpen && SameRegName(*FOpen, FKey) && SameRegName(name, FName))
            return FValue;
        return std::nullopt;
    }
    bool WriteValue(std::string_view, const TRegValue&) override { return false; }

private:
    std::string FKey;
    std::string FName;
    TRegValue FValue;
    std::optional<std::string> FOpen;
};

TSettingValues ReadWith(std::unique_ptr<TRegistryStore> store,
                        const TSettingsEnvironment& environment) {
    TRegistryDef registry(std::move(store));
    return ReadAllSettings(registry, environment);
}

std::optional<std::int32_t> ReferenceSettingInteger(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text[0]) >= 1 &&
           static_cast<unsigned char>(text[0]) <= 32)
        text.remove_prefix(1);
    return ReferenceNumber(text);
}

// What the rule of `kind` reads from `value`, or nothing when the default stands.
std::optional<TSettingValue> Expected(TSettingKind kind, const TRegValue& value) {
    // The registry's texts end at their first zero byte.
    const std::string text = value.Data.substr(0, value.Data.find('\0'));
    const bool number = value.Type == kRegDword && value.Data.size() == 4;
    std::int32_t stored = 0;
    for (int i = 3; i >= 0 && number; --i)
        stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(stored) << 8 |
                                           static_cast<unsigned char>(value.Data[i]));
    switch (kind) {
    case TSettingKind::Boolean:
        return number ? std::optional<TSettingValue>(stored != 0) : std::nullopt;
    case TSettingKind::Integer:
        if (number)
            return stored;
        if (value.Type == kRegSz)
            if (const auto parsed = ReferenceSettingInteger(text))
                return *parsed;
        return std::nullopt;
    case TSettingKind::Text:
        break;
    }
    if (value.Type == kRegSz || value.Type == kRegExpandSz)
        return text;
    return number ? std::optional<TSettingValue>(std::to_string(stored)) : std::nullopt;
}

} // namespace

// Input: the setting, the value's type, which letters of its name change case, then its bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const TSettingDef& setting = AllSettings()[data[0] % kSettingCount];
    static constexpr std::uint32_t kTypes[] = {kRegSz,      kRegExpandSz, kRegDword, kRegBinary,
                                               kRegMultiSz, kRegNone,     11 /* QWORD */};
    const TRegValue value{kTypes[data[1] % std::size(kTypes)],
                          std::string(reinterpret_cast<const char*>(data) + 3, size - 3)};
    std::string name = setting.Name;
    for (std::size_t i = 0; i < name.size() && i < 8; ++i)
        if (data[2] >> i & 1)
            name[i] = static_cast<char>(std::isupper(static_cast<unsigned char>(name[i]))
                                            ? std::tolower(static_cast<unsigned char>(name[i]))
                                            : std::toupper(static_cast<unsigned char>(name[i])));
    const std::string key(setting.Key == TSettingsKey::Settings ? kSettingsKeyPath
                                                                : kLanguageKeyPath);

    const TSettingsEnvironment environment{"/opt/tallivue/", 1024, 768};
    static const TSettingValues defaults =
        ReadWith(std::make_unique<TOneValueStore>("", "", TRegValue{}), environment);
    const TSettingValues read =
        ReadWith(std::make_unique<TOneValueStore>(key, name, value), environment);

    const std::optional<TSettingValue> expected = Expected(setting.Kind, value);
    FUZZ_CHECK(read.Value(setting.Id) == expected.value_or(defaults.Value(setting.Id)));
    for (const TSettingDef& other : AllSettings()) {
        if (other.Id == setting.Id)
            continue;
        const bool followsMsg1 =
            setting.Id == sMsg1 && other.Default.Rule == TDefaultRule::SameAsMsg1;
        FUZZ_CHECK(read.Value(other.Id) ==
                   (followsMsg1 ? read.Value(sMsg1) : defaults.Value(other.Id)));
    }
    return 0;
}
