#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_graphics/juce_graphics.h>

// A picture of a rendered kick: both channels' envelopes over time, with a time grid, the
// 0 dBFS and -6 dBFS lines and a caption. Drawn by the software renderer, so no display is
// needed.
juce::Image drawWaveformPicture (const juce::AudioBuffer<float>& audio, double sampleRate, const juce::String& caption,
                                 int width = 1200, int height = 420);

// Writes the picture as PNG under a temporary name and renames it into place. Returns an
// empty text, or what went wrong.
juce::String writePngFile (const juce::File& target, const juce::Image& picture);
