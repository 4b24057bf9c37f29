#pragma once

// Where this machine keeps the settings, and what the machine-dependent defaults are made of.

#include "settings/RegistryStore.h"
#include "settings/SettingsTable.h"

#include <filesystem>
#include <memory>
#include <string>

// The registry on Windows; elsewhere the registry file at SettingsFilePath(), whose problems
// are reported through ReportError.
std::unique_ptr<TRegistryStore> PlatformRegistryStore();

// <config dir>/Outrider/Tallivue.reg; the config dir honours XDG_CONFIG_HOME.
std::filesystem::path SettingsFilePath();

// Differs whenever the stored settings have changed: made of the settings file's size and
// times, or on Windows of the settings keys' last write times. Compared, never interpreted.
std::string SettingsStamp();

// The program's folder and the primary screen's size.
TSettingsEnvironment PlatformSettingsEnvironment();

#ifdef _WIN32
// Run by the installer as an administrator: adopts what an older 32-bit display left on this PC
// and lets the Users group write the settings key, so that whoever is logged on at the kit-up
// room PC can save the properties. False, with the reason, when Windows refuses.
bool PrepareSettingsForAllUsers(std::string& error);
#endif
