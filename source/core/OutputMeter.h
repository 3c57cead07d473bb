#pragma once

#include "params/ProcessorParameterStore.h"

#include <juce_audio_basics/juce_audio_basics.h>

// The output meter: peaks jump up at once and are held until the editor has read them,
// then the level falls linearly by 1.72265625 per second.
class OutputMeter final
{
public:
    static constexpr float fallPerSecond = 1.72265625f;
    static constexpr float ceiling = 1.1f;

    static void update (ProcessorParameterStore& store, const juce::AudioBuffer<float>& buffer, int numSamples,
                        double sampleRate) noexcept
    {
        float peak = 0.0f;
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            peak = std::max (peak, buffer.getMagnitude (channel, 0, numSamples));

        const auto level = store.outputLevel.load (std::memory_order_relaxed);
        if (peak > level)
        {
            store.outputLevel.store (std::min (peak, ceiling), std::memory_order_relaxed);
            store.levelHeld.store (1, std::memory_order_relaxed);
        }
        else if (store.levelHeld.load (std::memory_order_relaxed) == 0 && sampleRate > 0.0)
        {
            store.outputLevel.store (level - (float) numSamples * fallPerSecond / (float) sampleRate,
                                     std::memory_order_relaxed);
        }
    }
};
