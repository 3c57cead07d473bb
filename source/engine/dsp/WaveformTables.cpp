#include "engine/dsp/WaveformTables.h"

#include <cmath>
#include <numbers>
#include <span>

namespace
{
// One cosine component: value(i) = amplitude * cos (harmonic * 2 pi i / 4096 + phase).
struct Partial
{
    int harmonic;
    double amplitude;
    double phaseDegrees;
};

// A hollow, mostly even/odd alternating tone with a faint tail of upper partials.
constexpr Partial table1[] = {
    { 1, 0.0270, 150.0 },  { 2, 0.4090, -88.0 },  { 3, 0.3890, 88.0 },   { 4, 0.1030, -117.0 }, { 5, 0.0720, -72.0 },
    { 6, 0.0360, 150.0 },  { 7, 0.0114, 90.0 },   { 8, 0.0100, -90.0 },  { 9, 0.0089, 90.0 },   { 10, 0.0080, -90.0 },
    { 11, 0.0073, 90.0 },  { 12, 0.0067, -90.0 }, { 13, 0.0062, 90.0 },  { 14, 0.0057, -90.0 }, { 15, 0.0053, 90.0 },
    { 16, 0.0050, -90.0 }, { 17, 0.0047, 90.0 },  { 18, 0.0044, -90.0 }, { 19, 0.0042, 90.0 },  { 20, 0.0040, -90.0 },
    { 21, 0.0038, 90.0 },  { 22, 0.0036, -90.0 }, { 23, 0.0035, 90.0 },  { 24, 0.0033, -90.0 }, { 25, 0.0032, 90.0 },
    { 26, 0.0031, -90.0 }, { 27, 0.0030, 90.0 },  { 28, 0.0029, -90.0 }, { 29, 0.0028, 90.0 },  { 30, 0.0027, -90.0 },
    { 31, 0.0026, 90.0 },  { 32, 0.0025, -90.0 },
};

// A rounded sine with a little second harmonic.
constexpr Partial table2[] = {
    { 1, 0.876, 79.0 }, { 2, 0.184, 71.0 }, { 3, 0.049, 63.0 }, { 4, 0.030, 55.0 }, { 5, 0.024, 47.0 },
};

// WT-C: a softened sawtooth whose upper partials gather just before the start of the
// cycle, so that the cycle opens near the top of its rising edge.
constexpr Partial table3[] = {
    { 1, 0.5090, -89.0 },  { 2, 0.2720, -92.0 },  { 3, 0.1780, -96.0 },  { 4, 0.1350, -102.0 }, { 5, 0.1270, -92.0 },
    { 6, 0.0890, -96.0 },  { 7, 0.0717, -14.8 },  { 8, 0.0678, -19.7 },  { 9, 0.0659, -44.0 },  { 10, 0.0569, -60.7 },
    { 11, 0.0589, -43.2 }, { 12, 0.0449, -25.2 }, { 13, 0.0127, -17.3 }, { 14, 0.0157, -20.8 }, { 15, 0.0243, -22.8 },
    { 16, 0.0311, -21.7 }, { 17, 0.0358, -18.1 }, { 18, 0.0390, -13.8 }, { 19, 0.0391, -10.3 }, { 20, 0.0387, -8.4 },
    { 21, 0.0380, -8.8 },  { 22, 0.0375, -11.7 }, { 23, 0.0340, -18.0 }, { 24, 0.0281, -28.7 }, { 25, 0.0226, -43.5 },
    { 26, 0.0178, -60.8 }, { 27, 0.0130, -77.6 }, { 28, 0.0099, -83.9 }, { 29, 0.0099, -27.1 }, { 30, 0.0104, 48.8 },
    { 31, 0.0109, 50.1 },  { 32, 0.0138, 46.8 },  { 33, 0.0162, 43.2 },  { 34, 0.0163, 42.1 },  { 35, 0.0148, 40.1 },
    { 36, 0.0130, 30.9 },  { 37, 0.0124, 8.6 },   { 38, 0.0157, -21.3 }, { 39, 0.0246, -41.7 }, { 40, 0.0309, -49.3 },
};

// HUM: the sawtooth's first six partials and a faint, coherent tail.
constexpr Partial table4[] = {
    { 1, 0.5720, -89.0 },  { 2, 0.3070, -91.0 },  { 3, 0.2010, -95.0 },  { 4, 0.1540, -101.0 },
    { 5, 0.1470, -91.0 },  { 6, 0.1070, -94.0 },  { 7, 0.0065, -88.2 },  { 8, 0.0057, -88.8 },
    { 9, 0.0047, -89.8 },  { 10, 0.0037, -90.8 }, { 11, 0.0027, -91.2 }, { 12, 0.0020, -89.3 },
    { 13, 0.0018, -84.5 }, { 14, 0.0021, -80.6 }, { 15, 0.0029, -80.7 }, { 16, 0.0042, -83.2 },
};

// An almost pure sine, shifted by about a sixth of a cycle.
constexpr Partial table5[] = {
    { 1, 0.990, -61.0 }, { 2, 0.025, -122.0 }, { 3, 0.018, 177.0 },
    { 4, 0.012, 116.0 }, { 5, 0.008, 55.0 },   { 6, 0.005, -6.0 },
};

WaveformTable synthesise (std::span<const Partial> partials)
{
    WaveformTable table{};
    for (int i = 0; i < waveformTableLength; ++i)
    {
        const double angle = 2.0 * std::numbers::pi * i / waveformTableLength;
        double value = 0.0;
        for (const auto& p : partials)
            value += p.amplitude * std::cos (p.harmonic * angle + p.phaseDegrees * std::numbers::pi / 180.0);
        table[(size_t) i] = value;
    }
    table[waveformTableLength] = table[0];
    return table;
}
} // namespace

const WaveformTableSet& getWaveformTables()
{
    static const WaveformTableSet tables{ synthesise (table1), synthesise (table2), synthesise (table3),
                                          synthesise (table4), synthesise (table5) };
    return tables;
}

WaveformTable makeSteppedSineTable()
{
    WaveformTable table{};
    for (int i = 0; i < waveformTableLength; ++i)
        table[(size_t) i] = std::trunc (3.5 * std::sin (2.0 * std::numbers::pi * i / waveformTableLength)) / 3.0;
    table[waveformTableLength] = 0.0;
    return table;
}
