#pragma once

// Four single-precision values handled as one: every operator acts on each lane exactly as
// the scalar operator acts on a float (IEEE single precision, same rounding), so a lane's
// result is bit-identical to the scalar computation, while the compiler emits one vector
// instruction per operator (SSE on x86-64).
using Lanes = float __attribute__ ((vector_size (16)));

// Stereo pairs in lanes 0-1 and 2-3: {a0, a1, b0, b1}; {a0, a1, b2, b3}; {a2, a3, a0, a1}.
[[nodiscard]] inline Lanes joinPairs (Lanes a, Lanes b) noexcept { return __builtin_shufflevector (a, b, 0, 1, 4, 5); }
[[nodiscard]] inline Lanes mixPairs (Lanes a, Lanes b) noexcept { return __builtin_shufflevector (a, b, 0, 1, 6, 7); }
[[nodiscard]] inline Lanes swapPairs (Lanes a) noexcept { return __builtin_shufflevector (a, a, 2, 3, 0, 1); }
