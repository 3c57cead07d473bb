#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// The one sound of every kick synthesiser: it plays on every note and every channel.
class KickSynthSound final : public juce::SynthesiserSound
{
public:
    bool appliesToNote (int) override { return true; }
    bool appliesToChannel (int) override { return true; }
};
