#include "engine/dsp/BiquadDesign.h"
#include "engine/dsp/Biquad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace
{
// Magnitude of the filter's response at frequency f, from its single-precision coefficients.
double gainAt (const BiquadCoefficients& c, double f, double rate)
{
    const auto z = std::polar (1.0, -2.0 * std::numbers::pi * f / rate); // z^-1
    const auto numerator = (double) c.b0 + (double) c.b1 * z + (double) c.b2 * z * z;
    const auto denominator = 1.0 + (double) c.a1 * z + (double) c.a2 * z * z;
    return std::abs (numerator / denominator);
}

double decibels (double gain) { return 20.0 * std::log10 (gain); }

// Poles inside the unit circle: |a2| < 1 and |a1| < 1 + a2.
bool isStable (const BiquadCoefficients& c) { return std::abs (c.a2) < 1.0f && std::abs (c.a1) < 1.0f + c.a2; }

double measuredGain (const BiquadCoefficients& c, double f, double rate)
{
    Biquad filter;
    filter.setCoefficients (c);
    double peak = 0.0;
    const int n = (int) rate;
    for (int i = 0; i < n; ++i)
    {
        const float y = filter.process ((float) std::sin (2.0 * std::numbers::pi * f * i / rate));
        if (i > n / 2)
            peak = std::max (peak, (double) std::abs (y));
    }
    return peak;
}
} // namespace

TEST (BiquadDesign, HighPassHasAQualityOfPoint7)
{
    for (const double rate : { 8000.0, 44100.0, 192000.0 })
    {
        for (const double cutoff : { 30.0, 150.0, 250.0, 1000.0 })
        {
            const auto c = BiquadDesign::highPass (cutoff, rate);
            SCOPED_TRACE (std::to_string (rate) + " Hz, cutoff " + std::to_string (cutoff));
            EXPECT_NEAR (gainAt (c, cutoff, rate), 0.7, 0.002);
            EXPECT_NEAR (gainAt (c, rate / 2.0, rate), 1.0, 1.0e-5);
            if (cutoff < rate / 40.0) // well below Nyquist: 12 dB per octave
            {
                EXPECT_NEAR (gainAt (c, cutoff / 10.0, rate), 0.01, 0.001);
            }
            EXPECT_NEAR (gainAt (c, 0.0, rate), 0.0, 1.0e-6);
            EXPECT_TRUE (isStable (c));
        }
    }
}

TEST (BiquadDesign, EqualisersHitTheirGainsAndAreFlatAtZeroDecibels)
{
    for (const double rate : { 8000.0, 48000.0, 192000.0 })
    {
        for (const double db : { -20.0, -6.0, 0.0, 3.0, 12.0, 20.0 })
        {
            SCOPED_TRACE (std::to_string (rate) + " Hz, " + std::to_string (db) + " dB");
            const auto mid = BiquadDesign::peaking (db, 500.0, rate);
            EXPECT_NEAR (decibels (gainAt (mid, 500.0, rate)), db, 0.01);
            EXPECT_NEAR (decibels (measuredGain (mid, 500.0, rate)), db, 0.05);
            EXPECT_NEAR (decibels (gainAt (mid, 20.0, rate)), 0.0, 0.15 * std::abs (db) + 0.001);
            EXPECT_TRUE (isStable (mid));

            // The shelf: unity at DC, the full gain at the top (10^(dB/40) squared).
            const auto shelf = BiquadDesign::hiShelf (db, rate);
            EXPECT_NEAR (decibels (gainAt (shelf, 0.0, rate)), 0.0, 0.01);
            EXPECT_NEAR (decibels (gainAt (shelf, rate / 2.0, rate)), db, 0.01 + (rate < 10000.0 ? 0.6 : 0.0));
            EXPECT_NEAR (gainAt (shelf, 2000.0, rate), BiquadDesign::shelfAmplitude (db), 0.05);
            EXPECT_TRUE (isStable (shelf));

            if (db == 0.0)
            {
                for (const double f : { 20.0, 500.0, 1999.0, rate * 0.45 })
                {
                    EXPECT_NEAR (gainAt (mid, f, rate), 1.0, 1.0e-6);
                    EXPECT_NEAR (gainAt (shelf, f, rate), 1.0, 1.0e-6);
                }
                EXPECT_EQ (mid.b1, mid.a1);
                EXPECT_EQ (mid.b2, mid.a2);
                EXPECT_EQ (shelf.b1, shelf.a1);
            }
        }
    }
    EXPECT_NEAR (BiquadDesign::shelfAmplitude (40.0), 10.0, 1.0e-12);
}

TEST (BiquadDesign, OutOfRangeSettingsGiveFiniteStableFilters)
{
    struct Case
    {
        const char* name;
        BiquadCoefficients coefficients;
        bool identity;
    };
    const Case cases[] = {
        { "mid EQ exactly at Nyquist", BiquadDesign::peaking (12.0, 22050.0, 44100.0), true },
        { "mid EQ at the sample rate", BiquadDesign::peaking (12.0, 44100.0, 44100.0), true },
        { "mid EQ at 0 Hz", BiquadDesign::peaking (12.0, 0.0, 44100.0), true },
        { "mid EQ at a negative frequency", BiquadDesign::peaking (12.0, -500.0, 44100.0), true },
        { "mid EQ above Nyquist (6 kHz at 8 kHz)", BiquadDesign::peaking (12.0, 6000.0, 8000.0), false },
        { "mid EQ just below Nyquist", BiquadDesign::peaking (12.0, 3999.999, 8000.0), false },
        { "mid EQ far above the sample rate", BiquadDesign::peaking (-20.0, 1.0e6, 8000.0), false },
        { "mid EQ at 120 dB", BiquadDesign::peaking (120.0, 500.0, 8000.0), false },
        { "shelf at -120 dB", BiquadDesign::hiShelf (-120.0, 192000.0), false },
        { "high-pass at 0 Hz", BiquadDesign::highPass (0.0, 44100.0), true },
        { "high-pass below 0 Hz", BiquadDesign::highPass (-100.0, 44100.0), true },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto& k = c.coefficients;
        for (const float v : { k.b0, k.b1, k.b2, k.a1, k.a2 })
            EXPECT_TRUE (std::isfinite (v));
        EXPECT_TRUE (isStable (k) || (k.a1 == 0.0f && k.a2 == 0.0f));
        if (c.identity)
        {
            EXPECT_EQ (k.b0, 1.0f);
            EXPECT_EQ (k.b1, 0.0f);
            EXPECT_EQ (k.a1, 0.0f);
        }
    }
}
