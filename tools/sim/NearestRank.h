#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

/// Nearest rank, the one percentile of every figure of the simulator: the
/// ceil(percent * n / 100)-th smallest of n values, the smallest for percent 0, the largest
/// for 100; a value-initialised T (0) for no values. The rank is an integer ceiling, so that
/// no rounding of percent * n / 100 can move it.
template <typename T> T nearestRankPercentile(std::vector<T> values, int percent) {
    if (values.empty()) {
        return T();
    }
    const std::size_t n = values.size();
    const std::size_t clamped = static_cast<std::size_t>(std::clamp(percent, 0, 100));
    const std::size_t rank = std::max<std::size_t>((clamped * n + 99) / 100, 1);
    std::nth_element(values.begin(), values.begin() + static_cast<long>(rank - 1), values.end());
    return values[rank - 1];
}
