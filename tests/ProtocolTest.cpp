#include "app/Protocol.h"
#include "support/ReferenceSplit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(std::string text) {
    std::vector<std::string_view> views;
    SplitFields(text, views);
    return {views.begin(), views.end()};
}

using Fields = std::vector<std::string>;

TEST(SplitFields, BlanksAroundFieldsAreDropped) {
    EXPECT_EQ(Split("MODE,IDLE"), (Fields{"MODE", "IDLE"}));
    EXPECT_EQ(Split("  MODE ,  IDLE  "), (Fields{"MODE", "IDLE"}));
    // Every character from 1 to 32 is a blank, 127 and the upper half are not.
    EXPECT_EQ(Split("\x01MODE\t,\r\nIDLE\x1f"), (Fields{"MODE", "IDLE"}));
    EXPECT_EQ(Split("A\x7f,\xe9"), (Fields{"A\x7f", "\xe9"}));
    // An unquoted value cannot hold a blank: a caption's words arrive as separate fields.
    EXPECT_EQ(Split("MODE,GAMEACTIVE,300,Team Game"),
              (Fields{"MODE", "GAMEACTIVE", "300", "Team", "Game"}));
    EXPECT_EQ(Split("A  ,  ,B"), (Fields{"A", "", "B"}));
}

TEST(SplitFields, QuotedValues) {
    EXPECT_EQ(Split(R"(MODE,"Free, for all")"), (Fields{"MODE", "Free, for all"}));
    EXPECT_EQ(Split(R"("say ""hi""",x)"), (Fields{R"(say "hi")", "x"}));
    EXPECT_EQ(Split(R"("")"), (Fields{""}));
    EXPECT_EQ(Split(R"("""")"), (Fields{R"(")"}));
    // An unclosed quote runs to the end of the text, commas and all.
    EXPECT_EQ(Split(R"(MODE,"open, never closed)"), (Fields{"MODE", "open, never closed"}));
    EXPECT_EQ(Split(R"(MODE,"ends on a doubled "")"), (Fields{"MODE", R"(ends on a doubled ")"}));
    // A quote inside an unquoted value is an ordinary character.
    EXPECT_EQ(Split(R"(ab"c,d)"), (Fields{R"(ab"c)", "d"}));
    // Text right after a closing quote starts the next field.
    EXPECT_EQ(Split(R"("ab"cd,e)"), (Fields{"ab", "cd", "e"}));
    EXPECT_EQ(Split(R"( "a b" , "c" )"), (Fields{"a b", "c"}));
}

TEST(SplitFields, Commas) {
    EXPECT_EQ(Split("A,,B"), (Fields{"A", "", "B"}));
    EXPECT_EQ(Split(",A"), (Fields{"", "A"}));
    EXPECT_EQ(Split("A,"), (Fields{"A"}));
    EXPECT_EQ(Split("A, "), (Fields{"A"}));
    EXPECT_EQ(Split("A,,"), (Fields{"A", ""}));
    EXPECT_EQ(Split(","), (Fields{""}));
    EXPECT_EQ(Split(",,"), (Fields{"", ""}));
}

TEST(SplitFields, EmptyTextAndZeroBytes) {
    EXPECT_TRUE(Split("").empty());
    std::vector<std::string_view> fields{"left over"};
    SplitFields({}, fields); // what a receive that got nothing hands over
    EXPECT_TRUE(fields.empty());
    EXPECT_TRUE(Split("   \t ").empty());
    EXPECT_EQ(Split(std::string("PACKSTATUS,32\0,64,64", 20)), (Fields{"PACKSTATUS", "32"}));
    EXPECT_TRUE(Split(std::string("\0MODE,IDLE", 10)).empty());
    EXPECT_EQ(Split(std::string("\"abc\0def\"", 9)), (Fields{"abc"}));
}

TEST(SplitFields, ReusedListKeepsItsCapacity) {
    std::vector<std::string_view> fields;
    std::string first = "PACKSTATUS,1,2,3,4,5,6";
    SplitFields(first, fields);
    const auto* storage = fields.data();
    std::string second = "MODE,IDLE";
    SplitFields(second, fields);
    EXPECT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields.data(), storage);
}

