#include "engine/KickTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

// The attack layers: playback speed, decay, solo, filter limit and output routing.
namespace
{
constexpr double rate = 48000.0;

// Every frame distinct, so the output names the frame that was read.
float ramp (int channel, int frame) { return (channel == 0 ? 1.0f : -1.0f) * (float) (frame + 1) * 1.0e-5f; }
// A Nyquist-rate tone, which the layer's high-pass passes at unity.
float alternating (int channel, int frame) { return ((frame & 1) == 0 ? 0.5f : -0.5f) * (channel == 0 ? 1.0f : 0.8f); }
float tone15k (int, int frame) { return testwav::sine (frame, 15000.0, rate); }

struct LayerRig : KickRig
{
    explicit LayerRig (bool isLive = false)
        : KickRig (isLive, rate)
    {
        setPlainBody (52.0);
        set (Param::bodyHold, 1000.0f);
    }

    void enable (int layer, float gain, float decayMs = 40.0f, float highpassHz = 150.0f)
    {
        set (layer == 1 ? Param::attackEnable1 : Param::attackEnable2, 1.0f);
        set (layer == 1 ? Param::attackGain : Param::attack2Gain, gain);
        set (layer == 1 ? Param::attackDecay : Param::attack2Decay, decayMs);
        set (layer == 1 ? Param::attackHighpass : Param::attack2Highpass, highpassHz);
        store.snapRampsToValues();
    }
};

juce::AudioBuffer<float> difference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    juce::AudioBuffer<float> d (a);
    for (int c = 0; c < d.getNumChannels(); ++c)
        d.addFrom (c, 0, b, c, 0, d.getNumSamples(), -1.0f);
    return d;
}
} // namespace

TEST (KickLayer, SoloPlaysTheRawSampleAtItsPitchAndMutesTheBody)
{
    struct Case
    {
        int layer;
        float semitones;
        double ratio;
    };
    for (const auto& c : { Case{ 1, 0.0f, 1.0 }, Case{ 1, 12.0f, 2.0 }, Case{ 1, -12.0f, 0.5 }, Case{ 2, 12.0f, 2.0 },
                           Case{ 2, -12.0f, 0.5 } })
    {
        SCOPED_TRACE ("layer " + std::to_string (c.layer) + ", " + std::to_string (c.semitones) + " semitones");
        LayerRig rig;
        constexpr int frames = 3000;
        rig.loadLayer (c.layer, frames, ramp);
        rig.enable (c.layer, 2.0f, 1.0f, 4000.0f); // decay and filter are bypassed by solo
        rig.set (c.layer == 1 ? Param::attackSolo : Param::attack2Solo, 1.0f);
        rig.set (c.layer == 1 ? Param::tweaksAttackPitch : Param::tweaksAttack2Pitch, c.semitones);

        const auto& sample = rig.getLayer (c.layer);
        ASSERT_EQ (sample.getLength(), frames);
        const int played = (int) std::ceil (frames / c.ratio);
        const auto out = rig.render (played + 200, { KickRig::noteOn (0) });

        for (int i = 0; i < played; ++i)
        {
            const auto frame = (size_t) std::floor (i * c.ratio);
            ASSERT_NEAR (out.getSample (0, i), 0.9f * 2.0f * sample.getLeft()[frame], 1.0e-6) << i;
            ASSERT_NEAR (out.getSample (1, i), 0.9f * 2.0f * sample.getRight()[frame], 1.0e-6) << i;
        }
        // Then only the equaliser's last breath of the final frame.
        EXPECT_LT (peakOf (out, 0, played + 2, played + 200), 1.0e-6f);
    }
}

TEST (KickLayer, DecaysLinearlyAndEndsAtItsDecayTime)
{
    for (const int layer : { 1, 2 })
    {
        SCOPED_TRACE ("layer " + std::to_string (layer));
        LayerRig rig;
        rig.set (Param::bodyBody, 0.0f);
        rig.loadLayer (layer, 24000, alternating); // 500 ms, longer than the decay
        rig.enable (layer, 1.5f, 40.0f);
        const auto out = rig.render (6000, { KickRig::noteOn (0) });

        // Sample i is heard at t = (i + 1) / 48 ms; the gain falls as 1 - t / 40.
        for (const int i : { 100, 480, 959, 1500, 1900 })
        {
            const double envelope = 1.0 - (i + 1.0) / 48.0 / 40.0;
            EXPECT_NEAR (std::abs (out.getSample (0, i)), 1.5 * 0.5 * envelope, 2.0e-3) << i;
            EXPECT_NEAR (std::abs (out.getSample (1, i)), 1.5 * 0.4 * envelope, 2.0e-3) << i;
        }
        EXPECT_LT (peakOf (out, 0, 1921, 6000), 1.0e-5f);
    }
}

