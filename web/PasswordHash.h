#pragma once

// The front desk's password as the settings keep it: PBKDF2 with SHA-256 over a random salt,
// written "pbkdf2-sha256$<iterations>$<salt>$<key>" (salt and key in base 64); never the
// password itself.

#include <string>
#include <string_view>

std::string HashWebPassword(std::string_view password);
// False also for a stored text that is no such hash.
bool WebPasswordMatches(std::string_view stored, std::string_view password);
// Long enough to be worth a lock: the settings pages refuse shorter ones.
constexpr std::size_t kMinWebPasswordLength = 8;
