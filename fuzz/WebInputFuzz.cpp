// What any browser on the arena's network may send the front desk, as the service reads it
// itself: form bodies, cookies, an upload and its file's name, and the gate that frames a
// connection's bytes. The gate must come to the same verdict however the bytes are cut into
// pieces, since the network decides that; a form read back must be the fields that were sent;
// and a picture's name must never leave the upload folder.

#include "FuzzCheck.h"
#include "web/FormData.h"
#include "web/RequestGate.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool Allowed(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' ||
           c == '-' || c == '_' || c == '.';
}

void CheckPictureName(std::string_view browserName) {
    const std::string name = SafePictureName(browserName);
    if (name.empty())
        return;
    FUZZ_CHECK(name.size() <= 64);
    FUZZ_CHECK(name.front() != '.' && name.front() != ' ');
    for (const char c : name)
        FUZZ_CHECK(Allowed(c)); // so never '/', '\\' or a control character
    const std::string_view extension = std::string_view(name).substr(name.rfind('.') + 1);
    FUZZ_CHECK(extension == "gif" || extension == "bmp" || extension == "png" ||
               extension == "jpg" || extension == "jpeg" || extension == "ico");
}

std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

struct TGateResult {
    TGateVerdict Verdict;
    int Status;
    std::size_t Requests;
    bool InRequest;
    bool operator==(const TGateResult&) const = default;
};

// Small limits, so that short inputs reach them too.
constexpr TGateLimits kLimits{256, 128};

TGateResult Gate(std::string_view bytes, const std::vector<std::size_t>& cuts) {
    TRequestGate gate(kLimits);
    TGateVerdict verdict = TGateVerdict::Pass;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        verdict = gate.Feed(bytes.substr(from, cut - from));
        from = cut;
    }
    verdict = gate.Feed(bytes.substr(from));
    const int status = verdict == TGateVerdict::Refused ? gate.Status() : 0;
    return {verdict, status, gate.RequestsSeen(), gate.InRequest()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto fields = ParseUrlEncoded(text)) {
        FUZZ_CHECK(fields->size() <= kMaxFormFields);
        std::string again;
        for (const auto& [name, value] : *fields) {
            FUZZ_CHECK(IsUtf8(name) && IsUtf8(value));
            again += (again.empty() ? "" : "&") + Escaped(name) + "=" + Escaped(value);
        }
        const auto read = ParseUrlEncoded(again);
        FUZZ_CHECK(read && *read == *fields);
    }

    const TFormFields cookies = ParseCookies(text);
    FUZZ_CHECK(cookies.size() <= kMaxFormFields);

    // The content type is the first line, the body the rest.
    const std::size_t newline = text.find('\n');
    const std::string_view contentType = text.substr(0, newline);
    const std::string_view body =
        newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (const auto form = ParseMultipart(contentType, body)) {
        FUZZ_CHECK(form->Fields.size() <= kMaxFormFields);
        for (const auto& [name, value] : form->Fields)
            FUZZ_CHECK(IsUtf8(name) && IsUtf8(value));
        FUZZ_CHECK(form->HasFile || (form->FileName.empty() && form->FileBytes.empty()));
        FUZZ_CHECK(body.find(form->FileBytes) != std::string_view::npos);
        CheckPictureName(form->FileName);
    }
    CheckPictureName(text);

    // The gate: the bytes in one piece, one at a time, and cut where the last bytes say.
    const TGateResult whole = Gate(text, {});
    if (size >= 4) {
        const std::size_t length = size - 4;
        std::size_t first = (data[length] | data[length + 1] << 8) % (length + 1);
        std::size_t second = (data[length + 2] | data[length + 3] << 8) % (length + 1);
        if (first > second)
            std::swap(first, second);
        const std::string_view request = text.substr(0, length);
        FUZZ_CHECK(Gate(request, {first, second}) == Gate(request, {}));
    }
    if (size <= 1024) {
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < size; ++i)
            everyByte.push_back(i);
        FUZZ_CHECK(Gate(text, everyByte) == whole);
    }
    return 0;
}
