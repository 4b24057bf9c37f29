#include "app/KeptState.h"

#include "app/Protocol.h"

#include <charconv>

namespace {

constexpr std::string_view kHeading = "Tallivue display state 1";
constexpr std::string_view kHexDigits = "0123456789abcdef";

std::string Hex(std::string_view bytes) {
    std::string out = "x";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view word) {
    if (word.empty() || word[0] != 'x' || word.size() % 2 != 1)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < word.size(); i += 2) {
        const auto high = kHexDigits.find(word[i]), low = kHexDigits.find(word[i + 1]);
        if (high == std::string_view::npos || low == std::string_view::npos)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::optional<std::int64_t> Number(std::string_view word) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const auto end = line.find(' ');
        words.push_back(line.substr(0, end));
        line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
    }
    return words;
}

bool ReadPacks(std::string_view digits, TPackTable& packs) {
    if (digits.size() != kTeamCount * kMaxPacksPerTeam)
        return false;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int state = digits[i] - '0';
        if (!IsValidPackState(state))
            return false;
        packs.Set(static_cast<int>(i) / kMaxPacksPerTeam + 1,
                  static_cast<int>(i) % kMaxPacksPerTeam + 1, state);
    }
    return true;
}

} // namespace

std::string FormatKeptState(const TKeptState& state) {
    std::string text(kHeading);
    text.append("\nsaved ").append(std::to_string(state.SavedAtMs)).append("\n");
    if (!state.ModeFields.empty()) {
        text.append("mode ").append(std::to_string(state.ModeHeardAtMs));
        for (const std::string& field : state.ModeFields)
            text.append(" ").append(Hex(field));
        text.append("\n");
    }
    text.append("packs ").append(std::to_string(state.PacksPerTeam)).append(" ");
    for (int team = 1; team <= kTeamCount; ++team)
        for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
            text += static_cast<char>('0' + state.Packs.Get(team, pack));
    text.append("\n");
    return text;
}

std::optional<TKeptState> ParseKeptState(std::string_view text, std::string& why) {
    TKeptState state;
    bool saved = false, mode = false, packs = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) {
            why = "it ends in the middle of a line";
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::vector<std::string_view> words = Words(line);
        const std::string place = "line " + std::to_string(++lineNumber);
        if (lineNumber == 1) {
            if (line != kHeading) {
                why = "it is not a state this display wrote";
                return std::nullopt;
            }
            continue;
        }
        bool good = false;
        if (words.size() == 2 && words[0] == "saved" && !saved) {
            const auto at = Number(words[1]);
            good = saved = at.has_value();
            state.SavedAtMs = at.value_or(0);
        } else if (words.size() >= 3 && words[0] == "mode" && !mode) {
            const auto at = Number(words[1]);
            good = mode = at.has_value() && words.size() - 2 <= kMaxDatagramBytes;
            state.ModeHeardAtMs = at.value_or(0);
            for (std::size_t i = 2; good && i < words.size(); ++i) {
                auto field = FromHex(words[i]);
                good = field.has_value();
                state.ModeFields.push_back(field.value_or(std::string()));
            }
        } else if (words.size() == 3 && words[0] == "packs" && !packs) {
            const auto shown = Number(words[1]);
            good = packs = shown && *shown >= 0 && *shown <= kMaxPacksPerTeam &&
                           ReadPacks(words[2], state.Packs);
            state.PacksPerTeam = static_cast<int>(shown.value_or(0));
        }
        if (!good) {
            why = place + " is damaged";
            return std::nullopt;
        }
    }
    if (!saved || !packs) {
        why = lineNumber == 0 ? "it is empty" : "it is cut short";
        return std::nullopt;
    }
    return state;
}

std::vector<std::string> ModeFieldsAfter(const std::vector<std::string>& fields,
                                         std::int64_t elapsedMs) {
    std::vector<std::string> after = fields;
    if (after.size() > 2 && after[1] == "GAMEACTIVE" && elapsedMs > 0)
        after[2] = std::to_string(std::int64_t{NumberField(after[2])} - elapsedMs / 1000);
    return after;
}
