#include "host/AudioChecks.h"
#include "host/HostFormatTest.h"
#include "host/KickStates.h"

namespace
{
constexpr int kickBlocks = 60; // 0.64 s at 48 kHz and 512 samples

// Only the body, nothing on the attack layers.
const ValueOverrides bodyOnly{ { "master_level", 1.0f }, { "attackoverlay_enable1", 0.0f } };

// Only the first attack layer, with its sample, on the main or the attack bus.
ValueOverrides layerOnly (bool split)
{
    return { { "master_level", 1.0f },
             { "body_body", 0.0f },
             { "attackoverlay_enable1", 1.0f },
             { "body_splitattack", split ? 1.0f : 0.0f } };
}

bool identical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int numChannels)
{
    if (a.getNumSamples() != b.getNumSamples())
        return false;
    for (int c = 0; c < numChannels; ++c)
        if (std::memcmp (a.getReadPointer (c), b.getReadPointer (c), sizeof (float) * (size_t) a.getNumSamples()) != 0)
            return false;
    return true;
}
} // namespace

class HostSound : public HostFormatTest
{
};

TEST_P (HostSound, ANoteOnPlaysAKickOnTheMainBusOnly)
{
    const auto kick = loadKick();
    ASSERT_NE (kick, nullptr);
    kick->applyState (*makeKickState (bodyOnly));

    const auto silence = kick->play (10);
    EXPECT_EQ (mainPeak (silence), 0.0f);

    const auto audio = kick->play (kickBlocks, noteOn());
    EXPECT_GT (mainPeak (audio), audiblePeak);
    EXPECT_EQ (attackPeak (audio), 0.0f);
    EXPECT_TRUE (AudioReport::of (audio).allFinite);
}

TEST_P (HostSound, SplitOutputMovesTheAttackLayersToTheSecondBus)
{
    struct Case
    {
        bool split;
        bool layerOnMain;
    };
    for (const auto& [split, layerOnMain] : { Case{ false, true }, Case{ true, false } })
    {
        const auto kick = loadKick();
        ASSERT_NE (kick, nullptr);
        kick->applyState (*makeKickState (layerOnly (split), true));
        kick->settle();

        const auto audio = kick->play (kickBlocks, noteOn());
        if (layerOnMain)
        {
            EXPECT_GT (mainPeak (audio), audiblePeak) << "split " << split;
            EXPECT_EQ (attackPeak (audio), 0.0f) << "split " << split;
        }
        else
        {
            EXPECT_EQ (mainPeak (audio), 0.0f) << "split " << split;
            EXPECT_GT (attackPeak (audio), audiblePeak) << "split " << split;
        }
    }
}

// A VST3 host may switch the attack bus off and hand over two channels only: without SPLIT
// OUTPUT the layers still sound on the main bus, exactly as with four channels.
TEST (HostSoundVST3, TwoChannelBlocksCarryTheLayersOnTheMainBus)
{
    juce::String error;
    const auto four = HostedKick::load (PluginFormatKind::vst3, 48000.0, 512, error);
    const auto two = HostedKick::load (PluginFormatKind::vst3, 48000.0, 512, error);
    ASSERT_TRUE (four != nullptr && two != nullptr) << error;

    auto& plugin = two->plugin();
    plugin.releaseResources();
    auto layout = plugin.getBusesLayout();
    layout.outputBuses.getReference (1) = juce::AudioChannelSet::disabled();
    ASSERT_TRUE (plugin.setBusesLayout (layout));
    two->prepare (48000.0, 512);
    ASSERT_EQ (plugin.getTotalNumOutputChannels(), 2);

    for (auto* kick : { four.get(), two.get() })
    {
        kick->applyState (*makeKickState (layerOnly (false), true));
        kick->settle();
    }
    const auto fourChannels = four->play (kickBlocks, noteOn(), 4);
    const auto twoChannels = two->play (kickBlocks, noteOn(), 2);
    EXPECT_GT (mainPeak (twoChannels), audiblePeak);
    EXPECT_TRUE (identical (fourChannels, twoChannels, 2));
}

TEST_P (HostSound, ASavedStateRestoredIntoAFreshInstancePlaysTheSameKick)
{
    const auto first = loadKick();
    ASSERT_NE (first, nullptr);
    first->applyState (*makeKickState ({ { "master_level", 0.8f },
                                         { "body_decay", 180.0f },
                                         { "body_start", 900.0f },
                                         { "waveform_drive", 2.0f },
                                         { "waveform_drivemode", 4.0f },
                                         { "tweaks_eqgain", 5.0f },
                                         { "attackoverlay_enable1", 1.0f },
                                         { "attackoverlay_enable2", 1.0f },
                                         { "tweaks_attack2pitch", 7.0f },
                                         { "body_splitattack", 1.0f } },
                                       true));
    first->settle();
    const auto saved = first->getHostState();

    const auto second = loadKick();
    ASSERT_NE (second, nullptr);
    second->setHostState (saved);
    second->settle();

    const auto firstState = first->readState();
    const auto secondState = second->readState();
    ASSERT_TRUE (firstState != nullptr && secondState != nullptr);
    EXPECT_TRUE (firstState->isEquivalentTo (secondState.get(), false));

    const auto a = first->play (kickBlocks, noteOn (40, 100));
    const auto b = second->play (kickBlocks, noteOn (40, 100));
    EXPECT_GT (mainPeak (a), audiblePeak);
    EXPECT_GT (attackPeak (a), audiblePeak) << "the restored samples play";
    EXPECT_TRUE (identical (a, b, 4));
}

THUDMOR_INSTANTIATE_FOR_BOTH_FORMATS (HostSound);
