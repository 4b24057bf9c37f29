#include "core/MessageLog.h"

#include <cstdio>
#include <deque>

namespace {

std::deque<TLoggedLine>& Kept() {
    static std::deque<TLoggedLine> lines;
    return lines;
}

} // namespace

void LogLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "tallivue: %s\n", line.c_str());
    std::fflush(stderr);
    auto& kept = Kept();
    kept.push_back({std::chrono::system_clock::now(), std::move(line)});
    if (kept.size() > kKeptLines)
        kept.pop_front();
}

std::vector<TLoggedLine> RecentLines() {
    return {Kept().begin(), Kept().end()};
}
