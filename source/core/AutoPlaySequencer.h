#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

// Plays a kick on every beat in time with the host's transport: a four-beat pattern of
// note-ons (channel 1, note 0, velocity 127) at beats 0 to 3, each followed 0.7 beat later
// by its note-off. It tracks the host position every block, also while auto play is off,
// so that switching it on mid-playback starts on the next beat.
class AutoPlaySequencer final
{
public:
    struct HostPosition
    {
        double ppq = 0.0;      // position in beats
        double barStart = 0.0; // position in beats of the last bar start
        double bpm = 120.0;
        bool isPlaying = false;
    };

    AutoPlaySequencer();

    // Runs one block and leaves this block's generated events in getEvents(), with sample
    // positions relative to the block start (possibly outside [0, numSamples)).
    void process (const HostPosition& position, int numSamples, double sampleRate) noexcept;

    // Appends the generated events that fall inside the block to `destination`.
    void addEventsTo (juce::MidiBuffer& destination, int numSamples) const;

    [[nodiscard]] const juce::MidiBuffer& getEvents() const noexcept { return events; }
    [[nodiscard]] bool isStopped() const noexcept { return stopped; }
    [[nodiscard]] int getNumPendingNoteOffs() const noexcept { return numPending; }

    static constexpr double patternLength = 4.0;
    static constexpr double noteLength = 0.7;

private:
    struct TimedMessage
    {
        double beat = 0.0;
        juce::MidiMessage message;
    };

    void detectTransport (const HostPosition& position) noexcept;
    void resynchronise (const HostPosition& position) noexcept;
    void generate (const HostPosition& position, double expectedNext, int numSamples, double sampleRate,
                   bool outputAllowed) noexcept;
    void flushPendingNoteOffs() noexcept;
    void insertPendingNoteOff (const TimedMessage& noteOff) noexcept;
    void removeFirstPendingNoteOff() noexcept;

    std::array<TimedMessage, 4> pattern;
    int nextIndex = 0;
    juce::int64 loopCount = 0;
    double origin = 0.0;
    double lastSeen = 0.0;
    double expected = 0.0;

    static constexpr int pendingCapacity = 64;
    std::array<TimedMessage, pendingCapacity> pending{};
    int numPending = 0;

    juce::MidiBuffer events;
    bool stopped = true;
    bool stoppedSticky = true;
    bool hostReportsPlaying = false;
    bool noteAdded = false;
    juce::int64 blockCounter = 0;
};
