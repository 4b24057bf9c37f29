#pragma once

// The Windows registry itself, through advapi32. Built for Windows only. Key paths, value names
// and texts go to and from the registry in its own UTF-16, whatever the system's code page.
//
// The settings live under HKEY_LOCAL_MACHINE, where an ordinary user may read but not write
// unless the installer said otherwise (LetUsersWriteKey). A key the user may only read still
// opens, so the display shows the arena's settings; only the writes are refused then.

#include "settings/RegistryStore.h"

#include <string>
#include <string_view>

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

    // Where the key `to` is missing, or holds neither values nor keys, and a key `from` exists,
    // copies `from` and the keys below it to `to`, every value with its type and bytes; `from`
    // stays as it was. A `from` under SOFTWARE\WOW6432Node is read from the 32-bit view. A copy
    // the user may not make leaves `to` as it was, without a word, and is tried again next time.
    void AdoptKey(TRootKey root, std::string_view from, std::string_view to);

private:
    void* FKey = nullptr; // HKEY, kept opaque so that no caller includes windows.h
};

// Creates the key `path` if missing and lets the local Users group read and write it and every
// key that comes to be below it, keeping whatever access the key already gave. Needs an
// administrator, so it is the installer's to call. Granting what is granted already changes
// nothing. False, with `error` saying which key and why, when it cannot be done.
bool LetUsersWriteKey(TRootKey root, std::string_view path, std::string& error);
