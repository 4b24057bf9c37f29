#include "settings/WinRegistryStore.h"

#include <windows.h>

#include <string>

namespace {

HKEY RootHandle(TRootKey root) {
    return root == TRootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

} // namespace

TWinRegistryStore::~TWinRegistryStore() {
    CloseKey();
}

bool TWinRegistryStore::OpenKey(TRootKey root, std::string_view path, bool canCreate) {
    CloseKey();
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    const std::string subKey(path);
    HKEY key = nullptr;
    // Full access, as the settings are both read and written through the same open key.
    const LONG result =
        canCreate ? RegCreateKeyExA(RootHandle(root), subKey.c_str(), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)
                  : RegOpenKeyExA(RootHandle(root), subKey.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return false;
    FKey = key;
    return true;
}

void TWinRegistryStore::CloseKey() {
    if (FKey)
        RegCloseKey(static_cast<HKEY>(FKey));
    FKey = nullptr;
}

bool TWinRegistryStore::HasOpenKey() const {
    return FKey != nullptr;
}

std::optional<TRegValue> TWinRegistryStore::ReadValue(std::string_view name) const {
    if (!FKey)
        return std::nullopt;
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    std::string data;
    LONG result = ERROR_MORE_DATA;
    // The value may grow between asking its size and reading it.
    while (result == ERROR_MORE_DATA) {
        result = RegQueryValueExA(static_cast<HKEY>(FKey), valueName.c_str(), nullptr, &type,
                                  nullptr, &size);
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        data.assign(size, '\0');
        result = RegQueryValueExA(static_cast<HKEY>(FKey), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    if (IsTextType(type) && !data.empty() && data.back() == '\0')
        data.pop_back();
    return TRegValue{type, std::move(data)};
}

bool TWinRegistryStore::WriteValue(std::string_view name, const TRegValue& value) {
    if (!FKey)
        return false;
    const std::string valueName(name);
    const std::string data = IsTextType(value.Type) ? value.Data + '\0' : value.Data;
    return RegSetValueExA(static_cast<HKEY>(FKey), valueName.c_str(), 0, value.Type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}
