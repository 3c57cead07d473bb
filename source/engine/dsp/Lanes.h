#pragma once

#include <cstring>

// Four single-precision values handled as one: every operator acts on each lane exactly as
// the scalar operator acts on a float (IEEE single precision, same rounding), so a lane's
// result is bit-identical to the scalar computation, while the compiler emits one vector
// instruction per operator (SSE on x86-64).
using Lanes = float __attribute__ ((vector_size (16)));
using DoubleLanes = double __attribute__ ((vector_size (16)));
using LaneBits = unsigned int __attribute__ ((vector_size (16)));

// Stereo pairs in lanes 0-1 and 2-3: {a0, a1, b0, b1}; {a0, a1, b2, b3}; {a2, a3, a0, a1}.
[[nodiscard]] inline Lanes joinPairs (Lanes a, Lanes b) noexcept { return __builtin_shufflevector (a, b, 0, 1, 4, 5); }
[[nodiscard]] inline Lanes mixPairs (Lanes a, Lanes b) noexcept { return __builtin_shufflevector (a, b, 0, 1, 6, 7); }
[[nodiscard]] inline Lanes swapPairs (Lanes a) noexcept { return __builtin_shufflevector (a, a, 2, 3, 0, 1); }

// Four consecutive floats, at any alignment.
[[nodiscard]] inline Lanes loadLanes (const float* source) noexcept
{
    Lanes v;
    std::memcpy (&v, source, sizeof (v));
    return v;
}

inline void storeLanes (float* destination, Lanes v) noexcept { std::memcpy (destination, &v, sizeof (v)); }

[[nodiscard]] inline DoubleLanes loadLanes (const double* source) noexcept
{
    DoubleLanes v;
    std::memcpy (&v, source, sizeof (v));
    return v;
}

inline void storeLanes (double* destination, DoubleLanes v) noexcept { std::memcpy (destination, &v, sizeof (v)); }

// Four doubles from two pairs, each rounded to single precision as a cast would.
[[nodiscard]] inline Lanes toSingle (DoubleLanes low, DoubleLanes high) noexcept
{
    using Pair = float __attribute__ ((vector_size (8)));
    const auto a = __builtin_convertvector(low, Pair);
    const auto b = __builtin_convertvector(high, Pair);
    return __builtin_shufflevector (a, b, 0, 1, 2, 3);
}

// Two floats widened to double, as a cast would.
[[nodiscard]] inline DoubleLanes toDouble (float a, float b) noexcept { return DoubleLanes{ (double) a, (double) b }; }

// -|x|: the sign bit set, as negating std::abs does.
[[nodiscard]] inline Lanes negativeMagnitude (Lanes x) noexcept { return (Lanes) ((LaneBits) x | 0x80000000u); }

// Frames {a0, a0, b0, b0}, {a1, a1, b1, b1}, ... of two runs of four values.
inline void interleavePairs (Lanes a, Lanes b, Lanes* frames) noexcept
{
    const auto low = __builtin_shufflevector (a, b, 0, 4, 1, 5);
    const auto high = __builtin_shufflevector (a, b, 2, 6, 3, 7);
    frames[0] = __builtin_shufflevector (low, low, 0, 0, 1, 1);
    frames[1] = __builtin_shufflevector (low, low, 2, 2, 3, 3);
    frames[2] = __builtin_shufflevector (high, high, 0, 0, 1, 1);
    frames[3] = __builtin_shufflevector (high, high, 2, 2, 3, 3);
}

// Frames {a0, b0, c0, d0}, {a1, b1, c1, d1}, ... of four runs of four values.
inline void transposeFour (Lanes a, Lanes b, Lanes c, Lanes d, Lanes* frames) noexcept
{
    const auto ab01 = __builtin_shufflevector (a, b, 0, 4, 1, 5);
    const auto ab23 = __builtin_shufflevector (a, b, 2, 6, 3, 7);
    const auto cd01 = __builtin_shufflevector (c, d, 0, 4, 1, 5);
    const auto cd23 = __builtin_shufflevector (c, d, 2, 6, 3, 7);
    frames[0] = joinPairs (ab01, cd01);
    frames[1] = __builtin_shufflevector (ab01, cd01, 2, 3, 6, 7);
    frames[2] = joinPairs (ab23, cd23);
    frames[3] = __builtin_shufflevector (ab23, cd23, 2, 3, 6, 7);
}
