#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// Rewrites a preset document on its way into the processor and on its way out to a file.
// Both leave the argument unchanged and return a new document owned by the caller.
class PresetConverter
{
public:
    virtual ~PresetConverter() = default;
    [[nodiscard]] virtual std::unique_ptr<juce::XmlElement> convertForLoad (const juce::XmlElement& element) = 0;
    [[nodiscard]] virtual std::unique_ptr<juce::XmlElement> convertForSave (const juce::XmlElement& element) = 0;
};
