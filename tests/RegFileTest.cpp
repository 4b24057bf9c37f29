#include "settings/RegFile.h"
#include "settings/RegFileStore.h"
#include "settings/RegistryDef.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\Outrider\\Tallivue";
constexpr const char* kLanguageKey = "SOFTWARE\\Outrider\\Tallivue\\Language";

using TEntry = std::tuple<std::string, std::string, std::uint32_t, std::string>;

std::vector<TEntry> Entries(const TRegDocument& document) {
    std::vector<TEntry> entries;
    for (const auto& key : document.Keys)
        for (const auto& value : key.Values)
            entries.emplace_back(key.Path, value.Name, value.Value.Type, value.Value.Data);
    return entries;
}

TRegDocument Parsed(std::string_view bytes) {
    TRegDocument document;
    TRegParseError error;
    EXPECT_TRUE(ParseRegFile(bytes, document, error)) << error.Line << ": " << error.Message;
    return document;
}

TRegParseError ParseErrorOf(std::string_view bytes) {
    TRegDocument document;
    TRegParseError error;
    EXPECT_FALSE(ParseRegFile(bytes, document, error)) << bytes;
    return error;
}

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

const std::string kTallivue = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue";

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RegFile, EveryValueTypeSurvivesWritingAndReading) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    TRegDocument document;
    TRegFileKey& key = document.AddKey(kTallivue);
    key.SetValue("Msg1", MakeStringValue("Say \"hi\" to C:\\Arena\\ \xC3\xA9t\xC3\xA9"));
    key.SetValue("Empty", MakeStringValue(""));
    key.SetValue("Two lines", MakeStringValue("first\r\nsecond\rthird\n"));
    key.SetValue("Expand", TRegValue{kRegExpandSz, "%SystemRoot%\\Media"});
    key.SetValue("Mode", MakeIntegerValue(1));
    key.SetValue("Lowest", MakeIntegerValue(INT32_MIN));
    key.SetValue("Minus", MakeIntegerValue(-1));
    key.SetValue("Blob", TRegValue{kRegBinary, allBytes});
    key.SetValue("NoBytes", TRegValue{kRegBinary, ""});
    key.SetValue("List", TRegValue{kRegMultiSz, std::string("a\0bc\0", 5)});
    key.SetValue("Quad", TRegValue{0xb, std::string("\x01\0\0\0\0\0\0\x80", 8)});
    key.SetValue("Odd dword", TRegValue{kRegDword, "\x01\x02"});
    key.SetValue("", MakeStringValue("the default value"));
    document.AddKey(kTallivue + "\\Language").SetValue("Idle", MakeStringValue("Ruhe"));

    const std::string text = FormatRegFile(document);
    EXPECT_TRUE(text.starts_with("REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n")) << text;
    EXPECT_NE(text.find("\"Msg1\"=\"Say \\\"hi\\\" to C:\\\\Arena\\\\ \xE9t\xE9\"\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"Mode\"=dword:00000001\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Minus\"=dword:ffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"the default value\"\r\n"), std::string::npos);
    // Long data continues as the registry editor writes it: within 80 columns, "\" at the end.
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    EXPECT_NE(text.find(",\\\r\n  "), std::string::npos);

    EXPECT_EQ(Entries(Parsed(text)), Entries(document));

    // A zero byte within a text beyond Latin-1, which hex(1): cannot carry in a "REGEDIT4"
    // file: kept between quotes in a UTF-8 one.
    document.Encoding = TRegFileEncoding::Utf8WithBom;
    document.FindKey(kTallivue)->SetValue("Msg2",
                                          MakeStringValue(std::string("\xC4\xAF\0after", 8)));
    EXPECT_EQ(Entries(Parsed(FormatRegFile(document))), Entries(document));
}

