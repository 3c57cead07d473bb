#pragma once

#include <array>

// Single-cycle waveforms that the table drive modes blend into the body oscillator.
// Each table holds one cycle in 4096 points plus a copy of point 0 at the end, the upper
// neighbour that interpolation reads at the last point.
inline constexpr int waveformTableLength = 4096;
inline constexpr int waveformTableCount = 5;

using WaveformTable = std::array<double, waveformTableLength + 1>;
using WaveformTableSet = std::array<WaveformTable, waveformTableCount>;

// The five tables, synthesised from their harmonic recipes on first use. Voices copy them
// in their constructors (on the message thread), so the audio thread never builds them.
[[nodiscard]] const WaveformTableSet& getWaveformTables();

// A sine quantised to seven levels (-1 to 1 in thirds), with a guard point of 0.
[[nodiscard]] WaveformTable makeSteppedSineTable();
