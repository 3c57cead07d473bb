#pragma once

#include <bit>
#include <cstdint>
#include <tuple>

// The last result of a pure function together with its arguments, compared bit for bit
// (so that -0 and NaN count as the arguments they are). The voice designs its filters once
// per render call from knobs that are mostly at rest; their trigonometry then runs only
// when a knob or the sample rate moves.
template <typename Result, typename... Args>
class Memo
{
public:
    template <typename Function>
    [[nodiscard]] const Result& get (Function&& compute, Args... args) noexcept
    {
        const Key key{ bits (args)... };
        if (! valid || key != lastKey)
        {
            lastResult = compute (args...);
            lastKey = key;
            valid = true;
        }
        return lastResult;
    }

private:
    static std::uint32_t bits (float v) noexcept { return std::bit_cast<std::uint32_t> (v); }
    static std::uint64_t bits (double v) noexcept { return std::bit_cast<std::uint64_t> (v); }
    using Key = std::tuple<decltype (bits (Args{}))...>;

    Key lastKey{};
    Result lastResult{};
    bool valid = false;
};
