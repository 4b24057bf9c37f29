#pragma once

// The registry editor's export format, as a document: keys in file order, each with its values
// in file order. Reads "REGEDIT4" files (single-byte text) and "Windows Registry Editor Version
// 5.00" files (UTF-16LE with a byte-order mark, as the editor writes them on Windows), and
// writes a document back in the version and encoding it was read in, so that a file exported
// on Windows keeps every character an operator put there (a new one is single-byte REGEDIT4).
// Comment lines travel with the key or value after them, so an operator's notes survive a
// rewrite.
//
// Inside the document all text is UTF-8, as the program's own: key paths, value names, comments
// and the data of the text types. A surrogate that stood alone in a UTF-16 file is kept encoded on
// its own, so that it goes back as it came.

#include "core/TextEncoding.h"
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

// "REGEDIT4" stores the data of the text types in hex(n): as single bytes, version 5 as UTF-16LE.
enum class TRegFileVersion { Regedit4, Version5 };
enum class TRegFileEncoding { SingleByte, Utf8WithBom, Utf16LeWithBom };

struct TRegDocument {
    TRegFileVersion Version = TRegFileVersion::Regedit4;
    TRegFileEncoding Encoding = TRegFileEncoding::SingleByte;
    std::vector<TRegFileKey> Keys;
    std::vector<std::string> TrailingComments;

    TRegFileKey* FindKey(std::string_view path);
    const TRegFileKey* FindKey(std::string_view path) const;
    // A key exists when it is written out or when a key below it is, as in the registry.
    bool KeyExists(std::string_view path) const;
    TRegFileKey& AddKey(std::string_view path);
    void RemoveKeyTree(std::string_view path);
    // Adds a copy of the key `from` and every key below it under `to`, values and all.
    void CopyKeyTree(std::string_view from, std::string_view to);
};

struct TRegParseError {
    int Line = 0;        // counted from 1
    std::string Message; // UTF-8, as the document's text
};

// False when `bytes` is not a registry export; `error` then says where and why.
bool ParseRegFile(std::string_view bytes, TRegDocument& document, TRegParseError& error);

// In the document's version and encoding, with CR LF line ends; long binary values continue over
// lines as the editor writes them, and texts with line breaks are written in their hexadecimal
// form. A single-byte file gets "?" for each character beyond Latin-1.
std::string FormatRegFile(const TRegDocument& document);

// Whether FormatRegFile writes every character the document holds, none of them as "?".
bool FormatKeepsAllText(const TRegDocument& document);
