#include "engine/KickTestRig.h"

#include "engine/dsp/WaveformTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// The drive modes, measured on the rendered body.
namespace
{
constexpr double rate = 48000.0;

struct DriveRig : KickRig
{
    DriveRig (float mode, float drive, double frequency = 0.0, int compatibilityMode = 2)
        : KickRig (false, rate)
    {
        setPlainBody (frequency);
        set (Param::bodyHold, 1000.0f);
        set (Param::waveformDriveMode, mode);
        set (Param::waveformDrive, drive);
        store.setCompatibilityMode (compatibilityMode);
    }
};

double saturated (double x, double drive) { return 1.0 - std::exp (-(1.0 + drive) * x); }
} // namespace

TEST (KickDrive, DriveZeroAtNoteStartDisablesEveryModeForTheNote)
{
    for (const int compatibilityMode : { 2, 1 })
    {
        for (const float mode : { 0.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f })
        {
            SCOPED_TRACE ("mode " + std::to_string (mode) + ", compatibility " + std::to_string (compatibilityMode));
            DriveRig plain (mode, 0.0f, 80.0, compatibilityMode);
            DriveRig raised (mode, 0.0f, 80.0, compatibilityMode);
            DriveRig driven (mode, 6.0f, 80.0, compatibilityMode);
            for (auto* r : { &plain, &raised, &driven })
                r->set (Param::tweaksBodyGain, 2.0f);

            const auto expected = plain.render (4096, { KickRig::noteOn (0) });
            const auto out = raised.render (4096, { KickRig::noteOn (0) }, 256, 2,
                                            [&raised] (int start)
                                            {
                                                if (start > 0)
                                                    raised.set (Param::waveformDrive, 6.0f);
                                            });
            for (int i = 0; i < 4096; ++i)
                ASSERT_EQ (out.getSample (0, i), expected.getSample (0, i)) << i;

            // The same mode driven from the start does change the kick.
            const auto changed = driven.render (4096, { KickRig::noteOn (0) });
            float difference = 0.0f;
            for (int i = 0; i < 4096; ++i)
                difference = std::max (difference, std::abs (changed.getSample (0, i) - expected.getSample (0, i)));
            EXPECT_GT (difference, 0.01f);
        }
    }
}

TEST (KickDrive, ClipperLimitsBeforeTheEqualiser)
{
    struct Case
    {
        float drive;
        float limit;
    };
    for (const auto& c : { Case{ 6.0f, 0.25f }, Case{ 2.0f, 0.75f }, Case{ 8.0f, 0.0f }, Case{ 20.0f, 0.0f } })
    {
        DriveRig rig (10.0f, c.drive, 52.0);
        rig.set (Param::tweaksBodyGain, 2.0f);
        const auto out = rig.render (4800, { KickRig::noteOn (0) });
        EXPECT_NEAR (peakOf (out, 0, 0, 4800), c.limit, 1.0e-4) << c.drive;
        EXPECT_NEAR (peakOf (out, 1, 0, 4800), c.limit, 1.0e-4) << c.drive;
    }
}

TEST (KickDrive, TableModesAtDriveSixPlayTheTableAlone)
{
    // At sampleRate / 4096 Hz the angle steps through one table entry per sample.
    struct Case
    {
        float mode;
        int table; // 0: the stepped sine
    };
    const auto& tables = getWaveformTables();
    const auto stepped = makeSteppedSineTable();
    for (const auto& c :
         { Case{ 3.0f, 1 }, Case{ 5.0f, 2 }, Case{ 6.0f, 3 }, Case{ 7.0f, 4 }, Case{ 8.0f, 5 }, Case{ 4.0f, 0 } })
    {
        SCOPED_TRACE ("mode " + std::to_string (c.mode));
        const auto& table = c.table == 0 ? stepped : tables[(size_t) c.table - 1];
        DriveRig rig (c.mode, 6.0f, rate / waveformTableLength);
        const auto out = rig.render (4000, { KickRig::noteOn (0) });

        for (int k = 1; k < 4000; ++k)
        {
            const auto [low, high] = std::minmax ({ table[(size_t) k - 1], table[(size_t) k], table[(size_t) k + 1] });
            const double value = out.getSample (0, k) / 0.707;
            ASSERT_GE (value, low - 1.0e-4) << k;
            ASSERT_LE (value, high + 1.0e-4) << k;
        }
    }
}

TEST (KickDrive, SaturationCurvesOnAConstantBody)
{
    // A 0 Hz body holds x = 0.707 for the drive stage.
    struct Case
    {
        const char* name;
        float mode, drive;
        int compatibilityMode;
        int sample;
        double expected;
    };
    const double v = 1.0 + 2.0; // legacy tanh drive at full strength, drive 2
    const double vLate = 0.5 * 2.0 + 1.0;
    const Case cases[] = {
        { "DIST, drive 0.5", 0.0f, 0.5f, 2, 0, saturated (0.707, 0.5) },
        { "DIST, drive 6", 0.0f, 6.0f, 2, 100, saturated (0.707, 6.0) },
        { "post distortion, drive 2", 9.0f, 2.0f, 2, 0, saturated (0.707, 2.0) },
        { "mode 2 adds the third harmonic", 2.0f, 3.0f, 2, 0, 0.707 * (1.0 + 0.5) },
        { "legacy DIST, full drive before 20 ms", 0.0f, 2.0f, 1, 700, std::tanh (v * 0.707) / std::tanh (v) },
        { "legacy DIST eased off after 180 ms", 0.0f, 2.0f, 1, 9500, std::tanh (vLate * 0.707) / std::tanh (vLate) },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        DriveRig rig (c.mode, c.drive, 0.0, c.compatibilityMode);
        const auto out = rig.render (c.sample + 1, { KickRig::noteOn (0) });
        // The legacy form adds a 250 Hz high-passed copy, which has died away on a constant.
        EXPECT_NEAR (out.getSample (0, c.sample), c.expected, 1.0e-4);
    }
}
