#pragma once

// Which senders the display believes. Anyone on the arena network can reach port 12001; an
// arena that wants only its controller heard names the controller's address (or several), and
// datagrams from anywhere else are read and dropped. Nothing named means everyone is heard.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TControllerFilter {
public:
    // Takes the setting's text: IPv4 addresses in dotted decimal, separated by blanks or commas.
    // Names are not resolved. Returns the entries that are not addresses; they are left out,
    // so a text of nothing but such entries lets no sender through.
    std::vector<std::string> Set(std::string_view text);

    // Whether any text was given: only then are senders looked at.
    bool Active() const { return FActive; }
    // The address in host byte order.
    bool Allows(std::uint32_t address) const;

    const std::vector<std::uint32_t>& Addresses() const { return FAddresses; }

private:
    bool FActive = false;
    std::vector<std::uint32_t> FAddresses;
};

// Four decimal numbers from 0 to 255 separated by dots, without signs or leading zeros (which
// some tools read as octal); host byte order. False for anything else.
bool ParseIPv4Address(std::string_view text, std::uint32_t& address);

// Dotted decimal of an address in host byte order.
std::string FormatIPv4Address(std::uint32_t address);
