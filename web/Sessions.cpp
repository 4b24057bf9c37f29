#include "web/Sessions.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>

std::string TWebSessions::RandomName() {
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    std::string name;
    constexpr char kHex[] = "0123456789abcdef";
    for (quint32 word : words)
        for (int shift = 28; shift >= 0; shift -= 4)
            name += kHex[(word >> shift) & 0xF];
    return name;
}

void TWebSessions::Forget(TClock::time_point now) {
    std::erase_if(FSessions, [now](const auto& entry) { return entry.second.Expires <= now; });
    while (FSessions.size() >= kMaxSessions) {
        const auto oldest =
            std::min_element(FSessions.begin(), FSessions.end(), [](const auto& a, const auto& b) {
                // Logged-in sessions outlive anonymous ones.
                return std::pair(a.second.LoggedIn, a.second.Expires) <
                       std::pair(b.second.LoggedIn, b.second.Expires);
            });
        FSessions.erase(oldest);
    }
    std::erase_if(FFailures, [now](const auto& entry) {
        return entry.second.LockedUntil <= now && now - entry.second.First >= kLockTime;
    });
}

const TWebSessions::TSession* TWebSessions::Find(std::string_view name, TClock::time_point now) {
    const auto found = FSessions.find(name);
    if (found == FSessions.end())
        return nullptr;
    if (found->second.Expires <= now) {
        FSessions.erase(found);
        return nullptr;
    }
    return &found->second;
}

std::string TWebSessions::Open(TClock::time_point now) {
    Forget(now);
    std::string name = RandomName();
    FSessions[name] = {RandomName(), false, now + kAnonymousLife};
    return name;
}

std::string TWebSessions::LogIn(std::string_view name, TClock::time_point now) {
    End(name);
    Forget(now);
    std::string fresh = RandomName();
    FSessions[fresh] = {RandomName(), true, now + kLoggedInLife};
    return fresh;
}

void TWebSessions::End(std::string_view name) {
    if (const auto found = FSessions.find(name); found != FSessions.end())
        FSessions.erase(found);
}

bool TWebSessions::TokenMatches(const TSession& session, std::string_view token) {
    const std::string& expected = session.Token;
    unsigned difference = expected.size() ^ token.size();
    for (std::size_t i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i]) ^
                      static_cast<unsigned char>(i < token.size() ? token[i] : 0);
    return difference == 0 && !expected.empty();
}

bool TWebSessions::Locked(const std::string& address, TClock::time_point now) {
    const auto found = FFailures.find(address);
    return found != FFailures.end() && found->second.LockedUntil > now;
}

void TWebSessions::LoginFailed(const std::string& address, TClock::time_point now) {
    Forget(now);
    TFailures& failures = FFailures[address];
    if (failures.Count == 0 || now - failures.First >= kLockTime)
        failures = {0, now, {}};
    if (++failures.Count >= kFailuresAllowed) {
        failures.LockedUntil = now + kLockTime;
        failures.Count = 0;
    }
}
