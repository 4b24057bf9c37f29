#include "web/FormData.h"
#include "web/HttpText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (text.size() - i < 3)
                return std::nullopt;
            const int high = HexDigit(text[i + 1]);
            const int low = HexDigit(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    if (!IsUtf8(out))
        return std::nullopt;
    return out;
}

// A parameter of a header value such as `form-data; name="x"; filename="y"`, quotes removed.
std::optional<std::string> Parameter(std::string_view value, std::string_view wanted) {
    std::size_t at = value.find(';');
    while (at != std::string_view::npos) {
        value.remove_prefix(at + 1);
        const std::size_t next = value.find(';');
        std::string_view item = Trimmed(value.substr(0, next));
        const std::size_t equals = item.find('=');
        if (equals != std::string_view::npos && Lower(Trimmed(item.substr(0, equals))) == wanted) {
            std::string_view text = Trimmed(item.substr(equals + 1));
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
                text = text.substr(1, text.size() - 2);
            return std::string(text);
        }
        at = next;
    }
    return std::nullopt;
}

} // namespace

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= static_cast<std::size_t>(more))
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

std::optional<TFormFields> ParseUrlEncoded(std::string_view body) {
    TFormFields fields;
    while (!body.empty()) {
        const std::size_t end = body.find('&');
        const std::string_view pair = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        auto name = Unescaped(pair.substr(0, equals));
        auto value = Unescaped(equals == std::string_view::npos ? std::string_view()
                                                                : pair.substr(equals + 1));
        if (!name || !value || fields.size() >= kMaxFormFields ||
            !fields.emplace(std::move(*name), std::move(*value)).second)
            return std::nullopt;
    }
    return fields;
}

TFormFields ParseCookies(std::string_view header) {
    TFormFields cookies;
    while (!header.empty()) {
        const std::size_t end = header.find(';');
        const std::string_view pair = Trimmed(header.substr(0, end));
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || cookies.size() >= kMaxFormFields)
            continue;
        cookies.emplace(std::string(Trimmed(pair.substr(0, equals))),
                        std::string(Trimmed(pair.substr(equals + 1))));
    }
    return cookies;
}

std::optional<TUploadForm> ParseMultipart(std::string_view contentType, std::string_view body) {
    if (Lower(Trimmed(contentType.substr(0, contentType.find(';')))) != "multipart/form-data")
        return std::nullopt;
    const auto boundary = Parameter(contentType, "boundary");
    if (!boundary || boundary->empty() || boundary->size() > 200)
        return std::nullopt;
    const std::string delimiter = "--" + *boundary;
    if (body.substr(0, delimiter.size()) != delimiter)
        return std::nullopt;
    body.remove_prefix(delimiter.size());
    const std::string separator = "\r\n" + delimiter;
    TUploadForm form;
    std::size_t parts = 0;
    while (true) {
        if (body.substr(0, 2) == "--")
            return form; // the closing delimiter
        if (body.substr(0, 2) != "\r\n" || ++parts > kMaxFormFields)
            return std::nullopt;
        body.remove_prefix(2);
        const std::size_t headEnd = body.find("\r\n\r\n");
        const std::size_t partEnd = body.find(separator);
        if (headEnd == std::string_view::npos || partEnd == std::string_view::npos ||
            headEnd > partEnd)
            return std::nullopt;
        std::string_view head = body.substr(0, headEnd);
        const std::string_view content = body.substr(headEnd + 4, partEnd - headEnd - 4);
        body.remove_prefix(partEnd + separator.size());

        std::optional<std::string> name;
        std::optional<std::string> fileName;
        while (!head.empty()) {
            const std::size_t end = head.find("\r\n");
            const std::string_view line = head.substr(0, end);
            head = end == std::string_view::npos ? std::string_view() : head.substr(end + 2);
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos)
                return std::nullopt;
            if (Lower(Trimmed(line.substr(0, colon))) != "content-disposition")
                continue;
            const std::string_view value = line.substr(colon + 1);
            if (Lower(Trimmed(value.substr(0, value.find(';')))) != "form-data")
                return std::nullopt;
            name = Parameter(value, "name");
            fileName = Parameter(value, "filename");
        }
        if (!name || !IsUtf8(*name))
            return std::nullopt;
        if (fileName) {
            if (form.HasFile)
                return std::nullopt;
            form.HasFile = true;
            form.FileName = *fileName;
            form.FileBytes = std::string(content);
        } else if (!IsUtf8(content) || !form.Fields.emplace(*name, std::string(content)).second) {
            return std::nullopt;
        }
    }
}

std::string SafePictureName(std::string_view browserName) {
    // Browsers send the base name; older ones sent the whole path, with either separator.
    const std::size_t slash = browserName.find_last_of("/\\");
    if (slash != std::string_view::npos)
        browserName.remove_prefix(slash + 1);
    std::string name;
    for (const char c : browserName)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-' || c == '_' ||
            c == '.')
            name += c;
    while (!name.empty() && (name.front() == '.' || name.front() == ' '))
        name.erase(0, 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    const std::string extension = Lower(name.substr(dot + 1));
    constexpr std::array<std::string_view, 6> kExtensions{"gif", "bmp",  "png",
                                                          "jpg", "jpeg", "ico"};
    if (std::find(kExtensions.begin(), kExtensions.end(), extension) == kExtensions.end())
        return {};
    std::string stem = name.substr(0, dot);
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem.empty())
        return {};
    constexpr std::size_t kMaxName = 64;
    stem.resize(std::min(stem.size(), kMaxName - extension.size() - 1));
    return stem + "." + extension;
}
