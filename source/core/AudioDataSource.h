#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// What the waveform display asks of the processor: offline renders of the current kick.
class AudioDataSource
{
public:
    virtual ~AudioDataSource() = default;

    // kind 1 = display render, 2 = export render. The buffer stays owned by the processor and
    // is valid until the next render; it may be longer than asked for.
    virtual juce::AudioBuffer<float>& render (int kind, int numChannels, int numSamples, double sampleRate) = 0;

    // Expected length of a kick at the engine's sample rate.
    [[nodiscard]] virtual juce::int64 getKickLengthSamples() = 0;

    virtual void setRenderSampleRate (int kind, double rate) = 0;

    // Samples the display should skip before the kick; nothing renders ahead of the note.
    [[nodiscard]] virtual int getRenderOffsetSamples() { return 0; }
};
