#pragma once

#include <algorithm>
#include <vector>

// The fastest repetition: on a shared, noisy machine the figure that repeats.
inline double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}