TEST(RegFile, ReadsARegedit4ExportAsTheEditorWritesIt) {
    const auto document = Parsed(
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
        "\"Msg1\"=\"Say \\\"hello\\\" to C:\\\\Arena\\\\\"\r\n"
        "\"Mode\"=dword:00000001\r\n"
        "\"Talking Folder\"=hex(2):43,3a,5c,53,6f,75,6e,64,73,5c,00\r\n"
        "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1A\r\n"
        "@=\"default\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue\\Language]\r\n"
        "\"Idle\"=\"Ruhe\"\r\n\r\n");
    std::string blob;
    for (int i = 0; i <= 0x1A; ++i)
        blob += static_cast<char>(i);
    const std::vector<TEntry> expected = {
        {kTallivue, "Msg1", kRegSz, "Say \"hello\" to C:\\Arena\\"},
        {kTallivue, "Mode", kRegDword, std::string("\x01\0\0\0", 4)},
        {kTallivue, "Talking Folder", kRegExpandSz, "C:\\Sounds\\"},
        {kTallivue, "Blob", kRegBinary, blob},
        {kTallivue, "", kRegSz, "default"},
        {kTallivue + "\\Language", "Idle", kRegSz, "Ruhe"},
    };
    EXPECT_EQ(Entries(document), expected);
    EXPECT_EQ(document.Keys.size(), 3u);
}

TEST(RegFile, ReadsAUnicodeVersion5Export) {
    const auto document = Parsed(Utf16File(
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
        u"\"Msg1\"=\"Caf\u00e9 \\\"open\\\" \u03a9\"\r\n"
        u"\"Talking Folder\"=hex(2):43,00,3a,00,5c,00,53,00,6f,00,75,00,6e,00,64,00,73,00,\\\r\n"
        u"  5c,00,e9,00,00,00\r\n"
        u"\"ShowBars\"=dword:00000007\r\n\r\n"
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue\\Language]\r\n"
        u"\"Idle\"=\"\u00c9tat \U0001F600\"\r\n"));
    const std::vector<TEntry> expected = {
        // Every character kept, as UTF-8.
        {kTallivue, "Msg1", kRegSz, "Caf\xC3\xA9 \"open\" \xCE\xA9"},
        {kTallivue, "Talking Folder", kRegExpandSz, "C:\\Sounds\\\xC3\xA9"},
        {kTallivue, "ShowBars", kRegDword, std::string("\x07\0\0\0", 4)},
        {kTallivue + "\\Language", "Idle", kRegSz, "\xC3\x89tat \xF0\x9F\x98\x80"},
    };
    EXPECT_EQ(Entries(document), expected);
    EXPECT_EQ(document.Version, TRegFileVersion::Version5);
    EXPECT_EQ(document.Encoding, TRegFileEncoding::Utf16LeWithBom);
}

TEST(RegFile, HandEditsAreReadLeniently) {
    // LF or CR line ends, blanks around "=" and the data, a UTF-8 byte-order mark, comments,
    // a comma after the last byte, a key written twice, deletions.
    const auto document = Parsed("\xEF\xBB\xBFREGEDIT4\n; Tallivue's settings\n"
                                 "  [HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue\\]  \r"
                                 "\"Msg1\" = \"Caf\xC3\xA9\"   \n"
                                 "\"Blob\"=hex:01, 02 ,\n"
                                 "\"Gone\"=dword:1\n"
                                 "[hkey_local_machine\\software\\outrider\\tallivue]\n"
                                 "\"msg1\"=\"Later wins\"\n"
                                 "\"GONE\"=-\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n\"x\"=\"y\"\n"
                                 "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n; the end\n");
    const std::vector<TEntry> expected = {
        {kTallivue, "Msg1", kRegSz, "Later wins"},
        {kTallivue, "Blob", kRegBinary, "\x01\x02"},
    };
    EXPECT_EQ(Entries(document), expected);
    EXPECT_EQ(Parsed("\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=\"Caf\xC3\xA9\"")
                  .Keys[0]
                  .Values[0]
                  .Value.Data,
              "Caf\xC3\xA9");
    EXPECT_EQ(Parsed("REGEDIT4\n[HKEY_CURRENT_USER\\X \\ ]\n").Keys[0].Path,
              "HKEY_CURRENT_USER\\X");

    // Comments go back where they were, with the key or value after them, or at the end.
    const std::string text = FormatRegFile(document);
    EXPECT_TRUE(text.starts_with("\xEF\xBB\xBFREGEDIT4\r\n")) << text;
    EXPECT_NE(text.find("; Tallivue's settings\r\n[" + kTallivue + "]\r\n"), std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with("\r\n; the end\r\n")) << text;
}

