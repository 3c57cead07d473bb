#pragma once

#include <cmath>
#include <cstdint>

// Linear per-block glide of one parameter for the live voices. Within a host block of n
// samples the value at sample k is c + k * (v - c) / n, where c is where the previous block
// ended and v the parameter's value when the ramp is first read in this block; both live
// voices share the result. Touched only by the audio thread (and by prepareToPlay).
class SmoothingRamp
{
public:
    void snapTo (float value) noexcept
    {
        start = end = value;
        step = 0.0f;
    }

    [[nodiscard]] float valueAt (int sampleIndex, float currentValue, int blockSize, std::uint64_t block) noexcept
    {
        if (preparedBlock != block)
        {
            preparedBlock = block;
            start = end;
            end = currentValue;
            step = blockSize > 0 ? (end - start) / (float) blockSize : 0.0f;
        }
        const auto value = start + (float) sampleIndex * step;
        if (std::isfinite (value))
            return value;
        // Between two far-apart stored values (-3e38 to 3e38) the difference overflows a float.
        return (float) (start + sampleIndex * (((double) end - (double) start) / blockSize));
    }

    [[nodiscard]] float getEndValue() const noexcept { return end; }

private:
    float start = 0.0f;
    float end = 0.0f;
    float step = 0.0f;
    std::uint64_t preparedBlock = 0;
};
