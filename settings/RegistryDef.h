#pragma once

// Every setting is read through here with a default: a missing value, or one of a type the read
// does not accept, gives the default, and no read ever raises an error or writes anything back.

#include "settings/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>

class QObject;

// The name a dialog control is stored under: every underscore of its object name made a
// blank, then the blanks at either end dropped ("Show_Total_Packs", "Title_").
std::string ValueNameOfComponent(std::string_view componentName);

// A number stored as text: leading blanks, an optional sign, then decimal digits or
// hexadecimal ones after "$", "x" or "0x", nothing after them, within 32 bits.
bool ParseSettingInteger(std::string_view text, std::int32_t& value);

class TRegistryDef : public TRegistry {
public:
    using TRegistry::TRegistry;

    // True for a stored number other than 0; a text, even "1", gives the default.
    bool ReadBoolDef(std::string_view name, bool def) const;
    // A stored number, or a plain string (not an expandable one) that parses as a number.
    std::int32_t ReadIntegerDef(std::string_view name, std::int32_t def) const;
    // A string or an expandable string (not expanded), or a number in decimal.
    std::string ReadStringDef(std::string_view name, std::string_view def) const;

    // Load or store one dialog control (check box, list, edit, label or spin field, tested in
    // that order) under the value named after it, in the open key. Loading takes the control's
    // present value as the default. Anything that is not a widget of those kinds is left alone.
    // A refused write raises TRegistryError, except a spin field's, which is skipped.
    void ReadControl(QObject* component) const;
    void WriteControl(QObject* component);
};
