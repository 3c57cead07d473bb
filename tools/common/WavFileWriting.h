#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

// Writes the audio as a WAV file (16 or 24 bit integer, 32 bit float) under a temporary
// name beside the target and renames it into place only once everything is written, so a
// failure never leaves a half-written file. Returns an empty text, or what went wrong.
juce::String writeWavFile (const juce::File& target, const juce::AudioBuffer<float>& audio, double sampleRate,
                           int bitsPerSample);
