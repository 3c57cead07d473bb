#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Onset gain: raises (or for negative punch lowers) the first 18 ms of the kick by about
// punch * 100 %, returning to unity along 0.3^(n / N18).
class Punch
{
public:
    void start (double punch, double sampleRate) noexcept
    {
        factor = (punch + 1.0) * 1.4285714285714286 - 1.4285714285714286;
        const double samples = std::trunc (0.018 * sampleRate);
        length = std::isnan (samples) ? 0 : (std::int64_t) std::clamp (samples, 0.0, 1.0e15);
        multiplier = length > 0 ? std::pow (2.0, -1.7369655941662063 / (double) length) : 1.0;
        value = 1.0;
    }

    [[nodiscard]] bool isActive (std::int64_t sampleCounter) const noexcept { return sampleCounter < length; }

    // Call once per sample while active.
    [[nodiscard]] double nextGain() noexcept
    {
        value *= multiplier;
        return value * factor + (1.0 - 0.3 * factor);
    }

private:
    double factor = 0.0;
    std::int64_t length = 0;
    double multiplier = 1.0;
    double value = 1.0;
};
