#include "tools/sim/RecordFormat.h"

#include "core/Numbers.h"

#include <utility>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// Up to about 30 years, so that milliseconds fit with room to spare.
constexpr int kMaxSecondDigits = 9;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string SecondsText(std::int64_t ms) {
    const auto millis = static_cast<int>(ms % 1000);
    return std::to_string(ms / 1000) + '.' + static_cast<char>('0' + millis / 100) +
           static_cast<char>('0' + millis / 10 % 10) + static_cast<char>('0' + millis % 10);
}

class TLineReader {
public:
    explicit TLineReader(std::string_view line) : FLine(line) {}

    // Empty when the line holds a datagram, else what is wrong with it.
    std::string Read(TRecordedDatagram& datagram) {
        SkipBlanks();
        if (!ReadTime(datagram.AtMs))
            return FProblem;
        const std::size_t afterTime = FAt;
        SkipBlanks();
        if (FAt == afterTime || !Take('"'))
            return "expected a blank and a datagram in double quotes after the time";
        if (!ReadQuoted(datagram.Bytes))
            return FProblem;
        SkipBlanks();
        if (FAt < FLine.size())
            return "unexpected text after the datagram's closing quote";
        return {};
    }

private:
    bool ReadTime(std::int64_t& ms) {
        std::int64_t seconds = 0;
        int digits = 0;
        for (; FAt < FLine.size() && IsDigit(FLine[FAt]); ++FAt, ++digits)
            seconds = seconds * 10 + (FLine[FAt] - '0');
        if (digits == 0)
            return Fail("expected the time in seconds, like 12.345, at the start of the line");
        if (digits > kMaxSecondDigits)
            return Fail("the time is too large");
        std::int64_t millis = 0;
        if (Take('.')) {
            int decimals = 0;
            for (; FAt < FLine.size() && IsDigit(FLine[FAt]); ++FAt, ++decimals)
                if (decimals < 3)
                    millis = millis * 10 + (FLine[FAt] - '0');
            if (decimals == 0 || decimals > 3)
                return Fail("the time takes one to three decimals after its point, like 12.345");
            for (; decimals < 3; ++decimals)
                millis *= 10;
        }
        ms = seconds * 1000 + millis;
        return true;
    }

    bool ReadQuoted(std::string& bytes) {
        while (FAt < FLine.size()) {
            const char c = FLine[FAt++];
            if (c == '"')
                return bytes.size() <= kMaxUdpPayload ||
                       Fail("the datagram has " + std::to_string(bytes.size()) +
                            " bytes, more than UDP carries (" + std::to_string(kMaxUdpPayload) +
                            ")");
            if (c != '\\') {
                bytes += c;
                continue;
            }
            if (Take('"') || Take('\\')) {
                bytes += FLine[FAt - 1];
                continue;
            }
            if (!Take('x'))
                return Fail("unknown escape; inside the quotes write \\\", \\\\ or \\xHH");
            const int high = FAt < FLine.size() ? DigitValue(FLine[FAt], 16) : -1;
            const int low = FAt + 1 < FLine.size() ? DigitValue(FLine[FAt + 1], 16) : -1;
            if (high < 0 || low < 0)
                return Fail("\\x takes exactly two hexadecimal digits, like \\x0A");
            FAt += 2;
            bytes += static_cast<char>(high * 16 + low);
        }
        return Fail("the datagram has no closing double quote");
    }

    void SkipBlanks() {
        while (FAt < FLine.size() && IsBlank(FLine[FAt]))
            ++FAt;
    }

    bool Take(char c) {
        if (FAt < FLine.size() && FLine[FAt] == c) {
            ++FAt;
            return true;
        }
        return false;
    }

    bool Fail(std::string problem) {
        FProblem = std::move(problem);
        return false;
    }

    std::string_view FLine;
    std::size_t FAt = 0;
    std::string FProblem;
};

} // namespace

std::string RecordLine(std::int64_t atMs, std::string_view datagram) {
    std::string line = SecondsText(atMs) + " \"";
    for (const char c : datagram) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            line += c;
        } else {
            line += "\\x";
            line += kHexDigits[byte >> 4];
            line += kHexDigits[byte & 0xF];
        }
    }
    line += '"';
    return line;
}

TRecording ParseRecording(std::string_view text) {
    TRecording recording;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        TRecordedDatagram datagram;
        std::string problem = TLineReader(line).Read(datagram);
        if (problem.empty() && !recording.Datagrams.empty() &&
            datagram.AtMs < recording.Datagrams.back().AtMs)
            problem = "the time " + SecondsText(datagram.AtMs) + " is before the time " +
                      SecondsText(recording.Datagrams.back().AtMs) + " of the datagram before";
        if (!problem.empty()) {
            recording.BadLine = number;
            recording.Problem = std::move(problem);
            return recording;
        }
        recording.Datagrams.push_back(std::move(datagram));
    }
    return recording;
}
