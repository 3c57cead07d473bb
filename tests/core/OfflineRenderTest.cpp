#include "core/KickEngine.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
constexpr double displayRate = 14700.0;
constexpr int length = 14000;

float peakOf (const juce::AudioBuffer<float>& b, int numSamples)
{
    float peak = 0.0f;
    for (int c = 0; c < b.getNumChannels(); ++c)
        peak = std::max (peak, b.getMagnitude (c, 0, numSamples));
    return peak;
}

juce::AudioBuffer<float> copyOf (const juce::AudioBuffer<float>& b, int numSamples)
{
    juce::AudioBuffer<float> copy (b.getNumChannels(), numSamples);
    for (int c = 0; c < b.getNumChannels(); ++c)
        copy.copyFrom (c, 0, b, c, 0, numSamples);
    return copy;
}

// Sets the master level so that an unscaled export render peaks at `targetPeak`.
juce::AudioBuffer<float> rawKickPeakingAt (VellmarkKick7702AudioProcessor& processor, float targetPeak)
{
    auto& store = processor.getParameterStore();
    // A body-only kick: attack samples arrive asynchronously and would make renders differ.
    store.setValue (Param::attackEnable1, 0.0f);
    store.setValue (Param::attackEnable2, 0.0f);
    store.setValue (Param::masterLevel, 1.0f);
    store.setValue (Param::bodyDecay, 300.0f);
    const auto reference = copyOf (processor.render (KickEngine::exportRender, 2, length, displayRate), length);
    const auto referencePeak = peakOf (reference, length);
    EXPECT_GT (referencePeak, 0.0f);

    // Scale the reference by hand: the master level multiplies the finished render.
    store.setValue (Param::masterLevel, targetPeak / referencePeak);
    auto expected = copyOf (reference, length);
    expected.applyGain (targetPeak / referencePeak);
    return expected;
}

void expectScaledCopy (const juce::AudioBuffer<float>& actual, const juce::AudioBuffer<float>& raw, float gain)
{
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < length; ++i)
            ASSERT_NEAR (actual.getSample (c, i), raw.getSample (c, i) * gain, 2.0e-6f) << c << ":" << i;
}
} // namespace

TEST (OfflineRender, DisplayRendersAreNormalisedJustBelowFullScale)
{
    VellmarkKick7702AudioProcessor processor;
    const auto raw = rawKickPeakingAt (processor, 0.5f);
    const auto& display = processor.render (KickEngine::displayRender, 2, length, displayRate);
    expectScaledCopy (display, raw, 1.99f);
}

TEST (OfflineRender, ExportRendersAreOnlyScaledDownWhenTheyWouldClip)
{
    struct Case
    {
        float peak;
        float expectedGain;
    };
    for (const auto& c : { Case{ 0.8f, 1.0f }, Case{ 2.0f, 0.49f } })
    {
        VellmarkKick7702AudioProcessor processor;
        const auto raw = rawKickPeakingAt (processor, c.peak);
        expectScaledCopy (processor.render (KickEngine::exportRender, 2, length, displayRate), raw, c.expectedGain);
    }
}

TEST (OfflineRender, SilenceStaysSilentAndShorterRequestsGetTheLongerBuffer)
{
    VellmarkKick7702AudioProcessor processor;
    processor.getParameterStore().setValue (Param::masterLevel, 0.0f);
    const auto& silent = processor.render (KickEngine::displayRender, 2, length, displayRate);
    EXPECT_EQ (peakOf (silent, length), 0.0f);

    processor.getParameterStore().setValue (Param::masterLevel, 1.0f);
    const auto& shorter = processor.render (KickEngine::displayRender, 2, 100, displayRate);
    EXPECT_EQ (shorter.getNumSamples(), length);
    EXPECT_GT (peakOf (shorter, length), 0.9f);

    // Every render starts a fresh kick (with the attack samples already decoded).
    processor.setRenderSampleRate (KickEngine::exportRender, 44100.0);
    processor.getEngine().loadSamplesNow (KickEngine::exportRender);
    const auto first = copyOf (processor.render (KickEngine::exportRender, 2, length, 44100.0), length);
    const auto& second = processor.render (KickEngine::exportRender, 2, length, 44100.0);
    expectScaledCopy (second, first, 1.0f);
}

TEST (OfflineRender, KickLengthFollowsTheBodyEnvelopeAtTheEngineRate)
{
    VellmarkKick7702AudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    auto& store = processor.getParameterStore();
    store.setValue (Param::bodyAttack, 1.0f);
    store.setValue (Param::bodyHold, 50.0f);
    store.setValue (Param::bodyDecay, 200.0f);
    // No layer audio loaded: the shorter published layer length is 0.
    EXPECT_EQ (processor.getKickLengthSamples(), (juce::int64) (48000.0f * 251.0f * 0.001f));
}