TEST(RegFile, DamageIsFoundWithItsLine) {
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n";
    const std::string head = "REGEDIT4\r\n\r\n" + key;
    std::string garbage;
    for (int i = 0; i < 600; ++i)
        garbage += static_cast<char>((i * 37 + 11) % 256);
    const std::pair<std::string, int> cases[] = {
        {"", 1},
        {"\r\n\r\n", 3},
        {" \t ", 1}, // blanks alone are still one line
        {"\r\n\t", 2},
        {garbage, 1},
        {key + "\"Mode\"=dword:1\r\n", 1},                      // no header
        {"REGEDIT4\r\n\"Mode\"=dword:1\r\n" + key, 2},          // a value before any key
        {head + "\"Msg1\"=\"Birthday par", 4},                  // cut inside a text
        {head + "\"Msg1\"=\"ok\"\r\n\"Blob\"=hex:01,02,\\", 5}, // cut inside continued data
        {head + "\"Msg1\"=\"ok\"\r\n\"Bl", 5},                  // cut inside a name
        {head + "\"Mode\"=dword:\r\n", 4},
        {head + "\"Mode\"=dword:123456789\r\n", 4},
        {head + "\"Mode\"=dword:0000000g\r\n", 4},
        {head + "\"Blob\"=hex:1,zz\r\n", 4},
        {head + "\"Blob\"=hex:100\r\n", 4},
        {head + "\"Blob\"=hex:01,,02\r\n", 4},
        {head + "\"Blob\"=hex(z):01\r\n", 4},
        {head + "\"Msg1\"=\"a\" junk\r\n", 4},
        {head + "\"Msg1\" \"a\"\r\n", 4},
        {head + "\"Msg1\"=text\r\n", 4},
        {head + "\"Msg1\"=  \r\n", 4},
        {head + "Mode=1\r\n", 4},
        {head + "[HKEY_LOCAL_MACHINE\\Unclosed\r\n", 4},
        {head + "[SOFTWARE\\NoRoot]\r\n", 4},
        {"REGEDIT4\r\n[-HKEY_LOCAL_MACHINE\\X]\r\n\"a\"=\"b\"\r\n", 3},
        {"REGEDIT5\r\n" + key, 1},
    };
    for (const auto& [bytes, line] : cases) {
        const TRegParseError error = ParseErrorOf(bytes);
        EXPECT_EQ(error.Line, line) << bytes << "\n" << error.Message;
        EXPECT_FALSE(error.Message.empty());
    }
    // A Unicode file cut in the middle of a character.
    const std::string unicode =
        Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n");
    EXPECT_EQ(ParseErrorOf(unicode + "\x22").Line, 4);
    EXPECT_EQ(ParseErrorOf(Utf16File(u"Windows Registry Editor Version 5.00\r\n"
                                     u"[HKEY_LOCAL_MACHINE\\X]\r\n\"a\"=hex(2):41,00,42\r\n"))
                  .Line,
              3);
}

