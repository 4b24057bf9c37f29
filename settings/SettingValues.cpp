#include "settings/SettingValues.h"

#include "settings/RegistryDef.h"

TSettingValue ReadSetting(const TRegistryDef& registry, const TSettingDef& setting,
                          const TSettingValue& def) {
    switch (setting.Kind) {
    case TSettingKind::Boolean:
        return registry.ReadBoolDef(setting.Name, std::get<bool>(def));
    case TSettingKind::Integer:
        return registry.ReadIntegerDef(setting.Name, std::get<std::int32_t>(def));
    case TSettingKind::Text:
        break;
    }
    return registry.ReadStringDef(setting.Name, std::get<std::string>(def));
}

namespace {

// Table order resolves "Msg1" before the messages whose default it is.
TSettingValue DisplayDefault(const TSettingDef& setting, const TSettingsEnvironment& environment,
                             const TSettingValues& earlier) {
    const bool followsMsg1 = setting.Default.Rule == TDefaultRule::SameAsMsg1;
    return ResolveDefault(setting, setting.Default, environment,
                          followsMsg1 ? earlier.Text(sMsg1) : "");
}

} // namespace

TSettingValues DefaultSettingValues(const TSettingsEnvironment& environment) {
    TSettingValues values;
    for (const TSettingDef& setting : AllSettings())
        values.Set(setting.Id, DisplayDefault(setting, environment, values));
    return values;
}

TSettingValues ReadAllSettings(TRegistryDef& registry, const TSettingsEnvironment& environment) {
    TSettingValues values;
    for (const TSettingsKey key : {TSettingsKey::Settings, TSettingsKey::Language}) {
        registry.OpenKey(key == TSettingsKey::Settings ? kSettingsKeyPath : kLanguageKeyPath, true);
        for (const TSettingDef& setting : AllSettings()) {
            if (setting.Key == key)
                values.Set(setting.Id, ReadSetting(registry, setting,
                                                   DisplayDefault(setting, environment, values)));
        }
        registry.CloseKey();
    }
    return values;
}
