#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <limits>

// What the host tests look for in rendered audio.
struct AudioReport
{
    bool allFinite = true;
    int subnormals = 0;

    static AudioReport of (const juce::AudioBuffer<float>& audio)
    {
        AudioReport report;
        for (int c = 0; c < audio.getNumChannels(); ++c)
            for (int i = 0; i < audio.getNumSamples(); ++i)
            {
                const auto x = audio.getSample (c, i);
                report.allFinite = report.allFinite && std::isfinite (x);
                if (x != 0.0f && std::abs (x) < std::numeric_limits<float>::min())
                    ++report.subnormals;
            }
        return report;
    }
};

// Largest magnitude over a stereo pair of channels, starting at `firstChannel`.
[[nodiscard]] inline float peakOfPair (const juce::AudioBuffer<float>& audio, int firstChannel)
{
    if (audio.getNumChannels() < firstChannel + 2 || audio.getNumSamples() == 0)
        return 0.0f;
    return std::max (audio.getMagnitude (firstChannel, 0, audio.getNumSamples()),
                     audio.getMagnitude (firstChannel + 1, 0, audio.getNumSamples()));
}

[[nodiscard]] inline float mainPeak (const juce::AudioBuffer<float>& audio) { return peakOfPair (audio, 0); }
[[nodiscard]] inline float attackPeak (const juce::AudioBuffer<float>& audio) { return peakOfPair (audio, 2); }

// Loud enough to be a kick, not a rounding residue.
inline constexpr float audiblePeak = 0.05f;