// Whatever is left of a file cut short or scrambled, reading it ends in a document or in an
// error on one of its lines, never in a crash (the sanitizer build checks every byte read).
TEST(RegFile, CutOrScrambledFilesNeverBreakTheReader) {
    const std::string whole =
        "REGEDIT4\r\n\r\n; notes\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
        "\"Msg1\"=\"Say \\\"hi\\\" C:\\\\x\"\r\n\"Mode\"=dword:00000001\r\n@=\"d\"\r\n"
        "\"Blob\"=hex(2):41,42,43,44,45,46,47,48,49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,\\\r\n"
        "  56,57,00\r\n\"Gone\"=-\r\n[-HKEY_LOCAL_MACHINE\\X]\r\n";
    const auto lines = [](std::string_view text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    };
    ASSERT_EQ(Entries(Parsed(whole)).size(), 4u);
    TRegDocument document;
    TRegParseError error;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        const std::string_view cut(whole.data(), length);
        if (!ParseRegFile(cut, document, error)) {
            EXPECT_TRUE(error.Line >= 1 && error.Line <= lines(cut)) << length;
        }
    }
    std::mt19937 random(12001);
    for (int round = 0; round < 4000; ++round) {
        std::string scrambled = round % 2 ? whole
                                          : Utf16File(u"Windows Registry Editor Version "
                                                      u"5.00\r\n[HKEY_LOCAL_MACHINE\\X]"
                                                      u"\r\n\"a\"=hex(7):41,00,00,00\r\n");
        for (int flips = 1 + random() % 4; flips > 0; --flips)
            scrambled[random() % scrambled.size()] = static_cast<char>(random());
        scrambled.resize(random() % (scrambled.size() + 1));
        if (!ParseRegFile(scrambled, document, error)) {
            EXPECT_GE(error.Line, 1);
        } else {
            EXPECT_EQ(Entries(Parsed(FormatRegFile(document))), Entries(document));
        }
    }
}

// Who may create which key, and how a key below another makes that one exist. Opening writes
// nothing, not even a new key: the file has it with its first value.
TEST(RegFileStore, KeysAreCreatedOnlyWhenAsked) {
    const TTempFolder folder;
    const auto file = folder / "Outrider" / "Tallivue.reg";
    TRegFileStore store(file);
    EXPECT_FALSE(store.OpenKey(TRootKey::LocalMachine, kSettingsKey, false));
    EXPECT_FALSE(store.HasOpenKey());

    EXPECT_TRUE(store.OpenKey(TRootKey::LocalMachine, kSettingsKey, true));
    EXPECT_FALSE(store.OpenKey(TRootKey::LocalMachine, kLanguageKey, false));
    EXPECT_TRUE(store.OpenKey(TRootKey::LocalMachine, kLanguageKey, true));
    EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
    EXPECT_TRUE(store.WriteValue("Idle", MakeStringValue("Pause")));
    EXPECT_EQ(ReadBytes(file), "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n\r\n[" + kTallivue +
                                   "\\Language]\r\n\"Idle\"=\"Pause\"\r\n\r\n");

    // A file holding only the Language key: the settings key exists through it.
    WriteBytes(file, "REGEDIT4\r\n\r\n[" + kTallivue + "\\Language]\r\n\"Idle\"=\"Ruhe\"\r\n");
    TRegFileStore other(file);
    EXPECT_TRUE(other.OpenKey(TRootKey::LocalMachine, "software\\outrider\\TALLIVUE", false));
    EXPECT_FALSE(other.OpenKey(TRootKey::CurrentUser, kSettingsKey, false));
    EXPECT_TRUE(other.OpenKey(TRootKey::LocalMachine, kSettingsKey, false));
    EXPECT_TRUE(other.WriteValue("Mode", MakeIntegerValue(1)));
    EXPECT_EQ(Entries(Parsed(ReadBytes(file))),
              (std::vector<TEntry>{{kTallivue + "\\Language", "Idle", kRegSz, "Ruhe"},
                                   {kTallivue, "Mode", kRegDword, std::string("\1\0\0\0", 4)}}));
}

