#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
struct SlotName
{
    int slot;
    const char* key;
    const char* hostName;
};

// The host's parameter list, in automation order.
constexpr SlotName hostSlots[]{
    { 0, "attackoverlay_enable1", "Attack Enable" },
    { 1, "attack_highpass", "Attack HPF" },
    { 2, "attack_decay", "Attack Decay" },
    { 3, "attack_gain", "Attack Gain" },
    { 4, "body_body", "Body Enable" },
    { 5, "body_attack", "Body Attack" },
    { 6, "body_hold", "Body Hold" },
    { 7, "body_decay", "Body Decay" },
    { 8, "body_deep", "Body Deep" },
    { 9, "body_curve", "Body Curve" },
    { 10, "body_start", "Body Pitch Start" },
    { 11, "body_pitchdecay", "Body Pitch Decay" },
    { 12, "body_end", "Body Pitch End" },
    { 13, "tweaks_time", "Shaper A Position" },
    { 14, "tweaks_width", "Shaper A Width" },
    { 15, "tweaks_cut", "Shaper A Cut" },
    { 16, "waveform_drive", "Drive" },
    { 17, "tweaks_hpf", "High Pass" },
    { 18, "tweaks_attackpitch", "Sample Pitch" },
    { 19, "tweaks_velsens", "Vel Sens" },
    { 20, "tweaks_bodygain", "Body Gain" },
    { 21, "master_level", "Master Level" },
    { 22, "master_oneshot", "One Shot Enable" },
    { 23, "tweaks_punch", "Shaper B Punch" },
    { 24, "tweaks_toughchirp", "Tune Attack" },
    { 25, "tweaks_eqgain", "EQ Gain" },
    { 26, "tweaks_eqfreq", "EQ Frequency" },
    { 27, "tweaks_hishelf", "EQ Hi Shelf" },
    { 28, "waveform_phase", "Phase" },
    { 29, "attackoverlay_enable2", "Attack Enable" },
    { 30, "attack2_highpass", "Attack HPF" },
    { 31, "attack2_decay", "Attack Decay" },
    { 32, "attack2_gain", "Attack Gain" },
    { 33, "tweaks_attack2pitch", "Sample 2 Pitch" },
};
} // namespace

TEST (ProcessorHostView, OffersTheThirtyFourAutomatableParametersInSlotOrder)
{
    VellmarkKick7702AudioProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), 34);

    const auto& store = processor.getParameterStore();
    for (const auto& expected : hostSlots)
    {
        const auto* parameter = parameters[expected.slot];
        EXPECT_EQ (parameter->getName (100), juce::String (expected.hostName)) << expected.slot;
        EXPECT_EQ (store.getKey (store.getParameterNumberOfSlot (expected.slot)), juce::String (expected.key));
        EXPECT_EQ (parameter->getValue(), store.getParameter (expected.slot));
        EXPECT_EQ (parameter->getDefaultValue(), store.getParameterDefaultValue (expected.slot));
        EXPECT_TRUE (parameter->getText (parameter->getValue(), 100).isEmpty());
    }
    EXPECT_EQ (store.getParameterName (34), "Unknown");
}

TEST (ProcessorHostView, HostWritesMoveTheStoredValueAlongTheSkew)
{
    VellmarkKick7702AudioProcessor processor;
    auto& store = processor.getParameterStore();
    const auto slot = store.getSlotOfParameter (Param::bodyDecay);
    auto* parameter = processor.getParameters()[slot];

    const auto lo = store.getMinimum (Param::bodyDecay);
    const auto hi = store.getMaximum (Param::bodyDecay);
    const auto skew = store.getSkew (Param::bodyDecay);
    for (const float x : { 0.0f, 0.25f, 0.5f, 1.0f })
    {
        parameter->setValue (x);
        const auto expected = x > 0.0f ? lo + (hi - lo) * std::exp (std::log (x) / skew) : lo;
        EXPECT_NEAR (store.getValue (Param::bodyDecay), expected, 1.0e-3f * hi) << x;
        EXPECT_NEAR (parameter->getValue(), x, 1.0e-5f);
    }
}

TEST (ProcessorHostView, IdentityBusesAndChannelNames)
{
    VellmarkKick7702AudioProcessor processor;
    EXPECT_EQ (processor.getName(), "Thud Mor");
    EXPECT_TRUE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "Default");

    ASSERT_EQ (processor.getBusCount (false), 2);
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (false, 1)->getName(), "Attack Output");
    ASSERT_EQ (processor.getBusCount (true), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_FALSE (processor.getBus (true, 0)->isEnabledByDefault());

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    EXPECT_EQ (processor.getOutputChannelName (0), "Thudmor Main");
    EXPECT_EQ (processor.getOutputChannelName (2), "Thudmor Attack");
    EXPECT_EQ (processor.getOutputChannelName (3), "Thudmor Attack");
    EXPECT_EQ (processor.getInputChannelName (0), "1");
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    using Set = juce::AudioChannelSet;
    juce::AudioProcessor::BusesLayout both, mainOnly, monoAttack;
    for (auto* layout : { &both, &mainOnly, &monoAttack })
        layout->inputBuses = { Set::stereo() };
    both.outputBuses = { Set::stereo(), Set::stereo() };
    mainOnly.outputBuses = { Set::stereo() };
    monoAttack.outputBuses = { Set::stereo(), Set::mono() };
    EXPECT_TRUE (processor.checkBusesLayoutSupported (both));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (mainOnly));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (monoAttack));
}
