#pragma once

// The settings page's form, made from the settings table: every setting the properties dialog
// edits, on the dialog's pages, read and clamped as the dialog reads and clamps them, and saved
// through the same store with the same value types.

#include "settings/SettingValues.h"

#include <QString>

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "web/FormData.h"

class TRegistryDef;

// What the pickers may choose: full paths of the pictures and sounds in the program's folders
// (and the uploaded pictures), and the sound folders.
struct TFileChoices {
    std::vector<std::string> Pictures;
    std::vector<std::string> Sounds;
    std::vector<std::string> SoundFolders;
};
TFileChoices ListFileChoices(const TSettingsEnvironment& environment, const QString& uploadFolder);

// The stored values as the dialog loads them (its defaults where nothing is stored).
TSettingValues ReadDialogValues(TRegistryDef& registry, const TSettingsEnvironment& environment);
// Changes whenever any value the form shows does: a save from a page loaded before a change
// would write over it.
std::string ValuesDigest(const TSettingValues& values);

// The fields, a fieldset per page, each with its value.
QString SettingsFields(const TSettingValues& values, const TFileChoices& choices);

using TSettingChanges = std::vector<std::pair<TSettingId, TSettingValue>>;
// Every edited value from a posted form: numbers clamped to the dialog's limits, a list's item or
// a file only among its choices; an unticked box is false. The error names the field otherwise.
std::variant<TSettingChanges, std::string> ReadPostedSettings(const TFormFields& fields,
                                                              const TFileChoices& choices,
                                                              const TSettingValues& current);

// Writes them all or none; empty, or what the store refused.
std::string WriteSettings(TRegistryDef& registry, const TSettingChanges& values,
                          const TSettingValues& before);

// "Msg1=\"Hello\", ScrollSpeed=7": what differs from `before`, for the log.
std::string DescribeChanges(const TSettingChanges& values, const TSettingValues& before);
