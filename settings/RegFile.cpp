#include "settings/RegFile.h"

#include "core/Numbers.h"
#include "core/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::size_t kMaxLine = 80; // the registry editor's width for continued hex data

struct TParseFailure {
    int Line;
    std::string Message;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameRegName(text.substr(0, prefix.size()), prefix);
}

// At most eight hexadecimal digits and nothing else.
std::optional<std::uint32_t> HexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = DigitValue(c, 16);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

// The file as UTF-8 text, and the encoding its byte-order mark names.
std::string DecodeFile(std::string_view bytes, TRegFileEncoding& encoding) {
    if (bytes.starts_with(kUtf16Bom)) {
        encoding = TRegFileEncoding::Utf16LeWithBom;
        std::string text = Utf16LeToUtf8(bytes.substr(2));
        if (bytes.size() % 2 != 0) {
            const auto lines = std::count(text.begin(), text.end(), '\n');
            throw TParseFailure{static_cast<int>(lines) + 1,
                                "the file ends in the middle of a character"};
        }
        return text;
    }
    if (bytes.starts_with(kUtf8Bom)) {
        encoding = TRegFileEncoding::Utf8WithBom;
        return WellFormedUtf8(bytes.substr(3));
    }
    encoding = TRegFileEncoding::SingleByte;
    return Latin1ToUtf8(bytes);
}

