#include "controls/MarqueeText.h"
#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>

namespace {

// A measure that no sum of character widths reproduces: "AV" is kerned by 2 pixels.
int Width(char c) {
    switch (c) {
    case 'W':
        return 12;
    case 'i':
        return 4;
    case '.':
        return 3;
    default:
        return 10;
    }
}
int Measure(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        width += Width(text[i]);
        if (i > 0 && text[i - 1] == 'A' && text[i] == 'V')
            width -= 2;
    }
    return width;
}
const TMeasureWidth kMeasure = Measure;

TEST(FilterControlCodes, ReplacesOrDropsEveryCodeBelowBlank) {
    EXPECT_EQ(FilterControlCodes("A\r\nB", ' '), "A  B");
    EXPECT_EQ(FilterControlCodes("A\r\nB", '\0'), "AB");
    EXPECT_EQ(FilterControlCodes(std::string("\0\t\x1F x", 5), '_'), "___ x");
    EXPECT_EQ(FilterControlCodes("\x7F\x80\xFF", '\0'), "\x7F\x80\xFF");
    EXPECT_EQ(FilterControlCodes("", ' '), "");
}

// The band's invariants after a step: it reaches the right edge, its first character is not
// wholly left of the client area, and it holds the text repeated from some character on.
void ExpectBand(const TMarqueeStyles& styles, std::string_view text, int clientWidth) {
    const std::string& window = styles.Window(ssScroll);
    ASSERT_FALSE(window.empty());
    EXPECT_GE(Measure(window) + styles.ScrollPos(), clientWidth);
    EXPECT_GE(Width(window.front()) + styles.ScrollPos(), 0);
    std::string repeated;
    while (repeated.size() < window.size() + 2 * text.size())
        repeated += text;
    EXPECT_NE(repeated.find(window), std::string::npos) << window;
}

TEST(ScrollStyle, EntersFromTheRightAndRepeatsAShortText) {
    TMarqueeStyles styles;
    auto strip = styles.ScrollStep(true, "abc", 5, 100, kMeasure);
    EXPECT_EQ(strip.X, 95);
    EXPECT_EQ(strip.Text, "a");
    while (styles.ScrollPos() > 0)
        styles.ScrollStep(false, "abc", 5, 100, kMeasure);
    // At 0 the band fills the whole width with repetitions.
    EXPECT_EQ(styles.Window(ssScroll), "abcabcabca");
    for (int step = 0; step < 200; ++step) {
        styles.ScrollStep(false, "abc", 5, 100, kMeasure);
        ExpectBand(styles, "abc", 100);
    }
}

TEST(ScrollStyle, FirstCharacterLeavesOnlyWhenWhollyOutside) {
    for (const auto& [text, position] : {std::pair{"Wxyz", -5}, std::pair{"ixyz", -1}}) {
        TMarqueeStyles styles;
        styles.ScrollStep(true, text, 5, 10, kMeasure);  // 5
        styles.ScrollStep(false, text, 5, 10, kMeasure); // 0
        ASSERT_EQ(styles.ScrollPos(), 0);
        const TStripText strip = styles.ScrollStep(false, text, 5, 10, kMeasure);
        EXPECT_EQ(strip.X, position) << text;
        EXPECT_EQ(strip.Text.front(), position == -5 ? 'W' : 'x') << text;
    }
}

TEST(ScrollStyle, KeepsItsBandWhateverTheTextAmountAndWidth) {
    std::mt19937 random(6);
    const std::string alphabet = "AVWi. xyz";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int n = 1 + random() % 12; n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        const int width = 1 + random() % 300;
        // A step longer than the client is wide may leave the band wholly left of it for a step.
        const int amount = 1 + random() % std::min(100, width);
        TMarqueeStyles styles;
        styles.ScrollStep(true, text, amount, width, kMeasure);
        for (int step = 0; step < 60; ++step) {
            styles.ScrollStep(false, text, amount, width, kMeasure);
            ExpectBand(styles, text, width);
        }
    }
}

