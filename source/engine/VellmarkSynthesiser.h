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

private:
    std::atomic<bool> oneShot{ true };
};