std::string EncodeFile(std::string_view text, TRegFileEncoding encoding) {
    switch (encoding) {
    case TRegFileEncoding::Utf16LeWithBom:
        return std::string(kUtf16Bom) + Utf8ToUtf16Le(text);
    case TRegFileEncoding::Utf8WithBom:
        return std::string(kUtf8Bom) + std::string(text);
    case TRegFileEncoding::SingleByte:
        break;
    }
    return Utf8ToLatin1(text);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

class TParser {
public:
    TParser(std::string_view text, TRegDocument& document)
        : FLines(SplitLines(text)), FDocument(document),
          FEndsWithBreak(text.ends_with('\r') || text.ends_with('\n')) {}

    void Run() {
        while (FIndex < FLines.size() && Trim(FLines[FIndex]).empty())
            ++FIndex;
        if (FIndex == FLines.size()) {
            // Named at the line an editor shows last, which holds no text of its own only
            // when the file ends with a line break.
            FIndex = FEndsWithBreak ? FLines.size() : std::max<std::size_t>(FLines.size(), 1) - 1;
            Fail("the file is empty");
        }
        const std::string_view header = Trim(FLines[FIndex]);
        if (header == kHeader4)
            FDocument.Version = TRegFileVersion::Regedit4;
        else if (header == kHeader5)
            FDocument.Version = TRegFileVersion::Version5;
        else
            Fail("a registry file begins with \"REGEDIT4\" or \"" + std::string(kHeader5) + "\"");
        for (++FIndex; FIndex < FLines.size(); ++FIndex)
            ParseLine(Trim(FLines[FIndex]));
        FDocument.TrailingComments = std::move(FComments);
    }

private:
    [[noreturn]] void Fail(std::string message) const {
        throw TParseFailure{static_cast<int>(FIndex) + 1, std::move(message)};
    }

    void ParseLine(std::string_view line) {
        if (line.empty())
            return;
        if (line.front() == ';')
            FComments.emplace_back(line);
        else if (line.front() == '[')
            ParseKey(line);
        else if (line.front() == '"' || line.front() == '@')
            ParseValue(line);
        else
            Fail("this line is neither a key in [ ], a \"value\"= nor a ; comment");
    }

    void ParseKey(std::string_view line) {
        if (line.back() != ']')
            Fail("the key line does not end with ]");
        std::string_view path = Trim(line.substr(1, line.size() - 2));
        const bool remove = !path.empty() && path.front() == '-';
        if (remove)
            path.remove_prefix(1);
        // A blank before a closing backslash ends the path as much as one before the "]".
        while (!path.empty() && (path.back() == '\\' || IsBlank(path.back())))
            path.remove_suffix(1);
        if (!StartsWithNoCase(path, "HKEY_"))
            Fail("the key does not begin with a root key such as HKEY_LOCAL_MACHINE");
        if (remove) {
            FDocument.RemoveKeyTree(path);
            FKey.clear();
            return;
        }
        TRegFileKey& key = FDocument.AddKey(path);
        std::move(FComments.begin(), FComments.end(), std::back_inserter(key.Comments));
        FComments.clear();
        FKey = key.Path;
    }

    // A quoted text from `pos`, which is at its opening quote; `pos` ends after the closing one.
    std::string QuotedText(std::string_view line, std::size_t& pos, const char* what) const {
        std::string text;
        for (++pos; pos < line.size(); ++pos) {
            const char c = line[pos];
            if (c == '"') {
                ++pos;
                return text;
            }
            if (c == '\\' && pos + 1 < line.size() &&
                (line[pos + 1] == '\\' || line[pos + 1] == '"'))
                ++pos;
            text += line[pos];
        }
        Fail(std::string(what) + " has no closing quote");
    }

    void ParseValue(std::string_view line) {
        if (FKey.empty())
            Fail("a value comes before any [key] line");
        std::size_t pos = 0;
        std::string name;
        if (line.front() == '@')
            pos = 1;
        else
            name = QuotedText(line, pos, "the value name");
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=')
            Fail("the value name is not followed by =");
        rest = Trim(rest.substr(1));

        TRegFileKey& key = *FDocument.FindKey(FKey);
        if (rest == "-") {
            std::erase_if(key.Values,
                          [&](const TRegFileValue& v) { return SameRegName(v.Name, name); });
            return;
        }
        const TRegValue value = ParseData(rest, name);
        key.SetValue(name, value);
        TRegFileValue& stored = *key.FindValue(name);
        std::move(FComments.begin(), FComments.end(), std::back_inserter(stored.Comments));
        FComments.clear();
    }

    TRegValue ParseData(std::string_view data, const std::string& name) {
        if (data.empty())
            Fail("nothing follows the = of " + Quote(name));
        if (data.front() == '"') {
            std::size_t pos = 0;
            std::string text = QuotedText(data, pos, "the text");
            if (!Trim(data.substr(pos)).empty())
                Fail("something follows the closing quote of the text");
            return TRegValue{kRegSz, std::move(text)};
        }
        if (StartsWithNoCase(data, "dword:")) {
            const auto number = HexNumber(data.substr(6));
            if (!number)
                Fail("a dword: value takes one to eight hexadecimal digits");
            return MakeIntegerValue(static_cast<std::int32_t>(*number));
        }
        if (StartsWithNoCase(data, "hex")) {
            data.remove_prefix(3);
            std::uint32_t type = kRegBinary;
            if (!data.empty() && data.front() == '(') {
                const auto close = data.find(')');
                const auto number = HexNumber(data.substr(1, close == data.npos ? 0 : close - 1));
                if (!number)
                    Fail("the type in hex( ) must be a hexadecimal number");
                type = *number;
                data.remove_prefix(close + 1);
            }
            if (data.empty() || data.front() != ':')
                Fail("hex data begins with hex: or hex(n):");
            return TRegValue{type, DecodeBytes(type, HexBytes(data.substr(1), name))};
        }
        Fail("the value is neither a \"text\", dword: nor hex: data");
    }

    // Comma-separated byte pairs, continued over the next lines while a line ends with "\".
    std::string HexBytes(std::string_view first, const std::string& name) {
        std::string joined;
        std::string_view part = first;
        const std::size_t valueLine = FIndex;
        while (!part.empty() && part.back() == '\\') {
            joined.append(part.substr(0, part.size() - 1));
            if (++FIndex == FLines.size()) {
                FIndex = valueLine;
                Fail("the file ends inside the data of " + Quote(name));
            }
            part = Trim(FLines[FIndex]);
        }
        joined.append(part);

        std::string bytes;
        const std::string_view all = Trim(joined);
        if (all.empty())
            return bytes;
        for (std::size_t start = 0;;) {
            const auto comma = all.find(',', start);
            const bool last = comma == all.npos;
            const std::string_view token = Trim(all.substr(start, last ? all.npos : comma - start));
            // The editor never writes a comma after the last byte, but a hand edit may.
            if (!(last && token.empty())) {
                const auto byte = token.size() <= 2 ? HexNumber(token) : std::nullopt;
                if (!byte)
                    Fail(Quote(token) + " is not a hexadecimal byte");
                bytes += static_cast<char>(*byte);
            }
            if (last)
                break;
            start = comma + 1;
        }
        return bytes;
    }

    std::string DecodeBytes(std::uint32_t type, std::string bytes) const {
        if (!IsTextType(type))
            return bytes;
        if (FDocument.Version == TRegFileVersion::Version5) {
            if (bytes.size() % 2 != 0)
                Fail("the text data has an odd number of bytes");
            bytes = Utf16LeToUtf8(bytes);
        } else {
            bytes = Latin1ToUtf8(bytes);
        }
        if (!bytes.empty() && bytes.back() == '\0')
            bytes.pop_back();
        return bytes;
    }

    std::vector<std::string_view> FLines;
    TRegDocument& FDocument;
    bool FEndsWithBreak;
    std::size_t FIndex = 0;
    std::string FKey; // path of the key the value lines belong to
    std::vector<std::string> FComments;
};

// The bytes a text type's hex(n): data spells, its closing zero included.
std::string TextBytes(std::string_view text, TRegFileVersion version) {
    if (version == TRegFileVersion::Version5)
        return Utf8ToUtf16Le(text) + std::string(2, '\0');
    return Utf8ToLatin1(text) + '\0';
}

// Whether a text's hex(n): form reads back as the text: a "REGEDIT4" file's holds single bytes.
bool HexFormKeeps(std::string_view text, TRegFileVersion version) {
    const std::string bytes = TextBytes(text, version);
    std::string back =
        version == TRegFileVersion::Version5 ? Utf16LeToUtf8(bytes) : Latin1ToUtf8(bytes);
    back.pop_back(); // the closing zero
    return back == text;
}

// Whether a value is written in the hex(n): form rather than as a quoted text or a dword:.
bool InHexForm(const TRegValue& value, TRegFileVersion version) {
    const std::string& data = value.Data;
    if (value.Type == kRegDword && data.size() == 4)
        return false;
    if (value.Type != kRegSz)
        return true;
    // A line cannot hold a line break; a zero byte it can, but the hexadecimal form shows it
    // plainly, wherever that form keeps every character of the text.
    const bool lineBreak = data.find_first_of("\r\n") != data.npos;
    const bool zero = data.find('\0') != data.npos;
    return lineBreak || (zero && HexFormKeeps(data, version));
}

bool FitsSingleBytes(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80)
            ++i;
        else if (NextUtf8Char(text, i) > 0xFF)
            return false;
    }
    return true;
}

