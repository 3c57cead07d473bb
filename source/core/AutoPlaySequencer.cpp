#include "core/AutoPlaySequencer.h"

#include <cmath>

namespace
{
constexpr double noPendingNoteOff = 999999999.0;

// Host positions are trusted only as far as they are finite and sensible; a tempo of 0 or
// of millions would otherwise divide by zero or generate notes without end.
AutoPlaySequencer::HostPosition sanitised (AutoPlaySequencer::HostPosition p) noexcept
{
    if (! std::isfinite (p.ppq))
        p.ppq = 0.0;
    if (! std::isfinite (p.barStart))
        p.barStart = 0.0;
    if (! std::isfinite (p.bpm) || p.bpm <= 0.0)
        p.bpm = 120.0;
    p.bpm = std::min (p.bpm, 1000.0);
    return p;
}

int samplePositionOf (double beat, double ppq, double barStart, double samplesPerBeat, double base) noexcept
{
    const auto position = std::trunc ((std::max (beat, ppq) - barStart) * samplesPerBeat + base);
    return (int) juce::jlimit (-1.0e9, 1.0e9, position);
}
} // namespace

AutoPlaySequencer::AutoPlaySequencer()
{
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = { (double) i, juce::MidiMessage::noteOn (1, 0, (juce::uint8) 127) };

    // Room for every event a block can produce, so the audio thread never grows it.
    events.ensureSize (4096);
}

void AutoPlaySequencer::process (const HostPosition& hostPosition, int numSamples, double sampleRate) noexcept
{
    const auto position = sanitised (hostPosition);
    if (! (sampleRate > 0.0))
        sampleRate = 44100.0;

    const bool noteAddedBefore = noteAdded;
    noteAdded = false;
    ++blockCounter;
    events.clear();

    detectTransport (position);

    const bool inSync = expected - 0.1 <= position.ppq && position.ppq <= expected + 2.0;
    if (! inSync)
        resynchronise (position);

    expected = position.ppq + numSamples * position.bpm / (60.0 * sampleRate);

    if (stopped)
    {
        flushPendingNoteOffs();
        return;
    }

    // After a resynchronisation that follows a block which generated a note, this block's
    // notes are dropped, so a relocated transport does not trigger twice.
    generate (position, expected, numSamples, sampleRate, inSync || ! noteAddedBefore);
}

void AutoPlaySequencer::detectTransport (const HostPosition& position) noexcept
{
    if (hostReportsPlaying)
    {
        stopped = ! position.isPlaying;
    }
    else if (position.isPlaying)
    {
        hostReportsPlaying = true;
        stopped = false;
    }
    else if (position.ppq == lastSeen)
    {
        stopped = true;
        stoppedSticky = true;
    }
    else if (stoppedSticky && std::abs (position.ppq - lastSeen) > 0.5)
    {
        // Hosts that never report playing count as playing while the position moves in
        // small steps; a jump from a standstill is not playback yet.
        lastSeen = position.ppq;
        stopped = true;
    }
    else
    {
        lastSeen = position.ppq;
        stopped = false;
        stoppedSticky = false;
    }
}

void AutoPlaySequencer::resynchronise (const HostPosition& position) noexcept
{
    blockCounter = 0;
    origin = position.barStart;

    // The 0.01 beat offset makes a beat exactly on the block's first sample play at 0.
    const auto sinceBar = position.ppq - 0.01 - position.barStart;
    const auto r = std::fmod (sinceBar, patternLength);
    loopCount = (juce::int64) (sinceBar / patternLength);

    nextIndex = -1;
    for (int i = 0; i < (int) pattern.size(); ++i)
    {
        if (pattern[(size_t) i].beat >= r)
        {
            nextIndex = i;
            break;
        }
    }
    if (nextIndex < 0)
    {
        nextIndex = 0;
        ++loopCount;
    }
}

void AutoPlaySequencer::generate (const HostPosition& position, double expectedNext, int numSamples, double sampleRate,
                                  bool outputAllowed) noexcept
{
    const auto samplesPerBeat = sampleRate * 60.0 / position.bpm;
    const auto base = std::trunc ((position.barStart - position.ppq) * samplesPerBeat);

    // Bounded: each pass consumes one pattern entry or one note-off, and both move forward.
    for (int guard = 0; guard < 100000; ++guard)
    {
        const auto& entry = pattern[(size_t) nextIndex];
        const auto eventBeat = origin + (double) loopCount * patternLength + entry.beat;
        const auto noteOffBeat = numPending > 0 ? pending[0].beat : noPendingNoteOff;

        // The "none pending" sentinel must never be taken for a real note-off, even at
        // positions beyond it.
        // An event that rounds onto the first sample of the next block belongs to the next
        // block: consumed here it would fall outside this one and be lost.
        if (numPending > 0 && eventBeat >= noteOffBeat)
        {
            const auto samplePosition =
                samplePositionOf (noteOffBeat, position.ppq, position.barStart, samplesPerBeat, base);
            if (noteOffBeat >= expectedNext || samplePosition >= numSamples)
                break;
            const auto noteOff = pending[0].message;
            removeFirstPendingNoteOff();
            events.addEvent (noteOff, samplePosition);
        }
        else
        {
            const auto samplePosition =
                samplePositionOf (eventBeat, position.ppq, position.barStart, samplesPerBeat, base);
            if (eventBeat >= expectedNext || samplePosition >= numSamples)
                break;

            const auto noteOn = entry.message;
            if (++nextIndex >= (int) pattern.size())
            {
                nextIndex = 0;
                ++loopCount;
            }

            if (outputAllowed)
            {
                insertPendingNoteOff (
                    { eventBeat + noteLength,
                      juce::MidiMessage::noteOff (noteOn.getChannel(), noteOn.getNoteNumber(), (juce::uint8) 0) });
                noteAdded = true;
                events.addEvent (noteOn, samplePosition);
            }
        }
    }
}

void AutoPlaySequencer::flushPendingNoteOffs() noexcept
{
    for (int i = 0; i < numPending; ++i)
        events.addEvent (pending[(size_t) i].message, 1);
    numPending = 0;
}

void AutoPlaySequencer::insertPendingNoteOff (const TimedMessage& noteOff) noexcept
{
    if (numPending == pendingCapacity)
        removeFirstPendingNoteOff(); // cannot happen with 0.7-beat notes; never overflow

    int insertAt = numPending;
    for (int i = 0; i < numPending; ++i)
    {
        if (pending[(size_t) i].beat > noteOff.beat)
        {
            insertAt = i;
            break;
        }
    }
    for (int i = numPending; i > insertAt; --i)
        pending[(size_t) i] = pending[(size_t) i - 1];
    pending[(size_t) insertAt] = noteOff;
    ++numPending;
}

void AutoPlaySequencer::removeFirstPendingNoteOff() noexcept
{
    if (numPending == 0)
        return;
    for (int i = 1; i < numPending; ++i)
        pending[(size_t) i - 1] = pending[(size_t) i];
    --numPending;
}

void AutoPlaySequencer::addEventsTo (juce::MidiBuffer& destination, int numSamples) const
{
    for (const auto metadata : events)
        if (metadata.samplePosition >= 0 && metadata.samplePosition < numSamples)
            destination.addEvent (metadata.getMessage(), metadata.samplePosition);
}