TEST(RegFileStore, ADamagedFileGivesDefaultsIsReportedOnceAndIsKeptAsideBySaving) {
    const TTempFolder folder;
    const auto file = folder / "Tallivue.reg";
    const std::string damaged =
        "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n\"Mode\"=dword:00000001\r\n\"Msg1\"=\"Book yo";
    WriteBytes(file, damaged);
    std::vector<std::string> reports;
    const auto report = [&](const std::string& message) {
        reports.push_back(message);
    };

    // Reading, as the display does at every activation and whenever the file changes, opens
    // and makes the keys but leaves the file as it is, bytes and name; the same damage is told
    // once.
    for (int reading = 0; reading < 2; ++reading) {
        TRegistryDef reg(std::make_unique<TRegFileStore>(file, report));
        EXPECT_FALSE(reg.ReadWhole());
        EXPECT_TRUE(reg.OpenKey(kSettingsKey, true));
        EXPECT_EQ(reg.ReadIntegerDef("Mode", 0), 0);
        EXPECT_TRUE(reg.OpenKey(kLanguageKey, true));
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(file.string()), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("line 5"), std::string::npos) << reports[0];
    EXPECT_EQ(ReadBytes(file), damaged);
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"Tallivue.reg"});

    // A save keeps the damaged file aside, then writes a whole new one.
    auto store = std::make_unique<TRegFileStore>(file, report);
    TRegFileStore& saved = *store;
    TRegistryDef reg(std::move(store));
    EXPECT_TRUE(reg.OpenKey(kSettingsKey, true));
    EXPECT_TRUE(saved.KeptAside().empty());
    reg.WriteInteger("Mode", 2);
    EXPECT_EQ(reports.size(), 1u);
    ASSERT_FALSE(saved.KeptAside().empty());
    EXPECT_EQ(saved.KeptAside().parent_path(), folder.Path());
    EXPECT_TRUE(saved.KeptAside().filename().string().starts_with("Tallivue.reg.damaged-"));
    EXPECT_EQ(ReadBytes(saved.KeptAside()), damaged);
    reg.WriteInteger("Mode", 1);
    EXPECT_EQ(ReadBytes(saved.KeptAside()), damaged);
    EXPECT_EQ(Entries(Parsed(ReadBytes(file))),
              (std::vector<TEntry>{{kTallivue, "Mode", kRegDword, std::string("\1\0\0\0", 4)}}));

    // Once the file has read well, the first damage again is news. Damage later is kept aside
    // beside the first, not over it.
    WriteBytes(file, damaged);
    TRegFileStore{file, report};
    EXPECT_EQ(reports.size(), 2u);
    WriteBytes(file, "binary \x01\x02\xFF garbage");
    TRegFileStore again(file, report);
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_TRUE(again.OpenKey(TRootKey::LocalMachine, kSettingsKey, true));
    EXPECT_TRUE(again.WriteValue("Mode", MakeIntegerValue(1)));
    EXPECT_NE(again.KeptAside(), saved.KeptAside());
    EXPECT_EQ(ReadBytes(again.KeptAside()), "binary \x01\x02\xFF garbage");
    EXPECT_EQ(ReadBytes(saved.KeptAside()), damaged);
}

TEST(RegFileStore, AFolderWhereTheFileShouldBeIsReportedAndMovedAside) {
    const TTempFolder folder;
    const auto file = folder / "Tallivue.reg";
    WriteBytes(file / "notes.txt", "an operator's notes");
    std::vector<std::string> reports;
    TRegFileStore store(file, [&](const std::string& message) { reports.push_back(message); });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("it is a folder"), std::string::npos) << reports[0];
    EXPECT_TRUE(store.OpenKey(TRootKey::LocalMachine, kSettingsKey, true));
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_TRUE(store.WriteValue("Mode", MakeIntegerValue(1)));
    EXPECT_EQ(ReadBytes(store.KeptAside() / "notes.txt"), "an operator's notes");
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