bool AllFitSingleBytes(const std::vector<std::string>& lines) {
    return std::all_of(lines.begin(), lines.end(), FitsSingleBytes);
}

std::string FormatValue(const TRegFileValue& value, TRegFileVersion version) {
    std::string line = value.Name.empty() ? "@=" : Quote(value.Name) + "=";
    const std::string& data = value.Value.Data;
    const std::uint32_t type = value.Value.Type;
    if (type == kRegSz && !InHexForm(value.Value, version))
        return line + Quote(data);
    if (type == kRegDword && data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x",
                      static_cast<std::uint32_t>(IntegerOf(value.Value)));
        return line + number;
    }

    char prefix[24];
    if (type == kRegBinary)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
    line += prefix;
    const std::string bytes = IsTextType(type) ? TextBytes(data, version) : data;
    std::string out;
    std::size_t width = Utf8CharCount(line);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char piece[4];
        std::snprintf(piece, sizeof piece, i + 1 < bytes.size() ? "%02x," : "%02x",
                      static_cast<unsigned char>(bytes[i]));
        if (width + 3 + 1 > kMaxLine) {
            out += line + "\\\r\n";
            line = "  ";
            width = line.size();
        }
        line += piece;
        width += 3;
    }
    return out + line;
}

} // namespace

TRegFileValue* TRegFileKey::FindValue(std::string_view name) {
    for (TRegFileValue& value : Values)
        if (SameRegName(value.Name, name))
            return &value;
    return nullptr;
}

const TRegFileValue* TRegFileKey::FindValue(std::string_view name) const {
    return const_cast<TRegFileKey*>(this)->FindValue(name);
}

