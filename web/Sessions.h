#pragma once

// Who is logged in to the settings pages. A session is a random name in an HttpOnly cookie; each
// holds a random token that every form it is shown carries back, so that another site's page
// cannot send one. A browser gets a session before it logs in, for the login form's token, and a
// new one when it logs in. Failed logins are counted per address: the fifth within a minute
// locks the address out for a minute.

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

class TWebSessions {
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kAnonymousLife{30};
    static constexpr std::chrono::hours kLoggedInLife{8};
    static constexpr std::size_t kMaxSessions = 256; // the oldest goes first beyond these
    static constexpr int kFailuresAllowed = 5;
    static constexpr std::chrono::minutes kLockTime{1};

    struct TSession {
        std::string Token; // the forms' token
        bool LoggedIn = false;
        TClock::time_point Expires;
    };

    // The session of `name` while it lasts, or nullptr.
    const TSession* Find(std::string_view name, TClock::time_point now);
    // A new session, not logged in; returns its name.
    std::string Open(TClock::time_point now);
    // Ends `name` (if any) and opens a logged-in session in its place; returns the new name.
    std::string LogIn(std::string_view name, TClock::time_point now);
    void End(std::string_view name);

    // The token a form carried, compared in time that does not depend on where they differ.
    static bool TokenMatches(const TSession& session, std::string_view token);

    bool Locked(const std::string& address, TClock::time_point now);
    void LoginFailed(const std::string& address, TClock::time_point now);
    void LoginSucceeded(const std::string& address) { FFailures.erase(address); }

    static std::string RandomName(); // 32 random bytes as hexadecimal

private:
    struct TFailures {
        int Count = 0;
        TClock::time_point First;
        TClock::time_point LockedUntil;
    };

    void Forget(TClock::time_point now);

    std::map<std::string, TSession, std::less<>> FSessions;
    std::map<std::string, TFailures> FFailures;
};