TEST(RegFileStore, AUnicodeExportKeepsEveryCharacterThroughTheProgramsSaves) {
    const TTempFolder folder;
    const auto file = folder / "Tallivue.reg";
    // As the registry editor exports it, and so as a save writes it back; "@" stands for a
    // surrogate alone, which only UTF-16 holds.
    std::u16string exported =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"; \u00c9crit par \u0141ukasz\r\n"
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Outrider\\Tallivue]\r\n"
        u"\"\u03a91\"=\"Omega\"\r\n"
        u"\"\u03a81\"=\"Psi\"\r\n"
        u"\"Msg1\"=\"Caf\u00e9 \u0428\u0443\u0442\u0435\u0440 \U0001F600 @\"\r\n"
        u"\"Talking Folder\"=hex(2):43,00,3a,00,5c,00,a9,03,00,00\r\n"
        u"\"Mode\"=dword:00000001\r\n\r\n";
    exported[exported.find(u'@')] = 0xD800;
    WriteBytes(file, Utf16File(exported));

    TRegistryDef reg(std::make_unique<TRegFileStore>(file));
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, false));
    // The program's text is UTF-8, as the document's: every character reads as it stands, the
    // surrogate alone as U+FFFD.
    EXPECT_EQ(reg.ReadStringDef("Msg1", ""),
              "Caf\xC3\xA9 \xD0\xA8\xD1\x83\xD1\x82\xD0\xB5\xD1\x80 \xF0\x9F\x98\x80 \xEF\xBF\xBD");
    EXPECT_EQ(reg.ReadStringDef("Talking Folder", ""), "C:\\\xCE\xA9");
    EXPECT_EQ(reg.ReadStringDef(std::string("\xCE\xA9") + "1", "none"), "Omega");
    EXPECT_EQ(reg.ReadStringDef("?1", "none"), "none");

    // A dialog saving every value as it showed it changes nothing in the file.
    reg.WriteString("Msg1", reg.ReadStringDef("Msg1", ""));
    reg.WriteInteger("Mode", 1);
    EXPECT_EQ(ReadBytes(file), Utf16File(exported));

    reg.WriteString("Msg1", "Caf\xC3\xA9 ferm\xC3\xA9");
    std::u16string changed = exported;
    const std::u16string_view before = u"Caf\u00e9 \u0428\u0443\u0442\u0435\u0440 \U0001F600 ";
    changed.replace(changed.find(before), before.size() + 1, u"Caf\u00e9 ferm\u00e9");
    EXPECT_EQ(ReadBytes(file), Utf16File(changed));
}

#ifndef _WIN32

// Runs `body` in processes of its own until `until`; each exits with success when no round
// failed.
template <typename TBody>
pid_t RepeatInAChild(std::chrono::steady_clock::time_point until, TBody body) {
    const pid_t child = fork();
    if (child == 0) {
        bool failed = false;
        while (!failed && std::chrono::steady_clock::now() < until)
            failed = !body();
        _exit(failed ? 1 : 0);
    }
    return child;
}

void ExpectSucceeded(pid_t child) {
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Two displays saving at the same moment each write a file of their own, so a third reading
// meanwhile finds the old file or a whole new one, never one half written.
TEST(RegFileStore, SavesAtTheSameMomentNeverShowAHalfWrittenFile) {
    const TTempFolder folder;
    const auto file = folder / "Tallivue.reg";
    WriteBytes(file, "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::vector<pid_t> children;
    for (const std::string name : {"Msg1", "Msg2"}) {
        children.push_back(RepeatInAChild(until, [&, name] {
            bool reported = false;
            TRegFileStore store(file, [&](const std::string&) { reported = true; });
            return store.OpenKey(TRootKey::LocalMachine, kSettingsKey, false) &&
                   store.WriteValue(name, MakeStringValue(std::string(30000, name.back()))) &&
                   !reported;
        }));
    }
    children.push_back(RepeatInAChild(until, [&] {
        bool reported = false;
        TRegFileStore store(file, [&](const std::string&) { reported = true; });
        return store.OpenKey(TRootKey::LocalMachine, kSettingsKey, false) && !reported;
    }));
    for (const pid_t child : children)
        ExpectSucceeded(child);
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"Tallivue.reg"});
}

