#pragma once

// The Windows registry itself, through advapi32. Built for Windows only.

#include "settings/RegistryStore.h"

class TWinRegistryStore : public TRegistryStore {
public:
    TWinRegistryStore() = default;
    ~TWinRegistryStore() override;
    TWinRegistryStore(const TWinRegistryStore&) = delete;
    TWinRegistryStore& operator=(const TWinRegistryStore&) = delete;

    bool OpenKey(TRootKey root, std::string_view path, bool canCreate) override;
    void CloseKey() override;
    bool HasOpenKey() const override;
    std::optional<TRegValue> ReadValue(std::string_view name) const override;
    bool WriteValue(std::string_view name, const TRegValue& value) override;

private:
    void* FKey = nullptr; // HKEY, kept opaque so that no caller includes windows.h
};
