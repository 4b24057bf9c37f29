#pragma once

// The settings as the display reads them at each activation: every value of the table, with
// the display's defaults, read afresh from the registry.

#include "settings/SettingsTable.h"

#include <array>
#include <cstdint>
#include <string>

class TRegistryDef;

class TSettingValues {
public:
    // The kind asked for must be the setting's kind; anything else is a programming error and
    // raises std::bad_variant_access.
    bool Bool(TSettingId id) const { return std::get<bool>(FValues.at(id)); }
    std::int32_t Integer(TSettingId id) const { return std::get<std::int32_t>(FValues.at(id)); }
    const std::string& Text(TSettingId id) const { return std::get<std::string>(FValues.at(id)); }
    const TSettingValue& Value(TSettingId id) const { return FValues.at(id); }
    void Set(TSettingId id, TSettingValue value) { FValues.at(id) = std::move(value); }

private:
    std::array<TSettingValue, kSettingCount> FValues;
};

// The "Mode" setting: the window's two layouts; any other value lays out the full screen.
enum class TWindowMode : std::int32_t { FullScreen = 0, Floating = 1 };
inline TWindowMode WindowModeOf(const TSettingValues& settings) {
    return settings.Integer(sMode) == static_cast<std::int32_t>(TWindowMode::Floating)
               ? TWindowMode::Floating
               : TWindowMode::FullScreen;
}

// One value through the read rule of its kind.
TSettingValue ReadSetting(const TRegistryDef& registry, const TSettingDef& setting,
                          const TSettingValue& def);

// Every value at the display's default: what the display goes by before it first reads the
// registry.
TSettingValues DefaultSettingValues(const TSettingsEnvironment& environment);

// Opens the settings key and then the Language key, each created when missing, and reads every
// value with the display's default; a key that cannot be opened gives the defaults of its
// values. Leaves no key open. Writes no value.
TSettingValues ReadAllSettings(TRegistryDef& registry, const TSettingsEnvironment& environment);