// The superuser may write anywhere: what a user may not do is tried by an unprivileged child.
void AsAnUnprivilegedUser(const std::function<void()>& test) {
    if (geteuid() != 0) {
        test();
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        test();
        _exit(dropped && !::testing::Test::HasFailure() ? 0 : 1);
    }
    ExpectSucceeded(child);
}

// Every file handle the process may have is in use, as in a program that leaks them.
class TNoFileHandlesLeft {
public:
    TNoFileHandlesLeft() {
        getrlimit(RLIMIT_NOFILE, &FPrevious);
        const int lowestFree = open("/dev/null", O_RDONLY);
        close(lowestFree);
        rlimit none = FPrevious;
        none.rlim_cur = static_cast<rlim_t>(lowestFree);
        setrlimit(RLIMIT_NOFILE, &none);
    }
    ~TNoFileHandlesLeft() { setrlimit(RLIMIT_NOFILE, &FPrevious); }
    TNoFileHandlesLeft(const TNoFileHandlesLeft&) = delete;
    TNoFileHandlesLeft& operator=(const TNoFileHandlesLeft&) = delete;

private:
    rlimit FPrevious{};
};

TEST(RegFileStore, SavingKeepsTheFilesLinksModeAndOwner) {
    const TTempFolder folder;
    const auto target = folder / "arena" / "settings.reg";
    WriteBytes(target, "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n");
    const bool root = geteuid() == 0;
    // The superuser keeps the superuser's rights, even over a file that is not writable.
    const mode_t mode = root ? 0440 : 0640;
    ASSERT_EQ(chmod(target.c_str(), mode), 0);
    if (root) {
        ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    }
    const auto link = folder / "Outrider" / "Tallivue.reg";
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink("../arena/settings.reg", link);

    {
        TRegistryDef reg(std::make_unique<TRegFileStore>(link));
        ASSERT_TRUE(reg.OpenKey(kSettingsKey, false));
        reg.WriteString("Msg1", "saved through the link");
    }
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "../arena/settings.reg");
    EXPECT_NE(ReadBytes(target).find("saved through the link"), std::string::npos);
    struct stat saved {};
    ASSERT_EQ(stat(target.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, mode);
    if (root) {
        EXPECT_TRUE(saved.st_uid == 65534 && saved.st_gid == 65534);
    }
    EXPECT_EQ(FilesIn(target.parent_path()), std::vector<std::string>{"settings.reg"});

    // A first save makes the file as any program would, for the other accounts to read as the
    // umask says: the display may run as another user than the one who set it up.
    const auto fresh = folder / "fresh" / "Tallivue.reg";
    const mode_t umaskBefore = umask(022);
    {
        TRegistryDef reg(std::make_unique<TRegFileStore>(fresh));
        ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
        reg.WriteInteger("Mode", 1);
    }
    umask(umaskBefore);
    ASSERT_EQ(stat(fresh.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0644);
}
#endif

class RefusedSave : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(FFile, "REGEDIT4\r\n\r\n[" + kTallivue + "]\r\n\"Msg1\"=\"old text\"\r\n");
    }
    TTempFolder FFolder;
    std::filesystem::path FFile = FFolder / "Tallivue.reg";
};

struct TNothingInTheWay {};

// Saving fails as a whole while a `TObstacle` is in place: the old file stays as it was, and
// the store as the file says. Only the saves run with the obstacle; checks run without it.
template <typename TObstacle = TNothingInTheWay>
void ExpectRefusedSave(const std::filesystem::path& file) {
    const std::string before = ReadBytes(file);
    TRegistryDef reg(std::make_unique<TRegFileStore>(file));
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, false));
    std::exception_ptr refusal;
    {
        [[maybe_unused]] const TObstacle obstacle;
        try {
            reg.WriteString("Msg1", "new text");
        } catch (...) {
            refusal = std::current_exception();
        }
    }
    try {
        if (refusal)
            std::rethrow_exception(refusal);
        ADD_FAILURE() << "the save should have failed";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Msg1'");
    }
    EXPECT_EQ(ReadBytes(file), before);
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, false));
    EXPECT_EQ(reg.ReadStringDef("Msg1", "d"), "old text");
    EXPECT_EQ(FilesIn(file.parent_path()), std::vector<std::string>{file.filename().string()});
}

