#pragma once

#include "thudmor-render/RenderOptions.h"

// What became of rendering one preset to its files.
struct RenderOutcome
{
    juce::String error; // empty on success
    float peakDecibels = -100.0f;
    double seconds = 0.0;
};

// Renders one preset with the options' banks and settings into a WAV file and, when
// `picture` is set, a PNG. Nothing is written unless the render succeeded, and each file
// appears whole or not at all.
RenderOutcome renderPresetToFiles (const RenderOptions& options, const juce::String& preset, const juce::File& wav,
                                   const juce::File& picture);
