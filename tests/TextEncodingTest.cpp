#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Any Latin-1 text goes to UTF-8 and back unchanged, and any UTF-8 text, well formed or not,
// comes back from UTF-16 as the lenient reading gives it.
TEST(TextEncoding, RandomTextsRoundTrip) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 2000; ++round) {
        std::string text(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : text)
            c = static_cast<char>(byte(random));
        const std::string utf8 = Latin1ToUtf8(text);
        ASSERT_EQ(Utf8ToLatin1(utf8), text);
        ASSERT_EQ(Utf8CharCount(utf8), text.size());
        // The same bytes read as UTF-8: stray bytes stand for themselves.
        const std::string lenient = WellFormedUtf8(text);
        ASSERT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), lenient);
        ASSERT_EQ(WellFormedUtf8(lenient), lenient);
    }
}

TEST(TextEncoding, BeyondLatin1AndSurrogatePairs) {
    const std::string clef = "\xF0\x9D\x84\x9E"; // U+1D11E, a pair in UTF-16
    EXPECT_EQ(Utf8ToUtf16Le(clef), std::string("\x34\xD8\x1E\xDD", 4));
    EXPECT_EQ(Utf8ToLatin1("caf\xC3\xA9 \xE2\x82\xAC" + clef), "caf\xE9 ??");
    EXPECT_EQ(Utf8CharCount("\xC3\xA9" + clef), 2u);
}

} // namespace
