// The settings file as an operator may leave it: hand-edited, cut short, saved in another
// encoding. Reading any bytes ends in a document or in an error on one of their lines; a
// document written back reads as the same document, and writing that again gives the same
// bytes, so a save never changes what it did not mean to change.

#include "FuzzCheck.h"
#include "settings/RegFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using TEntry = std::tuple<std::vector<std::string>, std::string, std::vector<std::string>,
                          std::string, std::uint32_t, std::string>;

// Everything a document holds, in order: each value with its key and both one's comments.
std::vector<TEntry> Entries(const TRegDocument& document) {
    std::vector<TEntry> entries;
    for (const TRegFileKey& key : document.Keys) {
        entries.emplace_back(key.Comments, key.Path, std::vector<std::string>{}, "", 0, "");
        for (const TRegFileValue& value : key.Values)
            entries.emplace_back(key.Comments, key.Path, value.Comments, value.Name,
                                 value.Value.Type, value.Value.Data);
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TRegDocument document;
    TRegParseError error;
    if (!ParseRegFile(bytes, document, error)) {
        // Every line break is at least one CR or LF byte, in any of the encodings.
        const auto breaks = std::count_if(bytes.begin(), bytes.end(),
                                          [](char c) { return c == '\r' || c == '\n'; });
        FUZZ_CHECK(error.Line >= 1 && error.Line <= breaks + 1);
        FUZZ_CHECK(!error.Message.empty());
        return 0;
    }
    // What the store looks up finds what the document holds.
    for (const TRegFileKey& key : document.Keys) {
        FUZZ_CHECK(document.FindKey(key.Path) == &key && document.KeyExists(key.Path));
        for (const TRegFileValue& value : key.Values)
            FUZZ_CHECK(key.FindValue(value.Name) == &value);
    }

    // A document read from a file holds nothing its form cannot write again: the store keeps the
    // file's form, turning it into a Unicode export only for a character the program added.
    FUZZ_CHECK(FormatKeepsAllText(document));

    const std::string written = FormatRegFile(document);
    TRegDocument again;
    FUZZ_CHECK(ParseRegFile(written, again, error));
    FUZZ_CHECK(again.Version == document.Version && again.Encoding == document.Encoding);
    FUZZ_CHECK(Entries(again) == Entries(document));
    FUZZ_CHECK(again.TrailingComments == document.TrailingComments);
    FUZZ_CHECK(FormatRegFile(again) == written);
    return 0;
}
