#include "web/RequestGate.h"
#include "web/HttpText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
    });
}

// 0 for a method served, else the status that refuses it.
int MethodStatus(std::string_view method) {
    for (std::string_view served : {"GET", "HEAD", "POST"})
        if (method == served)
            return 0;
    for (std::string_view known : {"PUT", "DELETE", "PATCH", "OPTIONS", "TRACE", "CONNECT"})
        if (method == known)
            return 405;
    return 501;
}

} // namespace

TGateVerdict TRequestGate::Refuse(int status) {
    FState = TState::Refused;
    FStatus = status;
    FHead.clear();
    return TGateVerdict::Refused;
}

TGateVerdict TRequestGate::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        switch (FState) {
        case TState::Refused:
            return TGateVerdict::Refused;
        case TState::Upgraded:
            return TGateVerdict::Upgraded;
        case TState::Body: {
            const std::size_t taken = std::min(FBodyLeft, bytes.size());
            FBodyLeft -= taken;
            bytes.remove_prefix(taken);
            if (FBodyLeft == 0) {
                ++FRequests;
                FState = TState::Head;
            }
            break;
        }
        case TState::Head: {
            // Empty lines between requests are allowed before a request line.
            if (FHead.empty()) {
                while (!bytes.empty() && (bytes.front() == '\r' || bytes.front() == '\n'))
                    bytes.remove_prefix(1);
                if (bytes.empty())
                    break;
            }
            // The end of the head may straddle two pieces: look from a little before the new.
            const std::size_t from = FHead.size() < 3 ? 0 : FHead.size() - 3;
            const std::size_t room = FLimits.HeadBytes - FHead.size();
            const std::size_t look = std::min(bytes.size(), room);
            FHead.append(bytes.substr(0, look));
            const std::size_t end = FHead.find("\r\n\r\n", from);
            if (end == std::string::npos) {
                if (look < bytes.size() || FHead.size() >= FLimits.HeadBytes)
                    return Refuse(431);
                bytes.remove_prefix(look);
                break;
            }
            const std::size_t headLength = end + 4;
            bytes.remove_prefix(look - (FHead.size() - headLength));
            FHead.resize(headLength);
            if (const TGateVerdict verdict = EndOfHead(); verdict != TGateVerdict::Pass)
                return verdict;
            break;
        }
        }
    }
    if (FState == TState::Refused)
        return TGateVerdict::Refused;
    return FState == TState::Upgraded ? TGateVerdict::Upgraded : TGateVerdict::Pass;
}

TGateVerdict TRequestGate::EndOfHead() {
    std::string_view head(FHead);
    head.remove_suffix(4);
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    std::string_view fields =
        lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 2);

    const std::size_t space1 = requestLine.find(' ');
    const std::size_t space2 = requestLine.rfind(' ');
    if (space1 == std::string_view::npos || space1 == space2)
        return Refuse(400);
    const std::string_view method = requestLine.substr(0, space1);
    const std::string_view target = requestLine.substr(space1 + 1, space2 - space1 - 1);
    const std::string_view version = requestLine.substr(space2 + 1);
    if (!IsToken(method) || target.empty() || target.find(' ') != std::string_view::npos ||
        version.substr(0, 5) != "HTTP/")
        return Refuse(400);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return Refuse(505);
    if (const int status = MethodStatus(method))
        return Refuse(status);

    std::optional<std::size_t> length;
    bool upgrade = false;
    while (!fields.empty()) {
        const std::size_t end = fields.find("\r\n");
        const std::string_view line = fields.substr(0, end);
        fields = end == std::string_view::npos ? std::string_view() : fields.substr(end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || !IsToken(line.substr(0, colon)))
            return Refuse(400); // also a folded line, which no client of ours sends
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = Trimmed(line.substr(colon + 1));
        if (SameLetters(name, "Content-Length")) {
            std::size_t number = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
                (length && *length != number))
                return Refuse(400);
            length = number;
        } else if (SameLetters(name, "Transfer-Encoding")) {
            // A body must say its length first, so that its size is known before it comes.
            return Refuse(411);
        } else if (SameLetters(name, "Upgrade")) {
            upgrade = SameLetters(value, "websocket");
        }
    }
    FHead.clear();
    if (upgrade && method == "GET" && !length) {
        ++FRequests;
        FState = TState::Upgraded;
        return TGateVerdict::Upgraded;
    }
    if (length && *length > FLimits.BodyBytes)
        return Refuse(413);
    if (length && *length > 0) {
        FBodyLeft = *length;
        FState = TState::Body;
    } else {
        ++FRequests;
    }
    return TGateVerdict::Pass;
}

const char* ReasonPhrase(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 409:
        return "Conflict";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}
