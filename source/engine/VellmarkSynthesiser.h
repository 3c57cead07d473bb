#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

// The kick synthesiser: every note-on first sends the sounding kicks on its channel into
// their fade, so that a new kick takes a free voice while the previous one dies away on
// the other; with one-shot on, note-offs are ignored and every kick plays in full.
class VellmarkSynthesiser final : public juce::Synthesiser
{
public:
    void noteOn (int midiChannel, int midiNoteNumber, float velocity) override;
    void noteOff (int midiChannel, int midiNoteNumber, float velocity, bool allowTailOff) override;

    void setOneShot (bool shouldIgnoreNoteOffs) noexcept
    {
        oneShot.store (shouldIgnoreNoteOffs, std::memory_order_relaxed);
    }
    [[nodiscard]] bool isOneShot() const noexcept { return oneShot.load (std::memory_order_relaxed); }

protected:
    // Two kick voices render side by side, so that the overlapping kicks' work overlaps too.
    void renderVoices (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) override;
    using juce::Synthesiser::renderVoices;

    // JUCE's own stealing empties and regrows a member array on every steal, an allocation
    // on the audio thread, under a lock of its own. This makes the same choice of voice with
    // a list on the stack.
    juce::SynthesiserVoice* findVoiceToSteal (juce::SynthesiserSound* soundToPlay, int midiChannel,
                                              int midiNoteNumber) const override;

private:
    static constexpr int maximumStealableVoices = 16;
    std::atomic<bool> oneShot{ true };
};
