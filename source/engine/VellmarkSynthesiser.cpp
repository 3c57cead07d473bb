#include "engine/VellmarkSynthesiser.h"

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
