#include "engine/VellmarkSynthesiser.h"

#include "engine/KickSynthVoice.h"

#include <algorithm>
#include <array>

void VellmarkSynthesiser::noteOn (int midiChannel, int midiNoteNumber, float velocity)
{
    const juce::ScopedLock sl (lock);
    allNotesOff (midiChannel, true);
    juce::Synthesiser::noteOn (midiChannel, midiNoteNumber, velocity);
}

void VellmarkSynthesiser::noteOff (int midiChannel, int midiNoteNumber, float velocity, bool allowTailOff)
{
    if (isOneShot())
        return;
    juce::Synthesiser::noteOff (midiChannel, midiNoteNumber, velocity, allowTailOff);
}

void VellmarkSynthesiser::renderVoices (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    if (voices.size() == 2)
        if (auto* first = dynamic_cast<KickSynthVoice*> (voices.getUnchecked (0)))
            if (auto* second = dynamic_cast<KickSynthVoice*> (voices.getUnchecked (1)))
            {
                KickSynthVoice::renderTogether (*first, *second, buffer, startSample, numSamples);
                return;
            }
    juce::Synthesiser::renderVoices (buffer, startSample, numSamples);
}

juce::SynthesiserVoice* VellmarkSynthesiser::findVoiceToSteal (juce::SynthesiserSound* soundToPlay, int midiChannel,
                                                               int midiNoteNumber) const
{
    if (voices.size() > maximumStealableVoices)
        return juce::Synthesiser::findVoiceToSteal (soundToPlay, midiChannel, midiNoteNumber);

    // Reuse the oldest kicks first; protect the lowest and highest notes still held, unless
    // nothing else is left.
    std::array<juce::SynthesiserVoice*, maximumStealableVoices> usable{};
    size_t count = 0;
    juce::SynthesiserVoice* low = nullptr;
    juce::SynthesiserVoice* top = nullptr;

    for (auto* voice : voices)
    {
        if (! voice->canPlaySound (soundToPlay))
            continue;

        usable[count++] = voice;
        std::sort (usable.begin(), usable.begin() + (std::ptrdiff_t) count,
                   [] (const juce::SynthesiserVoice* a, const juce::SynthesiserVoice* b)
                   { return a->wasStartedBefore (*b); });

        if (! voice->isPlayingButReleased())
        {
            const auto note = voice->getCurrentlyPlayingNote();
            if (low == nullptr || note < low->getCurrentlyPlayingNote())
                low = voice;
            if (top == nullptr || note > top->getCurrentlyPlayingNote())
                top = voice;
        }
    }

    if (top == low)
        top = nullptr;

    const auto oldest = [&] (auto&& accepts) -> juce::SynthesiserVoice*
    {
        for (size_t i = 0; i < count; ++i)
            if (accepts (usable[i]))
                return usable[i];
        return nullptr;
    };
    const auto unprotected = [&] (const juce::SynthesiserVoice* v) { return v != low && v != top; };

    if (auto* v = oldest ([&] (auto* voice) { return voice->getCurrentlyPlayingNote() == midiNoteNumber; }))
        return v;
    if (auto* v = oldest ([&] (auto* voice) { return unprotected (voice) && voice->isPlayingButReleased(); }))
        return v;
    if (auto* v = oldest ([&] (auto* voice) { return unprotected (voice) && ! voice->isKeyDown(); }))
        return v;
    if (auto* v = oldest (unprotected))
        return v;
    return top != nullptr ? top : low;
}
