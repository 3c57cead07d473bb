#pragma once

#include "host/TestHost.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

// One plug-in instance loaded from its bundle, driven the way a DAW drives it: prepared with
// both output buses on, fed blocks with MIDI, its state saved and restored through the
// format's own state calls.
class HostedKick final
{
public:
    // Null, with the reason in `error`, when the bundle does not load.
    [[nodiscard]] static std::unique_ptr<HostedKick> load (PluginFormatKind kind, double sampleRate, int blockSize,
                                                           juce::String& error);
    ~HostedKick();

    [[nodiscard]] juce::AudioPluginInstance& plugin() noexcept { return *instance; }
    [[nodiscard]] PluginFormatKind getKind() const noexcept { return kind; }
    [[nodiscard]] int getBlockSize() const noexcept { return blockSize; }

    // releaseResources (when prepared) and prepareToPlay, as hosts do on a rate or size change.
    void prepare (double sampleRate, int blockSize);

    // Plays `numBlocks` blocks of `numChannels` channels; the MIDI goes into the first block.
    [[nodiscard]] juce::AudioBuffer<float> play (int numBlocks, const juce::MidiBuffer& firstBlockMidi = {},
                                                 int numChannels = 4);

    // Silent blocks, in real time, long enough for the sample loader thread to hand over
    // whatever a state asked it to load.
    void settle();

    // The plug-in's own state document, taken out of the host's state.
    [[nodiscard]] std::unique_ptr<juce::XmlElement> readState();

    // Applies a plug-in state document or blob through the host's state call.
    void applyState (const juce::XmlElement& document);
    void applyPluginBlob (const juce::MemoryBlock& pluginBlob);

    // The host's own state blob (what a DAW stores in its project).
    [[nodiscard]] juce::MemoryBlock getHostState();
    void setHostState (const juce::MemoryBlock& hostState);

private:
    HostedKick (PluginFormatKind kind, std::unique_ptr<juce::AudioPluginInstance> instance, int blockSize);

    PluginFormatKind kind;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    int blockSize;
    bool prepared = false;
};

[[nodiscard]] juce::MidiBuffer noteOn (int note = 36, int velocity = 127, int samplePosition = 0);