// Any values at all, quoted with their quotes doubled and joined with commas and blanks, come
// back exactly: the splitter and the controller's quoting agree.
TEST(SplitFields, QuotedValuesRoundTrip) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> count(1, 12);
    std::uniform_int_distribution<int> length(0, 10);
    for (int round = 0; round < 2000; ++round) {
        Fields values(static_cast<std::size_t>(count(random)));
        std::string text;
        for (auto& value : values) {
            for (int i = length(random); i > 0; --i)
                value += static_cast<char>(byte(random));
            if (!text.empty())
                text += round % 2 ? " , " : ",";
            text += '"';
            for (char c : value)
                text += c == '"' ? std::string("\"\"") : std::string(1, c);
            text += '"';
        }
        ASSERT_EQ(Split(text), values) << "text: " << text;
    }
}

// Long values, blank runs and quotes falling across the splitter's 64-character blocks.
TEST(SplitFields, AgreesWithTheRulesOverRandomTexts) {
    std::mt19937 random(64);
    const std::string alphabet = std::string("\0\",,,   \t\x1f\x20\x21x09", 16);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    std::uniform_int_distribution<int> zeroOdds(0, 9);
    for (int round = 0; round < 20000; ++round) {
        std::string text(length(random), 'x');
        for (char& c : text) {
            c = alphabet[pick(random)];
            if (c == '\0' && zeroOdds(random) != 0)
                c = '7';
        }
        ASSERT_EQ(Split(text), ReferenceSplit(text)) << "text: " << text;
    }
    for (std::size_t size : {63u, 64u, 65u, 127u, 128u, 129u, 999u}) {
        const std::string long_value(size, '9');
        EXPECT_EQ(Split(long_value + ",1"), (Fields{long_value, "1"}));
        EXPECT_EQ(Split("1," + long_value), (Fields{"1", long_value}));
        EXPECT_EQ(Split(std::string(size, ' ') + "A B"), (Fields{"A", "B"}));
    }
}

TEST(ParseInt32, DecimalWithSign) {
    EXPECT_EQ(ParseInt32("0"), 0);
    EXPECT_EQ(ParseInt32("160"), 160);
    EXPECT_EQ(ParseInt32("+17"), 17);
    EXPECT_EQ(ParseInt32("-17"), -17);
    EXPECT_EQ(ParseInt32("-0"), 0);
    EXPECT_EQ(ParseInt32("000000000000000000042"), 42);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseInt32("99999999999999999999999"), std::nullopt);
}

TEST(ParseInt32, Hexadecimal) {
    EXPECT_EQ(ParseInt32("$20"), 32);
    EXPECT_EQ(ParseInt32("x20"), 32);
    EXPECT_EQ(ParseInt32("X2a"), 42);
    EXPECT_EQ(ParseInt32("0x20"), 32);
    EXPECT_EQ(ParseInt32("0XfF"), 255);
    EXPECT_EQ(ParseInt32("-$10"), -16);
    EXPECT_EQ(ParseInt32("$7FFFFFFF"), 2147483647);
    // Hexadecimal fills all 32 bits.
    EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInt32("$80000000"), INT32_MIN);
    EXPECT_EQ(ParseInt32("$000000000A0"), 160);
    EXPECT_EQ(ParseInt32("$100000000"), std::nullopt);
    EXPECT_EQ(ParseInt32("0x1FFFFFFFF"), std::nullopt);
}

