#include "tools/sim/RecordFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Whatever the datagrams hold, the lines are plain text and read back the same, comments,
// blank lines and either line ending among them.
TEST(RecordFormat, AnyBytesRoundTripThroughPrintableLines) {
    std::mt19937 random(999);
    std::uniform_int_distribution<int> byte(0, 255), count(0, 6), step(0, 5000), odds(0, 3);
    std::uniform_int_distribution<std::size_t> length(0, 120);
    for (int round = 0; round < 1500; ++round) {
        std::vector<TRecordedDatagram> datagrams(static_cast<std::size_t>(count(random)));
        std::string text = "# recorded\n" + std::string(kRecordFormatNote) + "\n";
        std::int64_t at = step(random) * 1000;
        for (auto& datagram : datagrams) {
            at += step(random);
            datagram.AtMs = at;
            datagram.Bytes.resize(round == 0 ? 999 : length(random));
            for (char& c : datagram.Bytes)
                c = static_cast<char>(byte(random));
            const std::string line = RecordLine(datagram.AtMs, datagram.Bytes);
            for (const char c : line)
                ASSERT_TRUE(c >= 0x20 && c < 0x7F) << line;
            text += line + (odds(random) ? "\n" : "\r\n");
            if (odds(random) == 0)
                text += "\n   \n# between\n";
        }
        if (!text.empty() && odds(random) == 0)
            text.pop_back(); // no line break after the last line
        const TRecording recording = ParseRecording(text);
        ASSERT_EQ(recording.BadLine, 0) << recording.Problem << "\n" << text;
        ASSERT_EQ(recording.Datagrams, datagrams) << text;
    }
}

TEST(RecordFormat, HandEditedLinesAreRead) {
    const TRecording recording =
        ParseRecording("  7 \"MODE,IDLE\"  \n7.5\t\"caf\xe9 \\x0a\\x0A\\\\\\\"\"\t\n12.05 \"\"");
    ASSERT_EQ(recording.BadLine, 0) << recording.Problem;
    EXPECT_EQ(recording.Datagrams,
              (std::vector<TRecordedDatagram>{
                  {7000, "MODE,IDLE"}, {7500, "caf\xe9 \n\n\\\""}, {12050, ""}}));
}

TEST(RecordFormat, TheFirstMalformedLineIsNamedByItsNumber) {
    const std::string tooLong(kMaxUdpPayload + 1, 'x');
    for (const std::string& bad : std::vector<std::string>{
             "x \"a\"", "-1 \"a\"", ".5 \"a\"", "1. \"a\"", "1.2345 \"a\"", "1234567890 \"a\"",
             "1.5\"a\"", "1.5 a", "1.5", "1.5 \"a", "1.5 \"a\" b", "1.5 \"a\" #", "1.5 \"\\q\"",
             "1.5 \"\\x4\"", "1.5 \"\\xG0\"", "1.5 \"a\\\"", "0.499 \"earlier\"",
             "1.5 \"" + tooLong + "\""}) {
        const TRecording recording =
            ParseRecording("# made by hand\n0.500 \"first\"\n\n" + bad + "\n9 \"bad too\"x\n");
        EXPECT_EQ(recording.BadLine, 4) << bad.substr(0, 40);
        EXPECT_FALSE(recording.Problem.empty()) << bad.substr(0, 40);
    }
    // At the limit, and at an equal time, the line is fine.
    EXPECT_EQ(ParseRecording("1 \"a\"\n1 \"" + std::string(kMaxUdpPayload, 'x') + "\"").BadLine, 0);
}

} // namespace
