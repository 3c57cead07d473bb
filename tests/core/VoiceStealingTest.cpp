#include "core/AudioThreadMonitor.h"
#include "engine/VellmarkSynthesiser.h"

#include <gtest/gtest.h>

namespace
{
struct AnySound final : juce::SynthesiserSound
{
    bool appliesToNote (int) override { return true; }
    bool appliesToChannel (int) override { return true; }
};

// A voice that sounds until it is cut: a note-off with tail-off leaves it playing, released.
struct HeldVoice final : juce::SynthesiserVoice
{
    bool canPlaySound (juce::SynthesiserSound*) override { return true; }
    void startNote (int, float, juce::SynthesiserSound*, int) override {}
    void stopNote (float, bool allowTailOff) override
    {
        if (! allowTailOff)
            clearCurrentNote();
    }
    void pitchWheelMoved (int) override {}
    void controllerMoved (int, int) override {}
    void renderNextBlock (juce::AudioBuffer<float>&, int, int) override {}
};

template <typename Synth>
void addVoices (Synth& synth, int count)
{
    synth.addSound (new AnySound());
    for (int i = 0; i < count; ++i)
        synth.addVoice (new HeldVoice());
}

std::vector<int> notesOf (const juce::Synthesiser& synth)
{
    std::vector<int> notes;
    for (int i = 0; i < synth.getNumVoices(); ++i)
        notes.push_back (synth.getVoice (i)->getCurrentlyPlayingNote());
    return notes;
}

struct Event
{
    int channel;
    int note; // negative: note-off of -note
};
} // namespace

// The allocation-free stealing picks the voice JUCE's own stealing picks, in every branch of
// its rules: same note, released, not held, unprotected, and the protected lowest and highest.
TEST (VoiceStealing, StealsTheVoiceJuceWouldStealWithoutAllocating)
{
    struct Case
    {
        const char* name;
        int voices;
        std::vector<Event> events;
    };
    const std::vector<Case> cases{
        { "oldest released kick", 2, { { 1, 36 }, { 1, 40 }, { 1, 45 }, { 1, 50 } } },
        { "same note again", 2, { { 1, 36 }, { 2, 40 }, { 3, 36 } } },
        { "two held, lowest and highest protected", 2, { { 1, 36 }, { 2, 40 }, { 3, 45 } } },
        { "middle note unprotected", 3, { { 1, 36 }, { 2, 50 }, { 3, 43 }, { 4, 60 } } },
        { "released before held", 3, { { 1, 36 }, { 2, 50 }, { 3, 43 }, { 3, -43 }, { 4, 60 } } },
        { "one shot off, note-offs release", 2, { { 1, 36 }, { 2, 40 }, { 2, -40 }, { 1, -36 }, { 3, 38 } } },
    };

    for (const auto& [name, voices, events] : cases)
    {
        VellmarkSynthesiser kick;
        juce::Synthesiser reference;
        addVoices (kick, voices);
        addVoices (reference, voices);
        kick.setOneShot (false);

        AudioThreadMonitor monitor;
        for (const auto& [channel, note] : events)
        {
            if (note < 0)
            {
                kick.noteOff (channel, -note, 0.0f, true);
                reference.noteOff (channel, -note, 0.0f, true);
                continue;
            }

            {
                const AudioThreadMonitor::ScopedWatch watch (monitor);
                kick.noteOn (channel, note, 1.0f);
            }
            // The kick synthesiser first releases whatever sounds on the channel.
            reference.allNotesOff (channel, true);
            reference.noteOn (channel, note, 1.0f);
            EXPECT_EQ (notesOf (kick), notesOf (reference)) << name << ", note " << note;
        }
        if (AudioThreadMonitor::isAvailable())
            EXPECT_EQ (monitor.getAllocations(), 0) << name;
    }
}