TEST (KickLayer, HighPassIsCappedAtTheSampleRateOver2Point2)
{
    auto renderWith = [] (float highpass)
    {
        LayerRig rig;
        rig.set (Param::bodyBody, 0.0f);
        rig.loadLayer (1, 4000, tone15k);
        rig.enable (1, 1.0f, 200.0f, highpass);
        return rig.render (4000, { KickRig::noteOn (0) });
    };
    const auto capped = renderWith ((float) rate * 0.454545438f);
    for (const float above : { 30000.0f, 1.0e6f })
    {
        const auto out = renderWith (above);
        for (int i = 0; i < 4000; ++i)
            ASSERT_EQ (out.getSample (0, i), capped.getSample (0, i)) << above << " Hz, sample " << i;
    }
    EXPECT_GT (peakOf (difference (renderWith (10000.0f), capped), 0, 0, 4000), 0.05f);
}

TEST (KickLayer, SilentLayersAddNothing)
{
    LayerRig bodyOnly;
    const auto expected = bodyOnly.render (4000, { KickRig::noteOn (0) });

    struct Case
    {
        const char* name;
        bool load, enable;
    };
    for (const auto& c : { Case{ "enabled without audio", false, true }, Case{ "loaded but disabled", true, false } })
    {
        SCOPED_TRACE (c.name);
        LayerRig rig;
        if (c.load)
        {
            rig.loadLayer (1, 4000, alternating);
            rig.loadLayer (2, 4000, alternating);
        }
        if (c.enable)
        {
            rig.enable (1, 1.0f);
            rig.enable (2, 1.0f);
        }
        const auto out = rig.render (4000, { KickRig::noteOn (0) });
        for (int i = 0; i < 4000; ++i)
            ASSERT_EQ (out.getSample (0, i), expected.getSample (0, i)) << i;
    }
}

TEST (KickLayer, SplitOutputSendsTheLayersToChannels2And3OnlyFromLiveVoicesWithFourChannels)
{
    auto makeRig = [] (bool live, bool split, bool layers, bool body)
    {
        auto rig = std::make_unique<LayerRig> (live);
        rig->loadLayer (1, 4000, alternating);
        rig->loadLayer (2, 4000, ramp);
        if (layers)
        {
            rig->enable (1, 1.0f, 60.0f);
            rig->enable (2, 2.0f, 30.0f, 300.0f);
        }
        rig->set (Param::bodyBody, body ? 1.0f : 0.0f);
        rig->set (Param::tweaksPunch, 0.5f);
        rig->set (Param::bodySplitAttack, split ? 1.0f : 0.0f);
        return rig;
    };
    constexpr int n = 4000;
    const auto together = makeRig (true, false, true, true)->render (n, { KickRig::noteOn (0) }, 256, 4);
    const auto bodyAlone = makeRig (true, false, false, true)->render (n, { KickRig::noteOn (0) }, 256, 4);
    const auto layersAlone = makeRig (true, false, true, false)->render (n, { KickRig::noteOn (0) }, 256, 4);
    const auto split = makeRig (true, true, true, true)->render (n, { KickRig::noteOn (0) }, 256, 4);
    const auto splitStereo = makeRig (true, true, true, true)->render (n, { KickRig::noteOn (0) }, 256, 2);
    const auto splitOffline = makeRig (false, true, true, true)->render (n, { KickRig::noteOn (0) }, 256, 4);

    EXPECT_EQ (peakOf (together, 2, 0, n), 0.0f);
    for (int i = 0; i < n; ++i)
    {
        for (int c = 0; c < 2; ++c)
        {
            ASSERT_EQ (split.getSample (c, i), bodyAlone.getSample (c, i)) << i;
            ASSERT_EQ (split.getSample (c + 2, i), layersAlone.getSample (c, i)) << i;
            ASSERT_EQ (splitStereo.getSample (c, i), together.getSample (c, i)) << i;
            ASSERT_EQ (splitOffline.getSample (c, i), together.getSample (c, i)) << i;
            ASSERT_EQ (splitOffline.getSample (c + 2, i), 0.0f) << i;
        }
    }
    EXPECT_GT (peakOf (split, 2, 0, n), 0.1f);
}
