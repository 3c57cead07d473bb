#include "host/HostFormatTest.h"
#include "host/KickStates.h"
#include "host/ParameterTable.h"

namespace
{
using Layout = juce::AudioProcessor::BusesLayout;

// Every parameter the host sees except the bypass switch that plug-in formats add.
std::vector<juce::AudioProcessorParameter*> automatableParameters (juce::AudioPluginInstance& plugin)
{
    std::vector<juce::AudioProcessorParameter*> result;
    for (auto* parameter : plugin.getParameters())
        if (parameter != plugin.getBypassParameter())
            result.push_back (parameter);
    return result;
}

juce::String text (std::string_view view) { return juce::String (view.data(), view.size()); }

// The plug-in's layout with other output sets.
Layout withOutputs (const juce::AudioPluginInstance& plugin, const juce::AudioChannelSet& main,
                    const juce::AudioChannelSet& attack)
{
    auto layout = plugin.getBusesLayout();
    layout.outputBuses.getReference (0) = main;
    layout.outputBuses.getReference (1) = attack;
    return layout;
}
} // namespace

class HostIdentity : public HostFormatTest
{
};

TEST_P (HostIdentity, IsTheStereoPairInstrumentWithAnAttackBusAndNoInput)
{
    const auto kick = loadKick();
    ASSERT_NE (kick, nullptr);
    auto& plugin = kick->plugin();

    const auto description = plugin.getPluginDescription();
    EXPECT_EQ (description.name, "Thud Mor");
    EXPECT_TRUE (description.isInstrument);
    EXPECT_EQ (plugin.getName(), "Thud Mor");
    EXPECT_TRUE (plugin.acceptsMidi());
    EXPECT_FALSE (plugin.producesMidi());

    ASSERT_EQ (plugin.getBusCount (false), 2);
    const char* busNames[] = { "Output", "Attack Output" };
    for (int bus = 0; bus < 2; ++bus)
    {
        const auto* output = plugin.getBus (false, bus);
        EXPECT_EQ (output->getName(), busNames[bus]);
        EXPECT_EQ (output->getCurrentLayout(), juce::AudioChannelSet::stereo()) << bus;
        EXPECT_TRUE (output->isEnabled()) << bus;
    }
    EXPECT_EQ (plugin.getTotalNumOutputChannels(), 4);
    EXPECT_EQ (plugin.getTotalNumInputChannels(), 0);

    // VST3 shows the unused input; LV2 declares no input ports at all.
    if (GetParam() == PluginFormatKind::vst3)
    {
        ASSERT_EQ (plugin.getBusCount (true), 1);
        EXPECT_EQ (plugin.getBus (true, 0)->getName(), "Input");
        EXPECT_EQ (plugin.getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
        EXPECT_FALSE (plugin.getBus (true, 0)->isEnabled());
    }
}

TEST_P (HostIdentity, OnlyTwoStereoOutputsAreAccepted)
{
    const auto kick = loadKick();
    ASSERT_NE (kick, nullptr);
    auto& plugin = kick->plugin();
    plugin.releaseResources();

    const auto stereo = juce::AudioChannelSet::stereo();
    const auto mono = juce::AudioChannelSet::mono();
    EXPECT_TRUE (plugin.checkBusesLayoutSupported (withOutputs (plugin, stereo, stereo)));
    EXPECT_FALSE (plugin.checkBusesLayoutSupported (withOutputs (plugin, mono, stereo)));
    EXPECT_FALSE (plugin.checkBusesLayoutSupported (withOutputs (plugin, stereo, mono)));
    EXPECT_FALSE (
        plugin.checkBusesLayoutSupported (withOutputs (plugin, juce::AudioChannelSet::create5point1(), stereo)));

    // A VST3 host may switch any bus off (the plug-in keeps rendering both internally);
    // an LV2 host cannot drop the attack bus.
    if (GetParam() == PluginFormatKind::lv2)
    {
        EXPECT_FALSE (
            plugin.checkBusesLayoutSupported (withOutputs (plugin, stereo, juce::AudioChannelSet::disabled())));
    }
}

TEST_P (HostIdentity, ThirtyFourParametersInSlotOrderWithTheirHostNames)
{
    const auto kick = loadKick();
    ASSERT_NE (kick, nullptr);
    auto& plugin = kick->plugin();

    EXPECT_LE (plugin.getParameters().size() - (int) automatableParameters (plugin).size(), 1) << "only a bypass";
    const auto parameters = automatableParameters (plugin);
    ASSERT_EQ (parameters.size(), hostParameterTable.size());
    for (size_t slot = 0; slot < parameters.size(); ++slot)
        EXPECT_EQ (parameters[slot]->getName (100), text (hostParameterTable[slot].hostName)) << "slot " << slot;
}

// LV2 hosts take values and defaults from the plug-in's description files, so only VST3
// shows what the running instance holds.
TEST (HostParametersVST3, ValuesAndDefaultsAreTheDefaultPresetsNormalised)
{
    juce::String error;
    const auto kick = HostedKick::load (PluginFormatKind::vst3, 48000.0, 512, error);
    ASSERT_NE (kick, nullptr) << error;
    const auto parameters = automatableParameters (kick->plugin());
    ASSERT_EQ (parameters.size(), hostParameterTable.size());

    for (size_t slot = 0; slot < parameters.size(); ++slot)
    {
        const auto& row = hostParameterTable[slot];
        const auto expected = row.normalise (userDefaultValue (row.key));
        EXPECT_NEAR (parameters[slot]->getDefaultValue(), expected, 1.0e-6f) << row.key;
        EXPECT_NEAR (parameters[slot]->getValue(), juce::jlimit (0.0f, 1.0f, expected), 1.0e-6f) << row.key;
    }
}

TEST_P (HostIdentity, SettingANormalisedValueStoresTheSkewedRealValue)
{
    const auto kick = loadKick();
    ASSERT_NE (kick, nullptr);
    kick->applyState (*makeKickState ({}));
    const auto parameters = automatableParameters (kick->plugin());
    ASSERT_EQ (parameters.size(), hostParameterTable.size());

    struct Round
    {
        const char* name;
        float (*normalised) (size_t slot);
    };
    const Round rounds[] = {
        { "all at 0", [] (size_t) { return 0.0f; } },
        { "all at 1", [] (size_t) { return 1.0f; } },
        { "spread", [] (size_t slot) { return (float) (slot + 1) / 35.0f; } },
    };

    for (const auto& round : rounds)
    {
        for (size_t slot = 0; slot < parameters.size(); ++slot)
            parameters[slot]->setValue (round.normalised (slot));
        (void) kick->play (1); // the host hands automation over with the next block

        const auto state = kick->readState();
        ASSERT_NE (state, nullptr) << round.name;
        const auto* floats = state->getChildByName ("float");
        ASSERT_NE (floats, nullptr) << round.name;

        for (size_t slot = 0; slot < parameters.size(); ++slot)
        {
            const auto row = withLatestCompatibilityRanges (hostParameterTable[slot]);
            const auto expected = row.denormalise (round.normalised (slot));
            const auto stored = (float) floats->getDoubleAttribute (text (row.key), -12345.0);
            // States carry six significant digits.
            EXPECT_NEAR (stored, expected, std::max (1.0e-5f * std::abs (expected), 1.0e-6f))
                << round.name << ", " << row.key;
        }
    }
}

THUDMOR_INSTANTIATE_FOR_BOTH_FORMATS (HostIdentity);
