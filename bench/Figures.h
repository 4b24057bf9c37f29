#pragma once

// How the whole-program benchmarks report: "name value unit" lines, one per line, for their
// scripts to tabulate, and the percentiles those lines carry.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using TClock = std::chrono::steady_clock;

inline double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

inline void Print(const char* name, double value, const char* unit) {
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

inline double Percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
}
