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

TSettingValues ReadAllSettings(TRegistryDef& registry, const TSettingsEnvironment& environment) {
    TSettingValues values;
    for (const TSettingsKey key : {TSettingsKey::Settings, TSettingsKey::Language}) {
        registry.OpenKey(key == TSettingsKey::Settings ? kSettingsKeyPath : kLanguageKeyPath, true);
        // Table order reads "Msg1" before the messages whose default it is.
        for (const TSettingDef& setting : AllSettings()) {
            if (setting.Key != key)
                continue;
            const bool followsMsg1 = setting.Default.Rule == TDefaultRule::SameAsMsg1;
            const TSettingValue def = ResolveDefault(setting, setting.Default, environment,
                                                     followsMsg1 ? values.Text(sMsg1) : "");
            values.Set(setting.Id, ReadSetting(registry, setting, def));
        }
        registry.CloseKey();
    }
    return values;
}