TEST(ScrollStyle, OddTextsEndTheirSteps) {
    TMarqueeStyles styles;
    // Nothing to move, but the reset still happens.
    styles.ScrollStep(true, "abc", 5, 100, kMeasure);
    const TStripText empty = styles.ScrollStep(true, "", 5, 80, kMeasure);
    EXPECT_FALSE(empty.Shown);
    EXPECT_EQ(styles.ScrollPos(), 80);
    EXPECT_EQ(styles.Window(ssScroll), "");

    // Characters that measure nothing never fill the band: one round of them, then the step ends.
    const TMeasureWidth nothing = [](std::string_view) {
        return 0;
    };
    styles.ScrollStep(true, "abc", 5, 100, nothing);
    EXPECT_EQ(styles.Window(ssScroll).size(), 3u);
    styles.ScrollStep(false, "abc", 5, 100, nothing);
    EXPECT_LE(styles.Window(ssScroll).size(), 6u);

    // A text shortened under the run takes its next character from its start again.
    const std::string longText = "abcdefghjklmnopqrstu";
    styles.ScrollStep(true, longText, 10, 100, kMeasure);
    while (styles.ScrollNext() <= 3)
        styles.ScrollStep(false, longText, 10, 100, kMeasure);
    const TStripText after = styles.ScrollStep(false, "xy", 100, 100, kMeasure);
    EXPECT_NE(after.Text.find("xyx"), std::string_view::npos) << after.Text;
}

TEST(BlinkStyle, CentresTheLongestFittingStartAndAlternates) {
    TMarqueeStyles styles;
    TStripText strip = styles.BlinkStep(true, "Hello", 75, kMeasure);
    EXPECT_TRUE(strip.Shown);
    EXPECT_EQ(strip.Text, "Hello");
    EXPECT_EQ(strip.X, 12); // (75 - 50) / 2
    EXPECT_FALSE(styles.BlinkStep(false, "Hello", 75, kMeasure).Shown);
    EXPECT_TRUE(styles.BlinkStep(false, "Hello", 75, kMeasure).Shown);

    strip = styles.BlinkStep(true, "Hello world", 47, kMeasure);
    EXPECT_EQ(strip.Text, "Hell");
    EXPECT_EQ(strip.X, 3);
    // Fitted only at a reset: a wider client later keeps the cut text, centred anew.
    strip = styles.BlinkStep(false, "Hello world", 200, kMeasure);
    EXPECT_EQ(strip.Text, "Hell");
    EXPECT_EQ(strip.X, 80);
    // Kerning counts: "AVAV" is 36 wide, not 40.
    EXPECT_EQ(styles.BlinkStep(true, "AVAVA", 36, kMeasure).Text, "AVAV");

    strip = styles.BlinkStep(true, "Hello", 0, kMeasure);
    EXPECT_EQ(strip.Text, "");
    EXPECT_EQ(styles.Window(ssBlink), "");
}

TEST(BounceStyle, AFittingTextTurnsAtBothEdges) {
    TMarqueeStyles styles;
    std::vector<int> positions;
    for (int step = 0; step < 10; ++step)
        positions.push_back(styles.BounceStep(step == 0, "ab", 15, 50, kMeasure).X);
    // Turns on reaching x <= 0 and on its right end reaching the right edge.
    EXPECT_EQ(positions, (std::vector<int>{35, 20, 5, -10, 5, 20, 35, 20, 5, -10}));
    EXPECT_EQ(styles.Window(ssBounce), "ab");
}

