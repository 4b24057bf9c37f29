#pragma once

// The registry where there is none: one registry-export file holding every key and value with
// its type. The file is read once, when the store is made; every write saves the whole file
// again, atomically, so it is never left half written and a refused write changes nothing.
// Reading never writes: a key made by opening it reaches the file with the first value written.
// A file whose content cannot be parsed gives an empty registry (so every default), is reported
// once for each content, and is renamed aside by the first write, before anything is saved over
// it. A file that exists but cannot be opened or read is reported once too, but it is not
// damaged: it is left alone, and every write is refused, since a save would replace settings the
// store never saw. A file the user may not write is not replaced either; a symbolic link is saved
// through.
//
// The file's text and the program's are both UTF-8, so a text reads and writes as it stands. A
// single-byte file that comes to hold a character beyond Latin-1 is saved as a Unicode export.
// A surrogate standing alone in a Unicode export reads as U+FFFD, and writing back a text as it
// was read keeps the stored one.

#include "settings/RegFile.h"
#include "settings/RegistryStore.h"

#include <filesystem>
#include <functional>
#include <string>

using TProblemReporter = std::function<void(const std::string& message)>;

class TRegFileStore : public TRegistryStore {
public:
    explicit TRegFileStore(std::filesystem::path file, TProblemReporter reporter = {});

    bool OpenKey(TRootKey root, std::string_view path, bool canCreate) override;
    void CloseKey() override;
    bool HasOpenKey() const override;
    std::optional<TRegValue> ReadValue(std::string_view name) const override;
    bool WriteValue(std::string_view name, const TRegValue& value) override;
    bool ReadWhole() const override;
    bool HoldsChanges() const override { return true; }
    void HoldChanges() override;
    bool CommitChanges() override;
    void DiscardChanges() override;

    // Where the file holds no key `to` but a key `from`, reads `from` and the keys below it as
    // `to`; the next save writes them there, and leaves `from` as it was.
    void AdoptKey(TRootKey root, std::string_view from, std::string_view to);

    const std::filesystem::path& File() const { return FFile; }
    // Where a damaged file went when it was renamed aside; empty until then.
    const std::filesystem::path& KeptAside() const { return FKeptAside; }

private:
    enum class TCondition { Usable, Damaged, Unreadable };

    void Load(const TProblemReporter& reporter);
    bool Save();
    bool KeepDamagedFileAside(const std::filesystem::path& target);

    std::filesystem::path FFile;
    std::filesystem::path FKeptAside;
    TRegDocument FDocument;
    TCondition FCondition = TCondition::Usable;
    std::string FOpenKey; // full path of the open key, as the document spells it; empty when none
    bool FHolding = false;
    TRegDocument FBeforeHeld; // what the file held when the writes began to be held
};
