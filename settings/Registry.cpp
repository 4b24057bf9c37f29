#include "settings/Registry.h"

#include <utility>

namespace {

std::string NamedMessage(const char* pattern, std::string_view name) {
    std::string message(pattern);
    message.replace(message.find("%s"), 2, name);
    return message;
}

} // namespace

TRegistry::TRegistry(std::unique_ptr<TRegistryStore> store) : FStore(std::move(store)) {}

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate) {
    FStore->CloseKey();
    return FStore->OpenKey(FRootKey, path, canCreate);
}

void TRegistry::CloseKey() {
    FStore->CloseKey();
}

bool TRegistry::HasCurrentKey() const {
    return FStore->HasOpenKey();
}

TRegDataType TRegistry::GetDataType(std::string_view name) const {
    const auto value = FStore->ReadValue(name);
    return value ? DataTypeOf(*value) : TRegDataType::rdUnknown;
}

std::string TRegistry::ReadString(std::string_view name) const {
    const auto value = FStore->ReadValue(name);
    if (!value)
        return {};
    const TRegDataType type = DataTypeOf(*value);
    if (type != TRegDataType::rdString && type != TRegDataType::rdExpandString)
        throw TRegistryError(NamedMessage("Invalid data type for '%s'", name));
    // The registry's text ends at its first zero, whatever the stored length says.
    return value->Data.substr(0, value->Data.find('\0'));
}

std::int32_t TRegistry::ReadInteger(std::string_view name) const {
    const auto value = FStore->ReadValue(name);
    if (!value || DataTypeOf(*value) != TRegDataType::rdInteger)
        throw TRegistryError(NamedMessage("Invalid data type for '%s'", name));
    return IntegerOf(*value);
}

bool TRegistry::ReadBool(std::string_view name) const {
    return ReadInteger(name) != 0;
}

void TRegistry::WriteString(std::string_view name, std::string_view text) {
    Write(name, MakeStringValue(text));
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t number) {
    Write(name, MakeIntegerValue(number));
}

void TRegistry::WriteBool(std::string_view name, bool value) {
    Write(name, MakeIntegerValue(value ? 1 : 0));
}

void TRegistry::Write(std::string_view name, const TRegValue& value) {
    if (!FStore->WriteValue(name, value))
        throw TRegistryError(NamedMessage("Failed to set data for '%s'", name));
}