TEST(BounceStyle, ALongTextTravelsToItsEndAndBackWithoutWrapping) {
    const std::string text = "abcdefghjklmnopqrstu"; // 200 pixels
    for (const int width : {50, 200}) {              // exactly as wide does not fit
        TMarqueeStyles styles;
        styles.BounceStep(true, text, 7, width, kMeasure);
        int turnsLeft = 0, turnsRight = 0;
        for (int step = 0; step < 400; ++step) {
            const int direction = styles.BounceDir();
            const TStripText strip = styles.BounceStep(false, text, 7, width, kMeasure);
            const std::string window(strip.Text);
            ASSERT_NE(text.find(window), std::string::npos) << window;
            ASSERT_FALSE(window.empty());
            if (direction == 1 && styles.BounceDir() == -1) {
                ++turnsLeft; // the end of the text came inside the right edge
                EXPECT_TRUE(window.ends_with('u'));
                EXPECT_LE(Measure(window) + strip.X, width);
                EXPECT_EQ(styles.BounceIndex(), text.size() - window.size());
            } else if (direction == -1 && styles.BounceDir() == 1) {
                ++turnsRight; // the start came inside the left edge
                EXPECT_TRUE(window.starts_with('a'));
                EXPECT_GT(strip.X, 0);
                EXPECT_EQ(styles.BounceIndex(), window.size() + 1);
            } else if (direction == -1) {
                EXPECT_LE(Measure(window) + strip.X - Width(window.back()), width);
            }
        }
        EXPECT_GE(turnsLeft, 2) << width;
        EXPECT_GE(turnsRight, 2) << width;
    }
}

// The bounce as a point moving along a line: where the text's first character stands and which
// way it goes, turning at the edges the way the style describes for the width of that step.
struct TBounceCourse {
    int X;
    int Dir = 1;
    void Step(int textWidth, int clientWidth, int amount) {
        const bool fits = textWidth < clientWidth;
        if (Dir == 1) {
            X -= amount;
            if (fits ? X <= 0 : X + textWidth < clientWidth)
                Dir = -1;
        } else {
            X += amount;
            if (fits ? X + textWidth >= clientWidth : X > 0)
                Dir = 1;
        }
    }
};

// Width changes at any moment, with fonts that add up and a kerning one that does not: the state
// always names a part of the text, and with adding fonts the text follows the course a fixed
// width gives, carrying on through every change (the sanitizer build checks every index).
TEST(BounceStyle, ChangesOfWidthKeepItsStateAndItsCourse) {
    TMarqueeStyles styles;
    // Just too wide, turned at the left with the whole text in view, then wider and narrower.
    const std::string book = "Book now"; // 80 pixels
    styles.BounceStep(true, book, 1, 79, kMeasure);
    while (styles.BounceDir() == 1)
        styles.BounceStep(false, book, 1, 79, kMeasure);
    for (int step = 0; step < 300; ++step)
        styles.BounceStep(false, book, 1, step < 100 ? 128 : 79, kMeasure);

    std::mt19937 random(12001);
    for (int round = 0; round < 400; ++round) {
        const bool kerned = round % 4 == 0;
        std::array<int, 6> widths{};
        for (int& width : widths)
            width = static_cast<int>(random() % 16);
        const TMeasureWidth adding = [&widths](std::string_view text) {
            int width = 0;
            for (const char c : text)
                width += widths[static_cast<std::size_t>(c - 'a')];
            return width;
        };
        const TMeasureWidth& measure = kerned ? kMeasure : adding;
        std::string text;
        for (int n = 1 + random() % 30; n > 0; --n)
            text += kerned ? "AVWi. x"[random() % 7] : static_cast<char>('a' + random() % 6);
        const int amount = 1 + static_cast<int>(random() % 20);
        int clientWidth = 1 + static_cast<int>(random() % 400);
        TBounceCourse course{clientWidth};

        styles.BounceStep(true, text, amount, clientWidth, measure);
        course.Step(measure(text), clientWidth, amount);
        for (int step = 0; step < 500; ++step) {
            if (random() % 25 == 0)
                clientWidth = 1 + static_cast<int>(random() % 400);
            const TStripText strip = styles.BounceStep(false, text, amount, clientWidth, measure);
            course.Step(measure(text), clientWidth, amount);

            const std::string& window = styles.Window(ssBounce);
            const std::size_t first = styles.BounceDir() == 1
                                          ? styles.BounceIndex() - 1 - window.size()
                                          : styles.BounceIndex();
            ASSERT_LE(first + window.size(), text.size()) << round << " " << step;
            ASSERT_EQ(text.substr(first, window.size()), window) << round << " " << step;
            ASSERT_EQ(strip.X, styles.BouncePos());
            if (kerned)
                continue;
            ASSERT_EQ(styles.BouncePos() - measure(text.substr(0, first)), course.X)
                << round << " " << step;
            ASSERT_EQ(styles.BounceDir(), course.Dir) << round << " " << step;
        }
    }
}

