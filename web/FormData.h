#pragma once

// What the service reads from requests itself: form bodies, cookies, and the one file of an
// upload. Every reader is bounded and takes any bytes; what it cannot read whole it refuses.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

using TFormFields = std::map<std::string, std::string, std::less<>>;

// application/x-www-form-urlencoded: "+" and %XX decoded; nullopt for a broken escape, a name
// given twice, more than kMaxFormFields fields, or a name or value that is not UTF-8.
constexpr std::size_t kMaxFormFields = 200;
std::optional<TFormFields> ParseUrlEncoded(std::string_view body);

// A Cookie header's name=value pairs; a pair without "=" is skipped, the first of a name kept.
TFormFields ParseCookies(std::string_view header);

struct TUploadForm {
    TFormFields Fields;   // the parts without a file name
    std::string FileName; // as the browser gave it
    std::string FileBytes;
    bool HasFile = false;
};

// multipart/form-data with its boundary from `contentType`; nullopt for anything not framed as
// such, or with more than one file.
std::optional<TUploadForm> ParseMultipart(std::string_view contentType, std::string_view body);

// The name an uploaded picture is kept under: the browser's name without any folder, of
// letters, digits, blanks, "-", "_" and ".", not starting with a dot, at most 64 characters,
// and ending in an extension the picture reader takes (kept in lower case). Empty when nothing
// usable is left.
std::string SafePictureName(std::string_view browserName);

bool IsUtf8(std::string_view text);
