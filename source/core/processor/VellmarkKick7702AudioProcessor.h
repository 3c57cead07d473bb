#pragma once

#include "core/KickEngine.h"
#include "core/VellmarkProcessor.h"
#include "params/PresetGroupKeys.h"
#include "presets/PresetStore.h"
#include "presets/PresetStoreList.h"
#include "presets/PresetTranslatorThudmor.h"
#include "support/PluginProperties.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

// The object the host creates: buses, host parameters, the engine's audio block, host
// state and the offline renders of the waveform display.
class VellmarkKick7702AudioProcessor final : public juce::AudioProcessor, public VellmarkProcessor
{
public:
    VellmarkKick7702AudioProcessor();
    ~VellmarkKick7702AudioProcessor() override;

    //=== host-facing =========================================================================
    const juce::String getName() const override { return "Thud Mor"; }
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    bool canAddBus (bool) const override { return false; }
    bool canRemoveBus (bool) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool supportsMPE() const override { return false; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    bool hasEditor() const override { return true; }
    juce::AudioProcessorEditor* createEditor() override;

    // One program. Its name is "Default" rather than empty: VST3 validators reject a
    // program without a name.
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "Default"; }
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destination) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int) const override { return true; }
    bool isOutputChannelStereoPair (int) const override { return true; }
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    //=== offline renders ======================================================================
    juce::AudioBuffer<float>& render (int kind, int numChannels, int numSamples, double sampleRate) override;
    juce::int64 getKickLengthSamples() override { return engine.getKickLengthSamples(); }
    void setRenderSampleRate (int kind, double rate) override { engine.setRenderSampleRate (kind, rate); }

    //=== parts ================================================================================
    [[nodiscard]] KickEngine& getEngine() noexcept { return engine; }
    [[nodiscard]] PresetTranslatorThudmor& getTranslator() noexcept { return translator; }
    [[nodiscard]] PresetStoreList& getPresetStoreList() noexcept { return presetStoreList; }
    [[nodiscard]] PresetStore& getPresetStore (const juce::String& folder, bool isFactory);

private:
    static BusesProperties thudmorBuses();
    void buildParameters();
    [[nodiscard]] juce::String hostParameterID (int slot) const;
    void logStartup();

    PluginProperties::Share properties;

    PresetStore mainFactoryPresets;
    PresetStore mainUserPresets;
    PresetStore attackFactoryPresets;
    PresetStore attackUserPresets;
    PresetStoreList presetStoreList;

    KickEngine engine;
    PresetTranslatorThudmor translator;
    PresetGroupKeys presetGroupKeys;

    std::unique_ptr<juce::AudioBuffer<float>> renderBuffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VellmarkKick7702AudioProcessor)
};
