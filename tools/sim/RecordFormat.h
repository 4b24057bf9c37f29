#pragma once

// The recorder's text: one datagram a line, the seconds since the recording began with three
// decimals, a blank, and the datagram in double quotes:
//
//     12.345 "MODE,GAMEACTIVE,300,Deathmatch"
//
// Inside the quotes \" is a double quote, \\ a backslash and \xHH (exactly two hexadecimal
// digits) any byte; the writer uses \xHH for every byte outside printable ASCII, so a line
// stays one line of plain text whatever the datagram holds. Blank lines and lines starting with
// # are comments. A person may edit the file: the reader also takes a time without decimals,
// blanks or tabs around the parts, a CR before the line break, and bytes beyond ASCII typed
// into the quotes as they are.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The most an IPv4 UDP datagram carries.
constexpr std::size_t kMaxUdpPayload = 65507;

inline constexpr std::string_view kRecordFormatNote =
    "# <seconds since the start> \"<datagram>\", with \\\" for a double quote, \\\\ for a\n"
    "# backslash and \\xHH for any other byte outside printable ASCII";

struct TRecordedDatagram {
    std::int64_t AtMs; // since the recording began
    std::string Bytes;

    bool operator==(const TRecordedDatagram&) const = default;
};

// One line of the recording, without its line break; `atMs` is not negative.
std::string RecordLine(std::int64_t atMs, std::string_view datagram);

struct TRecording {
    std::vector<TRecordedDatagram> Datagrams;
    int BadLine = 0;     // the first malformed line, counting from 1; 0 when none is
    std::string Problem; // what is wrong with it
};

// Reads a whole recording, stopping at the first malformed line. Times may not go backwards.
TRecording ParseRecording(std::string_view text);
