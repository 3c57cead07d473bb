#pragma once

#include "engine/dsp/Biquad.h"

// Coefficient design for the kick's filters. Every term is computed in double, rounded to
// single precision and then multiplied by the single-precision reciprocal of a0, so that
// the same settings always give bit-identical filters.
namespace BiquadDesign
{
// High-pass with a quality factor of 0.7 (attack layers, legacy distortion). A cutoff of
// zero or below is a high-pass that passes everything: the identity.
[[nodiscard]] BiquadCoefficients highPass (double cutoff, double sampleRate) noexcept;

// Shelf at a fixed 2 kHz raising or lowering the highs by gainDb.
[[nodiscard]] BiquadCoefficients hiShelf (double gainDb, double sampleRate) noexcept;

// Peaking filter two octaves wide at frequency, gainDb at its centre. Where the bandwidth
// has no finite value (a frequency of zero or below, or on a multiple of the Nyquist
// frequency) the filter is bypassed.
[[nodiscard]] BiquadCoefficients peaking (double gainDb, double frequency, double sampleRate) noexcept;

// 10^(dB / 40), written as the power of two the filters are defined with.
[[nodiscard]] double shelfAmplitude (double gainDb) noexcept;
} // namespace BiquadDesign
