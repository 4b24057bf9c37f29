#include "settings/RegistryDef.h"

#include "core/Blanks.h"
#include "core/Numbers.h"

std::string ValueNameOfComponent(std::string_view componentName) {
    std::string name(componentName);
    for (char& c : name)
        if (c == '_')
            c = ' ';
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

bool ParseSettingInteger(std::string_view text, std::int32_t& value) {
    std::size_t blanks = 0;
    while (blanks < text.size() && IsBlankCharacter(text[blanks]))
        ++blanks;
    return ParseInt32(text.substr(blanks), value);
}

bool TRegistryDef::ReadBoolDef(std::string_view name, bool def) const {
    if (GetDataType(name) == TRegDataType::rdInteger)
        return ReadBool(name);
    return def;
}

std::int32_t TRegistryDef::ReadIntegerDef(std::string_view name, std::int32_t def) const {
    switch (GetDataType(name)) {
    case TRegDataType::rdInteger:
        return ReadInteger(name);
    case TRegDataType::rdString: {
        std::int32_t value = 0;
        return ParseSettingInteger(ReadString(name), value) ? value : def;
    }
    default:
        return def;
    }
}

std::string TRegistryDef::ReadStringDef(std::string_view name, std::string_view def) const {
    switch (GetDataType(name)) {
    case TRegDataType::rdString:
    case TRegDataType::rdExpandString:
        return ReadString(name);
    case TRegDataType::rdInteger:
        return std::to_string(ReadInteger(name));
    default:
        return std::string(def);
    }
}
