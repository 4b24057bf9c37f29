#pragma once

#include <string>
#include <vector>

// The splitting rules of the controller's datagrams read one character at a time, as plainly as
// they are stated: the reference the fast splitter must agree with.
inline std::vector<std::string> ReferenceSplit(const std::string& text) {
    const std::string body = text.substr(0, text.find('\0'));
    auto blank = [](char c) {
        return c >= 1 && c <= 32;
    };
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < body.size() && blank(body[i]))
        ++i;
    while (i < body.size()) {
        std::string value;
        if (body[i] == '"') {
            for (++i; i < body.size(); ++i) {
                if (body[i] == '"') {
                    if (i + 1 < body.size() && body[i + 1] == '"') {
                        value += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += body[i];
            }
        } else {
            while (i < body.size() && body[i] != ',' && !blank(body[i]))
                value += body[i++];
        }
        fields.push_back(value);
        while (i < body.size() && blank(body[i]))
            ++i;
        if (i < body.size() && body[i] == ',') {
            ++i;
            while (i < body.size() && blank(body[i]))
                ++i;
        }
    }
    return fields;
}
