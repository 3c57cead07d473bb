#include "engine/dsp/BodyPitch.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (BodyPitch, OrigSweepsFromStartToEndAlongItsCurve)
{
    struct Case
    {
        double start, end, sweepMs;
        float curve;
    };
    for (const auto& c : { Case{ 500.0, 52.0, 10.0, 0.9f }, Case{ 16000.0, 40.0, 200.0, 0.01f },
                           Case{ 45.0, 70.0, 1.0, 0.5f }, Case{ 777.7, 51.3, 33.3, 0.2f } })
    {
        SCOPED_TRACE (std::to_string (c.start) + " -> " + std::to_string (c.end));
        EXPECT_EQ (BodyPitch::orig (0.0, c.start, c.end, c.sweepMs, c.curve), c.start);
        EXPECT_NEAR (BodyPitch::orig (c.sweepMs, c.start, c.end, c.sweepMs, c.curve), c.end, 1.0e-12 * c.start);
        EXPECT_EQ (BodyPitch::orig (c.sweepMs * 1.001, c.start, c.end, c.sweepMs, c.curve), c.end);

        const double half = BodyPitch::orig (c.sweepMs / 2.0, c.start, c.end, c.sweepMs, c.curve);
        EXPECT_NEAR (half, c.start + (c.end - c.start) * std::pow (0.5, (double) c.curve), 1.0e-4 * c.start);
    }
}

TEST (BodyPitch, OrigStaysFiniteForDegenerateSweeps)
{
    // A sweep time of 0 or below, or a curve of 0 or below, has no sweep to follow.
    for (const double sweep : { 0.0, -5.0 })
        for (const double t : { 0.0, 1.0 })
            EXPECT_EQ (BodyPitch::orig (t, 500.0, 52.0, sweep, 0.9f), 52.0);
    for (const float curve : { 0.0f, -1.0f, -1000.0f })
    {
        EXPECT_EQ (BodyPitch::orig (0.0, 500.0, 52.0, 10.0, curve), 52.0);
        EXPECT_EQ (BodyPitch::orig (5.0, 500.0, 52.0, 10.0, curve), 52.0);
    }
}

TEST (BodyPitch, ToughOpensNearTheStartAndLandsOnTheEnd)
{
    struct Case
    {
        double rate, start, end, sweepMs, curve, chirp;
    };
    for (const auto& c :
         { Case{ 44100.0, 500.0, 52.0, 10.0, 0.9, 1.0 }, Case{ 48000.0, 2000.0, 40.0, 200.0, 0.01, 0.1 },
           Case{ 8000.0, 300.0, 70.0, 10.0, 0.5, 1.4 }, Case{ 192000.0, 16000.0, 45.0, 50.0, 0.3, 0.7 } })
    {
        SCOPED_TRACE (std::to_string (c.rate) + " Hz, start " + std::to_string (c.start));
        BodyPitch::Tough tough;
        tough.start (c.rate, c.start, c.end, c.sweepMs, c.curve, c.chirp);

        const double first = tough.next();
        EXPECT_NEAR (first, c.start, 0.05 * c.start);

        const auto curveLength = (long) (0.004 * c.rate * c.sweepMs);
        const auto chirpLength = (long) (0.15 * c.rate * c.chirp);
        double last = first;
        for (long m = 1; m < std::max (curveLength, chirpLength); ++m)
            last = tough.next();
        EXPECT_NEAR (last, c.end, 1.0e-6 * c.start);
        EXPECT_EQ (tough.next(), c.end);
    }
}

TEST (BodyPitch, ToughStaysFiniteForAnyCurveAndLength)
{
    for (const double curve : { 1.25, 1.2500001, -1000.0, 1000.0, 0.0 })
    {
        for (const double sweep : { 0.0, -1.0, 1.0e7 })
        {
            for (const double chirp : { 0.0, -1.0, 1.0e6 })
            {
                BodyPitch::Tough tough;
                tough.start (44100.0, 500.0, 52.0, sweep, curve, chirp);
                for (int m = 0; m < 2000; ++m)
                    ASSERT_TRUE (std::isfinite (tough.next())) << curve << " " << sweep << " " << chirp;
            }
        }
    }
}

TEST (BodyPitch, HighPassLimitGain)
{
    struct Case
    {
        double frequency, limit, gain, tolerance;
    };
    for (const auto& c : {
             Case{ 30.0, 30.0, 0.5, 1.0e-7 },
             Case{ 25.0, 25.0, 0.5, 1.0e-7 },
             Case{ 20.0, 40.0, 1.0 / 257.0, 1.0e-7 }, // an octave below: 2^-8 / (2^-8 + 1)
             Case{ 80.0, 40.0, 256.0 / 257.0, 1.0e-6 },
             Case{ 0.0, 30.0, 0.0, 0.0 },
             Case{ 52.0, 0.0, 1.0, 0.0 }, // off
             Case{ 0.0, 0.0, 1.0, 0.0 },  // off, even at 0 Hz
             Case{ -10.0, 30.0, 1.0 / 6562.0, 1.0e-7 },
         })
        EXPECT_NEAR (BodyPitch::highPassLimitGain (c.frequency, c.limit), c.gain, c.tolerance)
            << c.frequency << " Hz, limit " << c.limit;
}
