#pragma once

// The small text rules that HTTP's header fields, cookies and form parts share.

#include <string>
#include <string_view>

// Without the blanks and tabs around it, as header values and cookie pairs are compared.
std::string_view Trimmed(std::string_view text);

// In ASCII lower case, for the names HTTP compares regardless of case.
std::string Lower(std::string_view text);
