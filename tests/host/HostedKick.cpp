#include "host/HostedKick.h"

#include "host/HostStates.h"
#include "host/KickStates.h"

namespace
{
// The loader thread looks at its queue at least every 300 ms; this covers a few rounds.
constexpr int settleMilliseconds = 1200;
constexpr int settleStepMilliseconds = 10;
} // namespace

std::unique_ptr<HostedKick> HostedKick::load (PluginFormatKind kind, double sampleRate, int blockSize,
                                              juce::String& error)
{
    auto instance = TestHost::get().createInstance (kind, sampleRate, blockSize, error);
    if (instance == nullptr)
        return nullptr;

    std::unique_ptr<HostedKick> kick (new HostedKick (kind, std::move (instance), blockSize));
    kick->prepare (sampleRate, blockSize);
    return kick;
}

HostedKick::HostedKick (PluginFormatKind formatKind, std::unique_ptr<juce::AudioPluginInstance> pluginInstance,
                        int size)
    : kind (formatKind)
    , instance (std::move (pluginInstance))
    , blockSize (size)
{
}

HostedKick::~HostedKick()
{
    if (prepared)
        instance->releaseResources();
}

void HostedKick::prepare (double sampleRate, int newBlockSize)
{
    if (std::exchange (prepared, false))
        instance->releaseResources();
    blockSize = newBlockSize;
    instance->prepareToPlay (sampleRate, std::max (1, blockSize));
    prepared = true;
}

juce::AudioBuffer<float> HostedKick::play (int numBlocks, const juce::MidiBuffer& firstBlockMidi, int numChannels)
{
    juce::AudioBuffer<float> all (numChannels, numBlocks * blockSize);
    juce::AudioBuffer<float> block (numChannels, blockSize);
    juce::MidiBuffer midi;
    for (int b = 0; b < numBlocks; ++b)
    {
        midi.clear();
        if (b == 0)
            midi.addEvents (firstBlockMidi, 0, -1, 0);
        block.clear();
        instance->processBlock (block, midi);
        for (int c = 0; c < numChannels; ++c)
            all.copyFrom (c, b * blockSize, block, c, 0, blockSize);
    }
    return all;
}

void HostedKick::settle()
{
    for (int waited = 0; waited < settleMilliseconds; waited += settleStepMilliseconds)
    {
        (void) play (1);
        juce::Thread::sleep (settleStepMilliseconds);
    }
}

std::unique_ptr<juce::XmlElement> HostedKick::readState()
{
    const auto blob = pluginBlobOf (kind, getHostState());
    return juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int) blob.getSize());
}

void HostedKick::applyState (const juce::XmlElement& document) { applyPluginBlob (makePluginBlob (document)); }

void HostedKick::applyPluginBlob (const juce::MemoryBlock& pluginBlob)
{
    setHostState (withPluginBlob (kind, getHostState(), pluginBlob));
}

juce::MemoryBlock HostedKick::getHostState()
{
    juce::MemoryBlock state;
    instance->getStateInformation (state);
    return state;
}

void HostedKick::setHostState (const juce::MemoryBlock& hostState)
{
    instance->setStateInformation (hostState.getData(), (int) hostState.getSize());
}

juce::MidiBuffer noteOn (int note, int velocity, int samplePosition)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity), samplePosition);
    return midi;
}
