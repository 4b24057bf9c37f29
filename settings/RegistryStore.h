#pragma once

// The registry as the settings see it: keys holding named, typed values. Two stores sit behind
// this one interface: the Windows registry itself, and elsewhere a registry-export text file.
// Because both keep the value types, every read rule behaves the same on every platform.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The registry's own type numbers, as export files spell them in "hex(n):".
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// What a value holds, as far as reading it goes.
enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegValue {
    std::uint32_t Type = kRegNone;
    // Text types (string, expandable string, string list): the UTF-8 text without its closing
    // zero. A number: its four bytes, least significant first. Anything else: the bytes.
    std::string Data;

    bool operator==(const TRegValue&) const = default;
};

TRegDataType DataTypeOf(const TRegValue& value);
bool IsTextType(std::uint32_t type);

TRegValue MakeStringValue(std::string_view text);
TRegValue MakeIntegerValue(std::int32_t number);
std::int32_t IntegerOf(const TRegValue& value); // only for a value whose type is rdInteger

enum class TRootKey { LocalMachine, CurrentUser };
std::string_view RootKeyName(TRootKey root);

// Raised by writes the store refuses, and by reads of a value as the wrong type.
class TRegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One open key at a time, as the registry access class works.
class TRegistryStore {
public:
    virtual ~TRegistryStore() = default;

    // Makes `path` (relative to `root`) the open key, creating it when missing if `canCreate`.
    // False leaves no key open.
    virtual bool OpenKey(TRootKey root, std::string_view path, bool canCreate) = 0;
    virtual void CloseKey() = 0;
    virtual bool HasOpenKey() const = 0;

    // In the open key; names match without regard to case.
    virtual std::optional<TRegValue> ReadValue(std::string_view name) const = 0;
    // False when there is no open key or the store refuses the write; nothing changes then.
    virtual bool WriteValue(std::string_view name, const TRegValue& value) = 0;

    // False when what was saved could not be read whole (a settings file caught half written,
    // or mistyped by hand): the reads give defaults then, which are not the arena's settings.
    virtual bool ReadWhole() const { return true; }

    // Writes from here on are held until CommitChanges, which stores them all or, returning
    // false, none. A store that cannot hold writes stores each at once, and a caller that must
    // not leave half its writes puts back what it read before when one is refused.
    virtual bool HoldsChanges() const { return false; }
    virtual void HoldChanges() {}
    virtual bool CommitChanges() { return true; }
    virtual void DiscardChanges() {} // the held writes go, none stored
};

// Key paths and value names, UTF-8 text, compare character by character as the registry compares
// them: letters without regard to case, Latin-1 letters included.
bool SameRegName(std::string_view a, std::string_view b);
// A character (a Unicode code point) as SameRegName compares it: a small ASCII or Latin-1
// letter as its capital, anything else as it is.
constexpr std::uint32_t FoldRegLetter(std::uint32_t code) {
    const bool latinSmall = code >= 0xE0 && code <= 0xFE && code != 0xF7;
    return (code >= 'a' && code <= 'z') || latinSmall ? code - 32 : code;
}