void TRegFileKey::SetValue(std::string_view name, const TRegValue& value) {
    if (TRegFileValue* existing = FindValue(name))
        existing->Value = value;
    else
        Values.push_back(TRegFileValue{{}, std::string(name), value});
}

TRegFileKey* TRegDocument::FindKey(std::string_view path) {
    for (TRegFileKey& key : Keys)
        if (SameRegName(key.Path, path))
            return &key;
    return nullptr;
}

const TRegFileKey* TRegDocument::FindKey(std::string_view path) const {
    return const_cast<TRegDocument*>(this)->FindKey(path);
}

namespace {

bool IsAtOrBelow(std::string_view keyPath, std::string_view path) {
    return SameRegName(keyPath.substr(0, path.size()), path) &&
           (keyPath.size() == path.size() || keyPath[path.size()] == '\\');
}

} // namespace

bool TRegDocument::KeyExists(std::string_view path) const {
    return std::any_of(Keys.begin(), Keys.end(),
                       [&](const TRegFileKey& key) { return IsAtOrBelow(key.Path, path); });
}

TRegFileKey& TRegDocument::AddKey(std::string_view path) {
    if (TRegFileKey* existing = FindKey(path))
        return *existing;
    Keys.push_back(TRegFileKey{{}, std::string(path), {}});
    return Keys.back();
}

void TRegDocument::CopyKeyTree(std::string_view from, std::string_view to) {
    std::vector<TRegFileKey> copies;
    for (const TRegFileKey& key : Keys)
        if (IsAtOrBelow(key.Path, from)) {
            copies.push_back(key);
            copies.back().Path = std::string(to) + key.Path.substr(from.size());
        }
    for (const TRegFileKey& copy : copies) {
        TRegFileKey& key = AddKey(copy.Path);
        for (const TRegFileValue& value : copy.Values)
            key.SetValue(value.Name, value.Value);
    }
}

void TRegDocument::RemoveKeyTree(std::string_view path) {
    std::erase_if(Keys, [&](const TRegFileKey& key) { return IsAtOrBelow(key.Path, path); });
}

bool ParseRegFile(std::string_view bytes, TRegDocument& document, TRegParseError& error) {
    TRegDocument parsed;
    try {
        const std::string text = DecodeFile(bytes, parsed.Encoding);
        TParser(text, parsed).Run();
    } catch (const TParseFailure& failure) {
        error = TRegParseError{std::max(failure.Line, 1), failure.Message};
        return false;
    }
    document = std::move(parsed);
    return true;
}

std::string FormatRegFile(const TRegDocument& document) {
    std::string out(document.Version == TRegFileVersion::Version5 ? kHeader5 : kHeader4);
    out += "\r\n\r\n";
    for (const TRegFileKey& key : document.Keys) {
        for (const std::string& comment : key.Comments)
            out += comment + "\r\n";
        out += "[" + key.Path + "]\r\n";
        for (const TRegFileValue& value : key.Values) {
            for (const std::string& comment : value.Comments)
                out += comment + "\r\n";
            out += FormatValue(value, document.Version) + "\r\n";
        }
        out += "\r\n";
    }
    for (const std::string& comment : document.TrailingComments)
        out += comment + "\r\n";
    return EncodeFile(out, document.Encoding);
}

bool FormatKeepsAllText(const TRegDocument& document) {
    const bool singleByteFile = document.Encoding == TRegFileEncoding::SingleByte;
    const bool singleByteHex = document.Version == TRegFileVersion::Regedit4;
    if (singleByteFile && !AllFitSingleBytes(document.TrailingComments))
        return false;
    for (const TRegFileKey& key : document.Keys) {
        if (singleByteFile && !(FitsSingleBytes(key.Path) && AllFitSingleBytes(key.Comments)))
            return false;
        for (const TRegFileValue& value : key.Values) {
            if (singleByteFile &&
                !(FitsSingleBytes(value.Name) && AllFitSingleBytes(value.Comments)))
                return false;
            const bool singleBytes =
                singleByteFile || (singleByteHex && InHexForm(value.Value, document.Version));
            if (IsTextType(value.Value.Type) && singleBytes && !FitsSingleBytes(value.Value.Data))
                return false;
        }
    }
    return true;
}
