#include "core/AutoPlaySequencer.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr double bpm = 120.0; // 24000 samples per beat
constexpr int blockSize = 512;

struct Event
{
    juce::int64 absoluteSample;
    bool isNoteOn;
};

// Drives a sequencer block by block like a host whose transport runs from `startSample`.
class SequencerDriver
{
public:
    std::vector<Event> run (juce::int64 startSample, int numBlocks, bool isPlaying, double barLength = 4.0)
    {
        std::vector<Event> events;
        for (int b = 0; b < numBlocks; ++b)
        {
            const auto blockStart = startSample + (juce::int64) b * blockSize;
            const auto blockEvents = block (blockStart, isPlaying, barLength);
            events.insert (events.end(), blockEvents.begin(), blockEvents.end());
        }
        return events;
    }

    std::vector<Event> block (juce::int64 blockStart, bool isPlaying, double barLength = 4.0)
    {
        AutoPlaySequencer::HostPosition position;
        position.ppq = (double) blockStart * bpm / (60.0 * sampleRate);
        position.barStart = std::floor (position.ppq / barLength) * barLength;
        position.bpm = bpm;
        position.isPlaying = isPlaying;
        sequencer.process (position, blockSize, sampleRate);

        std::vector<Event> events;
        juce::MidiBuffer inBlock;
        sequencer.addEventsTo (inBlock, blockSize);
        for (const auto m : inBlock)
            events.push_back ({ blockStart + m.samplePosition, m.getMessage().isNoteOn() });
        return events;
    }

    AutoPlaySequencer sequencer;
};

std::vector<juce::int64> noteOnsOf (const std::vector<Event>& events)
{
    std::vector<juce::int64> result;
    for (const auto& e : events)
        if (e.isNoteOn)
            result.push_back (e.absoluteSample);
    return result;
}
} // namespace

TEST (AutoPlaySequencer, PlayingHostGetsAKickOnEveryBeatAlignedToTheBar)
{
    SequencerDriver driver;
    const auto events = driver.run (0, 24000 * 8 / blockSize, true);
    const auto noteOns = noteOnsOf (events);

    ASSERT_EQ (noteOns.size(), 8u);
    for (size_t beat = 0; beat < noteOns.size(); ++beat)
        EXPECT_NEAR ((double) noteOns[beat], 24000.0 * (double) beat, 1.0) << "beat " << beat;

    // Every note-on is followed by its note-off 0.7 beat later.
    int noteOffs = 0;
    for (const auto& e : events)
        if (! e.isNoteOn)
        {
            EXPECT_NEAR (std::fmod ((double) e.absoluteSample, 24000.0), 0.7 * 24000.0, 1.0);
            ++noteOffs;
        }
    EXPECT_GE (noteOffs, 7);
}

TEST (AutoPlaySequencer, BeatsOnBlockBoundariesAreNeitherLostNorDoubled)
{
    // 480 samples divide a beat of 24000 exactly, so every beat falls on a block's first
    // sample, and a host that adds up its block lengths in beats reaches each beat with a
    // little rounding either side.
    constexpr int block = 480;
    AutoPlaySequencer sequencer;
    AutoPlaySequencer::HostPosition position;
    position.isPlaying = true;

    std::vector<juce::int64> noteOns;
    for (juce::int64 start = 0; start < 24000 * 16; start += block)
    {
        position.barStart = std::floor (position.ppq / 4.0) * 4.0;
        sequencer.process (position, block, sampleRate);
        juce::MidiBuffer inBlock;
        sequencer.addEventsTo (inBlock, block);
        for (const auto m : inBlock)
            if (m.getMessage().isNoteOn())
                noteOns.push_back (start + m.samplePosition);
        position.ppq += block * bpm / (60.0 * sampleRate);
    }

    // The position arithmetic truncates, so a host position a hair before the beat can
    // place the note one sample late; it must never be dropped or played twice.
    ASSERT_EQ (noteOns.size(), 16u);
    for (size_t beat = 0; beat < noteOns.size(); ++beat)
        EXPECT_NEAR ((double) noteOns[beat], 24000.0 * (double) beat, 1.0) << "beat " << beat;
}

TEST (AutoPlaySequencer, StoppingFlushesPendingNoteOffsAtSampleOneAndGeneratesNothing)
{
    SequencerDriver driver;
    driver.run (0, 4, true); // the beat-0 kick is on, its note-off pending
    ASSERT_EQ (driver.sequencer.getNumPendingNoteOffs(), 1);

    const auto stopBlock = driver.block (4 * blockSize, false);
    ASSERT_EQ (stopBlock.size(), 1u);
    EXPECT_FALSE (stopBlock[0].isNoteOn);
    EXPECT_EQ (stopBlock[0].absoluteSample, 4 * blockSize + 1);
    EXPECT_TRUE (driver.sequencer.isStopped());

    // Standing still across a beat produces nothing.
    EXPECT_TRUE (driver.run (24000, 100, false).empty());
}

TEST (AutoPlaySequencer, LoopBackResynchronisesAndABeatOnTheFirstSampleSoundsThere)
{
    SequencerDriver driver;
    // Play up to just before bar 2 (beat 8), with no note generated in the last block.
    const auto lastBlockBeforeLoop = (juce::int64) (7.5 * 24000);
    driver.run (lastBlockBeforeLoop - 40 * blockSize, 40, true);

    // The host loops back to beat 4 exactly (a bar start).
    const auto loopBlock = driver.block (4 * 24000, true);
    const auto noteOns = noteOnsOf (loopBlock);
    ASSERT_EQ (noteOns.size(), 1u);
    EXPECT_EQ (noteOns[0], 4 * 24000);
}

TEST (AutoPlaySequencer, HostThatNeverReportsPlayingCountsAsPlayingWhileItsPositionMoves)
{
    SequencerDriver moving;
    const auto noteOns = noteOnsOf (moving.run (0, 24000 * 4 / blockSize, false));
    EXPECT_GE (noteOns.size(), 3u);

    SequencerDriver standing;
    for (int b = 0; b < 200; ++b)
        EXPECT_TRUE (standing.block (24000, false).empty());
}

TEST (AutoPlaySequencer, AbsurdHostValuesStayBounded)
{
    AutoPlaySequencer sequencer;
    const AutoPlaySequencer::HostPosition cases[]{
        { std::numeric_limits<double>::quiet_NaN(), 0.0, 120.0, true },
        { 1.0e15, 1.0e15, 1.0e12, true },
        { 3.0, 0.0, 0.0, true },
        { -50.0, -52.0, -1.0, true },
    };
    for (const auto& position : cases)
    {
        sequencer.process (position, 8192, 8000.0);
        EXPECT_LT (sequencer.getEvents().getNumEvents(), 1000);
    }
}
