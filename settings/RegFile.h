#pragma once

// The registry editor's export format, as a document: keys in file order, each with its values
// in file order. Reads "REGEDIT4" files (single-byte text) and "Windows Registry Editor Version
// 5.00" files (UTF-16LE with a byte-order mark, as the editor writes them on Windows); writes
// REGEDIT4, which the registry editor imports as it stands. Comment lines travel with the key
// or value after them, so an operator's notes survive a rewrite.

#include "settings/RegistryStore.h"

#include <string>
#include <string_view>
#include <vector>

struct TRegFileValue {
    std::vector<std::string> Comments; // whole lines, ";" included
    std::string Name;                  // empty for the key's default value ("@")
    TRegValue Value;
};

struct TRegFileKey {
    std::vector<std::string> Comments;
    std::string Path; // from the root name on, as first written: HKEY_LOCAL_MACHINE\SOFTWARE\...
    std::vector<TRegFileValue> Values;

    TRegFileValue* FindValue(std::string_view name);
    const TRegFileValue* FindValue(std::string_view name) const;
    void SetValue(std::string_view name, const TRegValue& value);
};

struct TRegDocument {
    std::vector<TRegFileKey> Keys;
    std::vector<std::string> TrailingComments;

    TRegFileKey* FindKey(std::string_view path);
    const TRegFileKey* FindKey(std::string_view path) const;
    // A key exists when it is written out or when a key below it is, as in the registry.
    bool KeyExists(std::string_view path) const;
    TRegFileKey& AddKey(std::string_view path);
    void RemoveKeyTree(std::string_view path);
};

struct TRegParseError {
    int Line = 0; // counted from 1
    std::string Message;
};

// False when `bytes` is not a registry export; `error` then says where and why.
bool ParseRegFile(std::string_view bytes, TRegDocument& document, TRegParseError& error);

// REGEDIT4 with CR LF line ends; long binary values continue over lines as the editor writes
// them, and texts with line breaks are written in their hexadecimal form.
std::string FormatRegFile(const TRegDocument& document);
