#pragma once

#include "engine/dsp/Biquad.h"
#include "engine/dsp/BiquadDesign.h"
#include "engine/dsp/WaveformTables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// The drive modes: waveform blends inside the oscillator, saturating distortions after it
// or after the attack layers, and a hard clipper before the equaliser.
namespace DriveMode
{
inline constexpr int legacyDist = -2; // DIST as V1.1 played it
inline constexpr int none = -1;       // drive 0 at note start
inline constexpr int dist = 0;
inline constexpr int thirdHarmonic = 2;
inline constexpr int dirty = 4; // the stepped sine
inline constexpr int post = 9;
inline constexpr int clipper = 10;

// Table for each oscillator-stage mode: 1 to 5 are the waveform tables, 0 the stepped
// sine, -1 none.
[[nodiscard]] constexpr int tableFor (int mode) noexcept
{
    switch (mode)
    {
        case 3: return 1;
        case 5: return 2;
        case 6: return 3; // WT-C
        case 7: return 4; // HUM
        case 8: return 5;
        case dirty: return 0;
        default: return -1;
    }
}

// Fixed for the whole note when it starts. Drive 0 disables every mode; compatibility
// mode 1 replaces DIST by its legacy form.
[[nodiscard]] inline int forNote (float drive, float modeValue, int compatibilityMode) noexcept
{
    if (drive == 0.0f)
        return none;
    const int mode = (int) std::clamp (std::trunc (modeValue), -1000.0f, 1000.0f);
    return (compatibilityMode == 1 && mode == dist) ? legacyDist : mode;
}
} // namespace DriveMode

namespace DriveStages
{
// Soft saturation: sign(y) * (1 - e^-|y|) with y = (1 + drive) * x.
[[nodiscard]] inline float saturate (float x, float drive) noexcept
{
    const float y = (1.0f + drive) * x;
    const float magnitude = 1.0f - std::exp (-std::abs (y));
    return y < 0.0f ? -magnitude : (y > 0.0f ? magnitude : 0.0f);
}

// The same curve after the attack layers, in double from single-precision exponentials.
[[nodiscard]] inline float postSaturate (float value, float drive) noexcept
{
    const float y = (1.0f + drive) * value;
    const double magnitude = 1.0 - (double) std::exp (-std::abs (y));
    return (float) (value < 0.0f ? -magnitude : (value > 0.0f ? magnitude : 0.0));
}

// Clamp to +-(1 - drive / 8). Drive above 8 would give an empty range; its limit, 0,
// silences instead.
[[nodiscard]] inline float clip (float value, float drive) noexcept
{
    const float limit = std::max (1.0f - drive * 0.125f, 0.0f);
    return std::clamp (value, -limit, limit);
}

// Linear interpolation in a table at the oscillator angle. The angle becomes a 32-bit
// phase word (angles up to 4 pi wrap modulo 2^32); its top 12 bits index the table and
// its low 20 bits are the fraction.
[[nodiscard]] inline double lookUp (const WaveformTable& table, float angle) noexcept
{
    const auto word = (std::uint32_t) (std::int64_t) ((double) angle * 683565275.4172767);
    const auto index = (size_t) (word >> 20);
    const double fraction = (double) (word & 0xfffffu) * (1.0 / 1048576.0);
    return table[index] + fraction * (table[index + 1] - table[index]);
}

// Cosine weight 1 - D/6, table weight D/6.
[[nodiscard]] inline float blend (float s, const WaveformTable& table, float angle, float driveOver6) noexcept
{
    return s * (1.0f - driveOver6) + (float) lookUp (table, angle) * driveOver6;
}

// Mode 2: a third harmonic mixed in.
[[nodiscard]] inline float addThirdHarmonic (float s, float angle, float driveOver6) noexcept
{
    return s + std::cos (3.0f * angle) * driveOver6;
}
} // namespace DriveStages

// DIST under compatibility mode 1: a tanh stage whose drive eases off between 20 and
// 180 ms, a threshold stage, and a 250 Hz high-passed copy of the result added to the
// tanh stage's output.
class LegacyDistortion
{
public:
    void reset() noexcept { highPass.clear(); }
    void prepare (double sampleRate) noexcept { prepare (filterFor (sampleRate)); }
    void prepare (const BiquadCoefficients& coefficients) noexcept { highPass.setCoefficients (coefficients); }
    [[nodiscard]] static BiquadCoefficients filterFor (double sampleRate) noexcept
    {
        return BiquadDesign::highPass (250.0, sampleRate);
    }

    float process (float x, float drive, double timeMs) noexcept
    {
        const float g =
            timeMs < 20.0 ? 1.0f : (timeMs - 20.0 > 160.0 ? 0.0f : (float) (1.0 - (timeMs - 20.0) * 0.00625));
        const float v = (0.5f * g + 0.5f) * drive + 1.0f;
        // tanh(v x) / tanh(v) tends to x as v goes to 0 (drive -1 and below).
        const float norm = std::tanh (v);
        const float shaped = norm != 0.0f ? std::tanh (v * x) / norm : x;

        const float y = shaped * (drive + 1.0f);
        const float m = std::min (drive, 0.6f);
        const float thresholded =
            y > 0.0f ? std::max (0.0f, (y - m) / (1.0f - m)) : std::min (y + m, 0.0f) / (1.0f - m);
        const float z = drive > 1.0f ? std::clamp (thresholded * drive, -1.0f, 1.0f) : thresholded;
        return highPass.process (z) + shaped;
    }

private:
    Biquad highPass;
};