// Made read-only by an administrator: not replaced, though the folder would let it be.
TEST_F(RefusedSave, WhenTheFileIsReadOnly) {
    using std::filesystem::perms;
    std::filesystem::permissions(FFile,
                                 perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
#ifdef _WIN32
    ExpectRefusedSave(FFile);
#else
    chmod(FFolder.Path().c_str(), 0777);
    AsAnUnprivilegedUser([&] { ExpectRefusedSave(FFile); });
#endif
    std::filesystem::permissions(FFile, perms::owner_write, std::filesystem::perm_options::add);
}

#ifndef _WIN32
TEST_F(RefusedSave, WhenTheNewFileCannotBeMade) {
    ExpectRefusedSave<TNoFileHandlesLeft>(FFile);
}

TEST_F(RefusedSave, WhenTheDiskIsFull) {
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = previous;
    full.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &full);
    ExpectRefusedSave(FFile);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

TEST_F(RefusedSave, WhenTheFolderIsReadOnly) {
    chmod(FFolder.Path().c_str(), 0555);
    AsAnUnprivilegedUser([&] { ExpectRefusedSave(FFile); });
    chmod(FFolder.Path().c_str(), 0755);
}

// A file that is there but out of reach is not damaged: it is reported once, the settings run
// on their defaults, and no save moves the file aside or puts those defaults in its place.
TEST_F(RefusedSave, WhenTheFileCannotBeOpened) {
    const std::string before = ReadBytes(FFile);
    const auto expectDefaultsAndNoSave =
        [&](TRegistryDef& reg, const std::vector<std::string>& reports, const std::string& reason) {
            ASSERT_EQ(reports.size(), 1u);
            for (const std::string& part : {FFile.string(), reason, std::string("last read")})
                EXPECT_NE(reports[0].find(part), std::string::npos) << part << "\n" << reports[0];
            EXPECT_FALSE(reg.ReadWhole());
            EXPECT_FALSE(reg.OpenKey(kSettingsKey, false));
            EXPECT_EQ(reg.ReadStringDef("Msg1", "default"), "default");
            ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
            EXPECT_THROW(reg.WriteString("Msg1", "default"), TRegistryError);
        };
    const auto expectFileAsItWas = [&] {
        EXPECT_EQ(ReadBytes(FFile), before);
        EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"Tallivue.reg"});
    };

    {
        TRegistryDef readable(std::make_unique<TRegFileStore>(FFile));
        ASSERT_TRUE(readable.OpenKey(kSettingsKey, false));
        EXPECT_EQ(readable.ReadStringDef("Msg1", ""), "old text");
    }
    // No file handles left while the store reads, though there are again when it would save.
    std::vector<std::string> reports;
    std::unique_ptr<TRegistryDef> reg;
    {
        const TNoFileHandlesLeft none;
        reg = std::make_unique<TRegistryDef>(std::make_unique<TRegFileStore>(
            FFile, [&](const std::string& message) { reports.push_back(message); }));
    }
    expectDefaultsAndNoSave(*reg, reports, "Too many open files");
    expectFileAsItWas();

    // No permission to read it, in a folder that would let it be replaced.
    chmod(FFolder.Path().c_str(), 0777);
    chmod(FFile.c_str(), geteuid() == 0 ? 0600 : 0); // the child is not the owner; a user is
    AsAnUnprivilegedUser([&] {
        std::vector<std::string> ownReports;
        TRegistryDef unprivileged(std::make_unique<TRegFileStore>(
            FFile, [&](const std::string& message) { ownReports.push_back(message); }));
        expectDefaultsAndNoSave(unprivileged, ownReports, "Permission denied");
    });
    chmod(FFile.c_str(), 0600);
    expectFileAsItWas();
}
#endif

} // namespace
