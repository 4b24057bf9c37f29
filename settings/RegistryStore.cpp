#include "settings/RegistryStore.h"

#include "core/TextEncoding.h"

TRegDataType DataTypeOf(const TRegValue& value) {
    switch (value.Type) {
    case kRegSz:
        return TRegDataType::rdString;
    case kRegExpandSz:
        return TRegDataType::rdExpandString;
    case kRegDword:
        // A number of any other length cannot be read as one.
        return value.Data.size() == 4 ? TRegDataType::rdInteger : TRegDataType::rdUnknown;
    case kRegBinary:
        return TRegDataType::rdBinary;
    default:
        return TRegDataType::rdUnknown;
    }
}

bool IsTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

TRegValue MakeStringValue(std::string_view text) {
    return TRegValue{kRegSz, std::string(text)};
}

TRegValue MakeIntegerValue(std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
    return TRegValue{kRegDword, data};
}

std::int32_t IntegerOf(const TRegValue& value) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(value.Data.at(i));
    return static_cast<std::int32_t>(bits);
}

std::string_view RootKeyName(TRootKey root) {
    return root == TRootKey::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool SameRegName(std::string_view a, std::string_view b) {
    // A letter and its capital are as long in UTF-8: names of different lengths differ.
    if (a.size() != b.size())
        return false;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if (x < 0x80 && y < 0x80) {
            if (FoldRegLetter(x) != FoldRegLetter(y))
                return false;
            ++i, ++j;
        } else if (FoldRegLetter(NextUtf8Char(a, i)) != FoldRegLetter(NextUtf8Char(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}
