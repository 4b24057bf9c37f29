#pragma once

// Where this machine keeps the settings, and what the machine-dependent defaults are made of.

#include "settings/RegistryStore.h"
#include "settings/SettingsTable.h"

#include <filesystem>
#include <memory>

// The registry on Windows; elsewhere the registry file at SettingsFilePath(), whose problems
// are reported through ReportError.
std::unique_ptr<TRegistryStore> PlatformRegistryStore();

// <config dir>/Outrider/Tallivue.reg; the config dir honours XDG_CONFIG_HOME.
std::filesystem::path SettingsFilePath();

// The program's folder and the primary screen's size.
TSettingsEnvironment PlatformSettingsEnvironment();