TEST(ParseInt32, AnythingElseIsNoNumber) {
    for (const char* text :
         {"",    "-",  "+",    "$",   "x",   "0x",  "-$",  "12a",   "1 2",      " 12",
          "12 ", "$G", "0x-1", "--1", "+-1", "1.5", "1e3", "0b101", "\xd9\xa1", "$$1"})
        EXPECT_EQ(ParseInt32(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(NumberField("garbage"), 0);
    EXPECT_EQ(NumberField(""), 0);
    EXPECT_EQ(NumberField("-5"), -5);
}

// The field reader's shortcut for short plain digits must read exactly what the full parse reads.
TEST(ParseInt32, FieldShortcutAgreesWithTheFullParse) {
    const std::string characters = "0123456789x$-+ a/:";
    std::string field;
    for (int length = 0; length <= 4; ++length) {
        std::vector<std::size_t> index(static_cast<std::size_t>(length), 0);
        for (;;) {
            field.clear();
            for (std::size_t i : index)
                field += characters[i];
            ASSERT_EQ(NumberField(field), ParseInt32(field).value_or(0)) << '"' << field << '"';
            std::size_t position = 0;
            while (position < index.size() && ++index[position] == characters.size())
                index[position++] = 0;
            if (position == index.size())
                break;
        }
    }
}

TEST(PackStateOfFlags, LowByteDecidesPlayedBeforeDownloadedBeforeInUse) {
    EXPECT_EQ(PackStateOfFlags(0), psNotInUse);
    EXPECT_EQ(PackStateOfFlags(0x1F), psNotInUse);
    EXPECT_EQ(PackStateOfFlags(32), psPlayed);
    EXPECT_EQ(PackStateOfFlags(64), psDownloaded);
    EXPECT_EQ(PackStateOfFlags(128), psInUse);
    EXPECT_EQ(PackStateOfFlags(96), psPlayed);      // 0x20 wins over 0x40
    EXPECT_EQ(PackStateOfFlags(160), psPlayed);     // 0x20 wins over 0x80
    EXPECT_EQ(PackStateOfFlags(192), psDownloaded); // 0x40 wins over 0x80
    EXPECT_EQ(PackStateOfFlags(384), psInUse);      // 0x180: only 0x80 is in the low byte
    EXPECT_EQ(PackStateOfFlags(256), psNotInUse);
    EXPECT_EQ(PackStateOfFlags(-1), psPlayed);
    EXPECT_EQ(PackStateOfFlags(INT32_MIN), psNotInUse);
}

TEST(DecodePackEntry, FieldsInterleaveTeams) {
    auto at = [](std::size_t field) {
        const TPackEntry entry = DecodePackEntry(field, "32");
        return std::pair{entry.Team, entry.Pack};
    };
    EXPECT_EQ(at(1), (std::pair{1, 1}));
    EXPECT_EQ(at(2), (std::pair{2, 1}));
    EXPECT_EQ(at(3), (std::pair{3, 1}));
    EXPECT_EQ(at(4), (std::pair{1, 2}));
    EXPECT_EQ(at(7), (std::pair{1, 3}));
    EXPECT_EQ(at(60), (std::pair{3, 20}));
    EXPECT_EQ(at(61), (std::pair{1, 21}));

    EXPECT_EQ(DecodePackEntry(1, "$20").State, psPlayed);
    EXPECT_EQ(DecodePackEntry(1, "0x40").State, psDownloaded);
    EXPECT_EQ(DecodePackEntry(1, "garbage").State, psNotInUse);
    EXPECT_EQ(DecodePackEntry(1, "").State, psNotInUse);
}

TEST(ClassifyMessage, KeywordsAreWholeAndCaseSensitive) {
    auto kind = [](std::string text) {
        std::vector<std::string_view> fields;
        SplitFields(text, fields);
        return ClassifyMessage(fields);
    };
    EXPECT_EQ(kind("MODE,IDLE"), TMessageKind::Mode);
    EXPECT_EQ(kind(" MODE , IDLE "), TMessageKind::Mode);
    EXPECT_EQ(kind("MODE,idle"), TMessageKind::Mode);
    EXPECT_EQ(kind("\"MODE\",IDLE"), TMessageKind::Mode);
    EXPECT_EQ(kind("PACKSTATUS,32"), TMessageKind::PackStatus);
    EXPECT_EQ(kind("mode,IDLE"), TMessageKind::Ignored);
    EXPECT_EQ(kind("Mode,IDLE"), TMessageKind::Ignored);
    EXPECT_EQ(kind("MODES,IDLE"), TMessageKind::Ignored);
    EXPECT_EQ(kind("packstatus,32"), TMessageKind::Ignored);
    EXPECT_EQ(kind("MODE"), TMessageKind::Ignored);
    EXPECT_EQ(kind("PACKSTATUS"), TMessageKind::Ignored);
    EXPECT_EQ(kind("PACKSTATUS,"), TMessageKind::Ignored);
    EXPECT_EQ(kind(""), TMessageKind::Ignored);
    EXPECT_EQ(kind("SCORES,1,2"), TMessageKind::Ignored);
    EXPECT_EQ(kind(",MODE,IDLE"), TMessageKind::Ignored);
}

// Whatever arrives, splitting and decoding stay inside the text and end. Run under the
// sanitizers, this is where out-of-bounds reads would show.
TEST(Robustness, ArbitraryBytesSplitAndDecodeSafely) {
    std::mt19937 random(12001);
    const std::string alphabet = std::string("\0\",  \t$x0123456789-+ABCDEFMODEPACKSTATUS", 40);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<std::size_t> fromAlphabet(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 1200);
    std::vector<std::string_view> fields;
    for (int round = 0; round < 3000; ++round) {
        std::string text(length(random), '\0');
        for (char& c : text)
            c = round % 2 ? static_cast<char>(anyByte(random)) : alphabet[fromAlphabet(random)];
        SplitFields(text, fields);
        ASSERT_LE(fields.size(), text.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            ASSERT_GE(fields[i].data(), text.data());
            ASSERT_LE(fields[i].data() + fields[i].size(), text.data() + text.size());
            const TPackEntry entry = DecodePackEntry(i + 1, fields[i]);
            ASSERT_TRUE(IsValidPackState(entry.State));
            ASSERT_TRUE(IsValidTeam(entry.Team));
        }
        ClassifyMessage(fields);
    }
}

TEST(Robustness, ThousandsOfFieldsAndHugeNumbers) {
    std::string text = "PACKSTATUS";
    for (int i = 0; i < 5000; ++i)
        text += i % 3 ? ",99999999999999999999999999" : ",,";
    std::vector<std::string_view> fields;
    SplitFields(text, fields);
    ASSERT_EQ(ClassifyMessage(fields), TMessageKind::PackStatus);
    for (std::size_t i = 1; i < fields.size(); ++i)
        ASSERT_EQ(DecodePackEntry(i, fields[i]).State, psNotInUse);
    EXPECT_GT(fields.size(), 6000u);
}

// What the simulator encodes, the display decodes to the same pack table, field for field.
TEST(PackStatusDatagram, RoundTripsThroughTheDecoder) {
    std::mt19937 random(160);
    std::uniform_int_distribution<int> state(psNotInUse, psDownloaded);
    std::uniform_int_distribution<int> packCount(1, kMaxPacksPerTeam);
    for (int round = 0; round < 500; ++round) {
        TPackTable packs;
        for (int team = 1; team <= kTeamCount; ++team)
            for (int pack = 1; pack <= kMaxPacksPerTeam; ++pack)
                packs.Set(team, pack, state(random));
        const int packsPerTeam = packCount(random);
        const Fields fields = Split(PackStatusDatagram(packs, packsPerTeam));
        const std::vector<std::string_view> views(fields.begin(), fields.end());
        ASSERT_EQ(ClassifyMessage(views), TMessageKind::PackStatus);
        ASSERT_EQ(views.size(), static_cast<std::size_t>(kTeamCount * packsPerTeam) + 1);
        for (std::size_t i = 1; i < views.size(); ++i) {
            const TPackEntry entry = DecodePackEntry(i, views[i]);
            ASSERT_EQ(entry.State, packs.Get(entry.Team, entry.Pack)) << "field " << i;
        }
    }
}

TEST(FieldText, AnyValueWithoutAZeroByteComesBackAsOneField) {
    std::mt19937 random(3);
    const std::string alphabet = "ab ,\"\t\x01\x7f\xff";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 8);
    for (int round = 0; round < 3000; ++round) {
        std::string value;
        for (int i = length(random); i > 0; --i)
            value += alphabet[pick(random)];
        ASSERT_EQ(Split("MODE," + FieldText(value) + ",x"), (Fields{"MODE", value, "x"}))
            << "value: " << value;
    }
    EXPECT_EQ(FieldText("Deathmatch"), "Deathmatch");
}

} // namespace
