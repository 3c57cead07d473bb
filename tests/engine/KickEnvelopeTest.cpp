#include "engine/KickTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

// The body's amplitude envelope, observed on a 0 Hz body (a constant cosine of 1) so that
// every output sample is 0.707 x envelope (the flat equaliser adds errors of about 1e-5).
namespace
{
constexpr double rate = 48000.0;
constexpr double samplesPerMs = rate / 1000.0;

struct EnvelopeCase
{
    const char* name;
    float attackMs, holdMs, decayMs;
    int compatibilityMode;
};

// The envelope at output sample k from the closed forms: a linear attack over
// A = trunc(a x spms) samples, full level until the hold counter reaches
// H = trunc(h x spms) (at least one hold sample), then decay step n = 1, 2, ... with
// F = 1 - n/N and E = 1.1 x 11^(-n/N) - 0.1, mixed by K from hold + decay.
double expectedEnvelope (const EnvelopeCase& c, int k)
{
    const int attack = (int) (c.attackMs * samplesPerMs);
    const int hold = std::max (1, (int) (c.holdMs * samplesPerMs));
    const int decay = (int) (c.decayMs * samplesPerMs);
    const double s = (double) c.holdMs + (double) c.decayMs;
    const double weight = (s < 360.0 || c.compatibilityMode == 1) ? 0.0 : (s > 460.0 ? 1.0 : 1.0 - (460.0 - s) * 0.01);

    const int attackEnd = std::max (attack, 1) - 1; // the sample that reaches full level
    if (k < attackEnd)
        return (k + 1.0) / attack;
    const int n = k - attackEnd - hold;
    if (n <= 0)
        return 1.0;
    if (n > decay)
        return 0.0;
    const double f = 1.0 - (double) n / decay;
    const double e = 1.1 * std::pow (11.0, -(double) n / decay) - 0.1;
    return (e - f) * weight + f;
}
} // namespace

TEST (KickEnvelope, FollowsAttackHoldDecayAndTheCrossfadeByLength)
{
    const EnvelopeCase cases[] = {
        { "attack 0 starts at full level, hold 0, short: linear only", 0.0f, 0.0f, 200.0f, 2 },
        { "hold 10 ms then linear decay", 0.0f, 10.0f, 200.0f, 2 },
        { "attack of 256 samples", 256.0f / 48.0f, 20.0f, 100.0f, 2 },
        { "above 460 ms: exponential only", 0.0f, 0.0f, 500.0f, 2 },
        { "400 ms: K = 0.4", 0.0f, 0.0f, 400.0f, 2 },
        { "hold + decay 410 ms: K = 0.5", 0.0f, 100.0f, 310.0f, 2 },
        { "compatibility mode 1: linear at every length", 0.0f, 0.0f, 500.0f, 1 },
        { "compatibility mode 1 with hold", 0.0f, 300.0f, 1000.0f, 1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KickRig rig (false, rate);
        rig.setPlainBody (0.0);
        rig.set (Param::bodyAttack, c.attackMs);
        rig.set (Param::bodyHold, c.holdMs);
        rig.set (Param::bodyDecay, c.decayMs);
        rig.store.setCompatibilityMode (c.compatibilityMode);

        const int length = (int) ((c.attackMs + c.holdMs + c.decayMs) * samplesPerMs) + 200;
        const auto out = rig.render (length, { KickRig::noteOn (0) }, 512);

        int mismatches = 0;
        for (int k = 0; k < length; ++k)
        {
            const double expected = 0.707 * expectedEnvelope (c, k);
            if (std::abs (out.getSample (0, k) - expected) > 2.0e-5 && mismatches++ < 5)
                ADD_FAILURE() << "sample " << k << ": " << out.getSample (0, k) << " expected " << expected;
        }
        EXPECT_FLOAT_EQ (out.getSample (0, 0), out.getSample (1, 0));
    }
}

TEST (KickEnvelope, ExponentialDecayReachesZeroAfterExactlyItsLength)
{
    KickRig rig (false, rate);
    rig.setPlainBody (0.0);
    rig.set (Param::bodyHold, 0.0f);
    rig.set (Param::bodyDecay, 1000.0f);
    const int decay = (int) (1000.0 * samplesPerMs);
    const auto out = rig.render (decay + 100, { KickRig::noteOn (0) }, 480);

    // Decay step n is output sample n + 1 (attack and hold take one sample each).
    const double beforeEnd = 0.707 * (1.1 * std::pow (11.0, -(decay - 1.0) / decay) - 0.1);
    EXPECT_NEAR (out.getSample (0, decay), beforeEnd, 1.0e-7);
    EXPECT_GT (out.getSample (0, decay), 1.0e-6f);
    EXPECT_NEAR (out.getSample (0, decay + 1), 0.0, 1.0e-9);
    EXPECT_NEAR (peakOf (out, 0, decay + 2, decay + 100), 0.0f, 1.0e-9);
}

TEST (KickEnvelope, LiveVoicesReadTheEnvelopeTimesThroughTheBlockRamps)
{
    // Decay changed between blocks: the new length reaches the kick within 16 samples,
    // gliding across the block like every ramped parameter.
    KickRig fixed (true, rate);
    KickRig changed (true, rate);
    for (auto* rig : { &fixed, &changed })
    {
        rig->setPlainBody (0.0);
        rig->set (Param::bodyHold, 0.0f);
        rig->set (Param::bodyDecay, 100.0f);
        rig->store.snapRampsToValues();
    }
    const auto reference = fixed.render (2048, { KickRig::noteOn (0) }, 1024);
    const auto out = changed.render (2048, { KickRig::noteOn (0) }, 1024, 2,
                                     [&changed] (int start)
                                     {
                                         if (start == 1024)
                                             changed.set (Param::bodyDecay, 50.0f);
                                     });

    for (int k = 0; k < 1024 + 16; ++k)
        ASSERT_EQ (out.getSample (0, k), reference.getSample (0, k)) << k;
    // Faster decay from the first refresh in the second block on.
    EXPECT_LT (out.getSample (0, 2047), reference.getSample (0, 2047) - 1.0e-3f);
}
