#include "engine/KickTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

// Whatever a state or preset stores, and whatever the host's rate and block size, the
// kick stays finite, and the next kick after sane values return sounds normally.
namespace
{
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

struct RobustRig
{
    KickRig rig;
    int blockSize;

    RobustRig (bool live, double rate, int block)
        : rig (live, rate, 2)
        , blockSize (block)
    {
        rig.loadLayer (1, (int) (rate / 2), [rate] (int, int i) { return testwav::sine (i, 1234.0, rate); });
        rig.loadLayer (2, (int) (rate / 4), [] (int c, int i) { return (i % 3 == c) ? 0.9f : -0.4f; });
        restoreDefaults();
    }

    void restoreDefaults()
    {
        for (int n = 0; n < Param::count; ++n)
            rig.set ((Param::Number) n, rig.store.getDefault (n));
        rig.set (Param::attackEnable2, 1.0f);
        rig.set (Param::bodySplitAttack, 1.0f);
        rig.synth.setOneShot (false);
        rig.store.setCompatibilityMode (2);
        rig.store.snapRampsToValues();
        rig.synth.allNotesOff (0, false);
    }

    // Two overlapping kicks, one with a note-off, into four channels.
    [[nodiscard]] juce::AudioBuffer<float> play (int length)
    {
        return rig.render (
            length,
            { KickRig::noteOn (0, 60, 0.9f), KickRig::noteOn (length / 3, 0, 0.3f), KickRig::noteOff (length / 2, 0) },
            blockSize, 4);
    }
};

// Index of the first sample that is not finite, or -1.
int firstNonFinite (const juce::AudioBuffer<float>& audio)
{
    for (int c = 0; c < audio.getNumChannels(); ++c)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (! std::isfinite (audio.getSample (c, i)))
                return i;
    return -1;
}

struct Setting
{
    double rate;
    int blockSize;
    int length;
};
} // namespace

TEST (KickRobustness, AnyStoredValueOfAnyParameterGivesFiniteOutput)
{
    const float extremes[] = { notANumber, inf, -inf, 1.0e30f, -1.0e30f, 1.0e6f, -1.0e6f, 0.0f, -1.0f, 1.25f, 9.0f };
    const Setting settings[] = { { 8000.0, 1, 1200 },
                                 { 44100.0, 8192, 20000 },
                                 { 192000.0, 256, 40000 },
                                 { 11025.0, 7, 4000 } };
    for (const bool live : { true, false })
    {
        for (const auto& s : settings)
        {
            RobustRig robust (live, s.rate, s.blockSize);
            for (int n = 0; n < Param::count; ++n)
            {
                for (const float value : extremes)
                {
                    robust.restoreDefaults();
                    robust.rig.set ((Param::Number) n, value);
                    const auto out = robust.play (s.length);
                    ASSERT_EQ (firstNonFinite (out), -1)
                        << (live ? "live " : "offline ") << s.rate << " Hz, block " << s.blockSize << ", "
                        << Param::keys[(size_t) n] << " = " << value;
                }
            }

            // And after all that, sane values play a normal kick again.
            robust.restoreDefaults();
            const auto out = robust.play (s.length);
            EXPECT_EQ (firstNonFinite (out), -1);
            EXPECT_GT (out.getMagnitude (0, 0, s.length), 0.05f);
        }
    }
}

TEST (KickRobustness, ExtremeValuesEverywhereAtOnceGiveFiniteOutput)
{
    // Whole parameter sets at the edges and at random magnitudes from 1e-30 to 1e30, in
    // every drive mode and both compatibility modes, at random rates and block sizes.
    std::mt19937 random (7702);
    std::uniform_real_distribution<float> exponent (-30.0f, 30.0f);
    std::uniform_int_distribution<int> coin (0, 1), block (1, 8192), mode (-3, 12);
    std::uniform_real_distribution<double> rate (8000.0, 192000.0);

    const float whole[] = { notANumber, inf, -inf, 1.0e30f, -1.0e30f, 0.0f };
    for (int round = 0; round < 60; ++round)
    {
        const double r = round < 6 ? (round % 2 == 0 ? 8000.0 : 192000.0) : rate (random);
        const int b = round < 6 ? (round % 3 == 0 ? 1 : 8192) : block (random);
        RobustRig robust (coin (random) == 1, r, b);
        robust.rig.store.setCompatibilityMode (1 + coin (random));
        for (int n = 0; n < Param::count; ++n)
        {
            const float magnitude = std::pow (10.0f, exponent (random));
            robust.rig.set ((Param::Number) n,
                            round < 6 ? whole[round] : (coin (random) == 1 ? magnitude : -magnitude));
        }
        if (round >= 6)
            robust.rig.set (Param::waveformDriveMode, (float) mode (random));
        const auto out = robust.play (std::min (20000, (int) r / 4));
        ASSERT_EQ (firstNonFinite (out), -1) << "round " << round << ", " << r << " Hz, block " << b;
    }
}
