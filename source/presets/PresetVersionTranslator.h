#pragma once

#include <juce_core/juce_core.h>

// Base of the preset translators: a named object that rewrites older documents.
class PresetVersionTranslator
{
public:
    explicit PresetVersionTranslator (juce::String translatorName)
        : name (std::move (translatorName))
    {
    }
    virtual ~PresetVersionTranslator() = default;

    [[nodiscard]] const juce::String& getName() const noexcept { return name; }

private:
    juce::String name;
};
