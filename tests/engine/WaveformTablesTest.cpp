#include "engine/dsp/WaveformTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace
{
// Amplitude and phase (degrees) of harmonic k, with value(i) = a cos (k 2 pi i / 4096 + phi).
std::pair<double, double> harmonic (const WaveformTable& table, int k)
{
    std::complex<double> sum;
    for (int i = 0; i < waveformTableLength; ++i)
        sum += table[(size_t) i] * std::polar (1.0, -2.0 * std::numbers::pi * k * i / waveformTableLength);
    sum *= 2.0 / waveformTableLength;
    return { std::abs (sum), std::arg (sum) * 180.0 / std::numbers::pi };
}

double phaseDistance (double a, double b) { return std::abs (std::remainder (a - b, 360.0)); }
} // namespace

TEST (WaveformTables, HoldOneZeroMeanCycleWithTheFirstPointRepeated)
{
    const auto& tables = getWaveformTables();
    for (size_t t = 0; t < tables.size(); ++t)
    {
        SCOPED_TRACE ("table " + std::to_string (t + 1));
        const auto& table = tables[t];
        EXPECT_EQ (table[waveformTableLength], table[0]);

        double sum = 0.0, peak = 0.0;
        for (int i = 0; i < waveformTableLength; ++i)
        {
            sum += table[(size_t) i];
            peak = std::max (peak, std::abs (table[(size_t) i]));
        }
        EXPECT_NEAR (sum / waveformTableLength, 0.0, 1.0e-12);
        EXPECT_GT (peak, 0.85);
        EXPECT_LT (peak, 1.1);
    }
}

TEST (WaveformTables, WtcAndHumHitTheirLandmarks)
{
    struct Landmarks
    {
        size_t table;
        double maximum;
        int maximumIndex;
        double minimum;
        int minimumIndex;
    };
    const auto& tables = getWaveformTables();
    for (const auto& l : { Landmarks{ 2, 0.9017, 217, -0.9493, 3960 }, Landmarks{ 3, 0.9996, 298, -0.9691, 3825 } })
    {
        SCOPED_TRACE ("table " + std::to_string (l.table + 1));
        const auto& table = tables[l.table];
        const auto begin = table.begin(), end = table.begin() + waveformTableLength;
        const auto max = std::max_element (begin, end), min = std::min_element (begin, end);
        EXPECT_NEAR (*max, l.maximum, 0.001);
        EXPECT_NEAR (max - begin, l.maximumIndex, 3);
        EXPECT_NEAR (*min, l.minimum, 0.001);
        EXPECT_NEAR (min - begin, l.minimumIndex, 3);
    }
    EXPECT_NEAR (tables[2][0], 0.7616, 0.001);
}

TEST (WaveformTables, CarryTheirCharacteristicHarmonics)
{
    struct Harmonic
    {
        size_t table;
        int k;
        double amplitude;
        double phase; // degrees; NAN where only the amplitude characterises the table
    };
    const Harmonic expected[] = {
        { 0, 1, 0.027, NAN },   { 0, 2, 0.409, -88.0 }, { 0, 3, 0.389, 88.0 },   { 0, 4, 0.103, -117.0 },
        { 0, 5, 0.072, -72.0 }, { 0, 6, 0.036, NAN },   { 1, 1, 0.876, 79.0 },   { 1, 2, 0.184, 71.0 },
        { 1, 3, 0.049, NAN },   { 1, 4, 0.030, NAN },   { 1, 5, 0.024, NAN },    { 2, 1, 0.509, -89.0 },
        { 2, 2, 0.272, -92.0 }, { 2, 3, 0.178, -96.0 }, { 2, 4, 0.135, -102.0 }, { 2, 5, 0.127, -92.0 },
        { 2, 6, 0.089, -96.0 }, { 2, 7, 0.072, NAN },   { 2, 12, 0.045, NAN },   { 3, 1, 0.572, -89.0 },
        { 3, 2, 0.307, -91.0 }, { 3, 3, 0.201, -95.0 }, { 3, 4, 0.154, -101.0 }, { 3, 5, 0.147, -91.0 },
        { 3, 6, 0.107, -94.0 }, { 4, 1, 0.990, -61.0 },
    };
    const auto& tables = getWaveformTables();
    for (const auto& h : expected)
    {
        SCOPED_TRACE ("table " + std::to_string (h.table + 1) + " harmonic " + std::to_string (h.k));
        const auto [amplitude, phase] = harmonic (tables[h.table], h.k);
        EXPECT_NEAR (amplitude, h.amplitude, 0.0015);
        if (! std::isnan (h.phase))
            EXPECT_LT (phaseDistance (phase, h.phase), 1.0);
    }

    // WT-C is a softened sawtooth up to the 40th harmonic; HUM has nothing above 0.01
    // beyond its 6th; the near-sine's upper harmonics stay below 0.03.
    for (int k = 13; k <= 40; ++k)
        EXPECT_NEAR (harmonic (tables[2], k).first, 0.025, 0.0155) << k;
    for (int k = 7; k <= 60; ++k)
        EXPECT_LT (harmonic (tables[3], k).first, 0.01) << k;
    for (int k = 2; k <= 6; ++k)
        EXPECT_LT (harmonic (tables[4], k).first, 0.03) << k;
}

TEST (WaveformTables, SteppedSineHasSevenLevelsAndEndsAtZero)
{
    const auto table = makeSteppedSineTable();
    for (int i = 0; i < waveformTableLength; ++i)
    {
        const double expected = std::trunc (3.5 * std::sin (2.0 * std::numbers::pi * i / 4096.0)) / 3.0;
        ASSERT_EQ (table[(size_t) i], expected) << i;
        ASSERT_NEAR (std::round (table[(size_t) i] * 3.0), table[(size_t) i] * 3.0, 1.0e-12);
    }
    EXPECT_EQ (table[1024], 1.0);
    EXPECT_EQ (table[3072], -1.0);
    EXPECT_EQ (table[4095], 0.0);
    EXPECT_EQ (table[4096], 0.0);
}
