#pragma once

// The registry access class: a root, at most one open key, and typed reads and writes of the
// values in that key, over whichever store the platform has.

#include "settings/RegistryStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TRegistry {
public:
    explicit TRegistry(std::unique_ptr<TRegistryStore> store);
    virtual ~TRegistry(); // closes the open key
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    void SetRootKey(TRootKey root) { FRootKey = root; }

    // `path` is taken from the root whatever key is open; the open key is closed first.
    bool OpenKey(std::string_view path, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const;
    // Whether the store read what was saved whole; see TRegistryStore::ReadWhole.
    bool ReadWhole() const { return FStore->ReadWhole(); }

    // See TRegistryStore::HoldChanges.
    bool HoldsChanges() const { return FStore->HoldsChanges(); }
    void HoldChanges() { FStore->HoldChanges(); }
    bool CommitChanges() { return FStore->CommitChanges(); }
    void DiscardChanges() { FStore->DiscardChanges(); }

    TRegDataType GetDataType(std::string_view name) const; // rdUnknown when missing

    // A missing value reads as an empty text; a value of another type raises TRegistryError.
    std::string ReadString(std::string_view name) const;
    // A value that is not a number raises TRegistryError.
    std::int32_t ReadInteger(std::string_view name) const;
    bool ReadBool(std::string_view name) const;

    // A write the store refuses raises TRegistryError "Failed to set data for '<name>'".
    void WriteString(std::string_view name, std::string_view text);
    void WriteInteger(std::string_view name, std::int32_t number);
    void WriteBool(std::string_view name, bool value);

private:
    void Write(std::string_view name, const TRegValue& value);

    std::unique_ptr<TRegistryStore> FStore;
    TRootKey FRootKey = TRootKey::LocalMachine;
};
