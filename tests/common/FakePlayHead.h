#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// A host transport the test moves by hand.
class FakePlayHead final : public juce::AudioPlayHead
{
public:
    double bpm = 120.0;
    double ppq = 0.0;
    double barStart = 0.0;
    bool playing = false;
    bool reportsPosition = true;

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! reportsPosition)
            return {};
        PositionInfo info;
        info.setBpm (bpm);
        info.setPpqPosition (ppq);
        info.setPpqPositionOfLastBarStart (barStart);
        info.setIsPlaying (playing);
        return info;
    }

    // Moves the transport on by one block, keeping the bar start at whole 4/4 bars.
    void advance (int numSamples, double sampleRate)
    {
        ppq += numSamples * bpm / (60.0 * sampleRate);
        barStart = std::floor (ppq / 4.0) * 4.0;
    }
};
