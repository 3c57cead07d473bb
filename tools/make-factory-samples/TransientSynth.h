#pragma once

#include "TransientRecipe.h"

#include <juce_audio_basics/juce_audio_basics.h>

// Renders a recipe into audio: each layer is normalised to a peak of 1 before its gain, the
// mix loses its DC, fades out over its last 3 ms and peaks at -1 dBFS. The same recipe, rate
// and channel count always give the same samples: the only randomness is a seeded generator.
juce::AudioBuffer<float> renderTransient (const SampleRecipe& recipe, double sampleRate, int channels);
