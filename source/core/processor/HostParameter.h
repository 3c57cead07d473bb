#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class ProcessorParameterStore;

// One automation slot as the host sees it. Everything is forwarded to the parameter store,
// which keeps the value in real units and does the skewed normalisation, so the host
// sees exactly the store's names, positions and defaults. The ID is what hosts store
// automation and states under; it must be unique (LV2 hosts map parameters by it).
class HostParameter final : public juce::AudioProcessorParameterWithID
{
public:
    HostParameter (ProcessorParameterStore& store, int slot, const juce::String& parameterID);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override { return {}; }
    juce::String getText (float, int) const override { return {}; }
    float getValueForText (const juce::String&) const override { return 0.0f; }

private:
    ProcessorParameterStore& store;
    const int slot;
};
