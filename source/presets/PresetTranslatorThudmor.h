#pragma once

#include "presets/PresetVersionTranslator.h"

#include <memory>

class ProcessorParameterStore;

// Rewrites documents of older versions into the current form and carries the data of the
// compatibility modes: names, the latest mode and the parameter ranges of each mode.
class PresetTranslatorThudmor : public PresetVersionTranslator
{
public:
    static constexpr int latestCompatibilityMode = 2;

    PresetTranslatorThudmor();

    // Translates in place and returns the same document. Translating twice changes nothing.
    virtual juce::XmlElement& translate (juce::XmlElement& document);

    // The document applied before every main preset, built anew at every call.
    [[nodiscard]] virtual std::unique_ptr<juce::XmlElement> getLegacyDefaultPreset();

    // "V1.1 Legacy", "V1.2": index 0 is mode 1.
    [[nodiscard]] virtual juce::StringArray getCompatibilityModeNames();
    [[nodiscard]] virtual int getLatestCompatibilityMode();

    // Writes the ranges of `mode` into the store; any other mode than 1 or 2 changes nothing.
    virtual void applyCompatibilityMode (int mode, ProcessorParameterStore& store);

    // Embeds the audio of an old-style attack sample entry (a file path) into it.
    void importLegacyAttackFileFormat (juce::XmlElement& entry);
};
