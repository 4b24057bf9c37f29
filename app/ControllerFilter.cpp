#include "app/ControllerFilter.h"

#include "app/Protocol.h"

#include <algorithm>

namespace {

bool IsSeparator(char c) {
    // The same blanks the datagram splitter skips, and the comma.
    return c == ',' || IsBlankCharacter(c);
}

} // namespace

bool ParseIPv4Address(std::string_view text, std::uint32_t& address) {
    std::uint32_t result = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return false;
            ++at;
        }
        const std::size_t start = at;
        std::uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3)
            value = value * 10 + static_cast<std::uint32_t>(text[at++] - '0');
        const std::size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0'))
            return false;
        result = result << 8 | value;
    }
    if (at != text.size())
        return false;
    address = result;
    return true;
}

std::string FormatIPv4Address(std::uint32_t address) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24)
            text += '.';
        text += std::to_string(address >> shift & 0xFF);
    }
    return text;
}

std::vector<std::string> TControllerFilter::Set(std::string_view text) {
    std::vector<std::string> rejected;
    FAddresses.clear();
    FActive = false;
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsSeparator(text[at])) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < text.size() && !IsSeparator(text[at]))
            ++at;
        const std::string_view entry = text.substr(start, at - start);
        FActive = true;
        std::uint32_t address = 0;
        if (ParseIPv4Address(entry, address))
            FAddresses.push_back(address);
        else
            rejected.emplace_back(entry);
    }
    return rejected;
}

bool TControllerFilter::Allows(std::uint32_t address) const {
    return !FActive || std::find(FAddresses.begin(), FAddresses.end(), address) != FAddresses.end();
}