TEST(BounceStyle, AShortenedTextStartsOverAndAnEmptyOneResetsOnly) {
    TMarqueeStyles styles;
    const std::string text = "abcdefghijklmnopqrst";
    styles.BounceStep(true, text, 7, 50, kMeasure);
    for (int step = 0; step < 30; ++step)
        styles.BounceStep(false, text, 7, 50, kMeasure);
    ASSERT_GT(styles.BounceIndex(), 4u);
    const TStripText strip = styles.BounceStep(false, "abcd", 7, 30, kMeasure);
    EXPECT_EQ(strip.X, 23); // entered afresh from the right edge
    EXPECT_EQ(strip.Text, "a");

    EXPECT_FALSE(styles.BounceStep(true, "", 7, 30, kMeasure).Shown);
    EXPECT_EQ(styles.BouncePos(), 30);
    EXPECT_EQ(styles.Window(ssBounce), "");
}

// Characters of one to four bytes in UTF-8, each measuring its own width; a byte that is not a
// whole character on its own measures as a box would.
int Utf8Measure(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const std::uint32_t code = NextUtf8Char(text, i);
        const bool whole = i - start > 1 || code < 0x80;
        width += !whole ? 7 : code < 0x80 ? Width(static_cast<char>(code)) : 9 + int(i - start);
    }
    return width;
}

// Whether `window` holds whole characters only: the texts below are well formed, so a piece of
// a character at either end shows as a byte that does not fit.
bool WholeCharacters(std::string_view window) {
    return WellFormedUtf8(window) == window;
}

// Greek, a euro, a dash, a face beyond the 16-bit range: every style's window, at every step,
// whatever the width, holds whole characters of the text, and the scroll's band is the text
// repeated.
TEST(MarqueeStyles, WindowsHoldWholeCharacters) {
    const std::string pieces[] = {
        "\xCE\x91", "\xCE\xBD", "\xE2\x82\xAC", "\xE2\x80\x93", "\xF0\x9F\x98\x80", "a", " "};
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        // Every fourth text has no single-byte character at all.
        for (int n = 1 + random() % 12; n > 0; --n)
            text += pieces[random() % (round % 4 == 0 ? 5 : 7)];
        const int width = 1 + static_cast<int>(random() % 120);
        const int amount = 1 + static_cast<int>(random() % std::min(30, width));
        std::string repeated;
        while (repeated.size() < 3 * text.size() + 400)
            repeated += text;
        TMarqueeStyles styles;
        for (int step = 0; step < 120; ++step) {
            const bool reset = step == 0;
            const TStripText scroll = styles.ScrollStep(reset, text, amount, width, Utf8Measure);
            const TStripText bounce = styles.BounceStep(reset, text, amount, width, Utf8Measure);
            const TStripText blink = styles.BlinkStep(reset, text, width, Utf8Measure);
            for (const std::string_view window : {scroll.Text, bounce.Text, blink.Text})
                ASSERT_TRUE(WholeCharacters(window)) << round << " " << step << " " << window;
            ASSERT_NE(repeated.find(scroll.Text), std::string::npos) << round << " " << step;
            ASSERT_GE(Utf8Measure(scroll.Text) + scroll.X, width) << round << " " << step;
            ASSERT_NE(text.find(bounce.Text), std::string::npos) << round << " " << step;
            ASSERT_TRUE(text.starts_with(blink.Text)) << round << " " << step;
        }
    }
}

} // namespace
