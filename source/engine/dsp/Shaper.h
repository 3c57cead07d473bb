#pragma once

// Amplitude shaper: a dip of depth `cut` centred at `position` ms whose half-width is
// `width` ms (halved in TOUGH mode), computed in extended precision.
namespace Shaper
{
[[nodiscard]] inline long double gain (float cut, float position, float width, bool tough, double timeMs) noexcept
{
    const long double halfWidth = (long double) width / (tough ? 2.0L : 1.0L);
    const long double offset = (long double) timeMs - (long double) position;
    // A width of 0 narrows the dip to the single instant t = position.
    if (halfWidth == 0.0L)
        return offset == 0.0L ? 1.0L - (long double) cut : 1.0L;
    const long double z = offset / halfWidth;
    return 1.0L - (long double) cut / (z * z + 1.0L);
}
} // namespace Shaper
