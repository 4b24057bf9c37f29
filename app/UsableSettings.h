#pragma once

// Settings as the display can use them. The settings file may be edited by hand or written by
// some other tool, so a value may lie far outside what the properties dialog offers: a window
// off every screen or larger than all of them, more packs than the grid has room for, a step the
// scroll message cannot take, control characters in a caption. Each such value is replaced by
// one the display can use, and a sentence for the operator names the setting, its value and
// what the display does instead. A reminder interval that grows by a negative or a huge number
// each time belongs here too.

#include "settings/SettingValues.h"

#include <string>
#include <vector>

// The rectangle that all the screens together cover.
struct TDesktop {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Puts right every value of `values` that the display cannot use, and describes each change.
// Only the window settings of the window mode that "Mode" chooses count; with an empty desktop
// (no screen known) they are left as they are.
// `environment` gives the defaults that a size falls back on.
std::vector<std::string> MakeSettingsUsable(TSettingValues& values,
                                            const TSettingsEnvironment& environment,
                                            const TDesktop& desktop);
