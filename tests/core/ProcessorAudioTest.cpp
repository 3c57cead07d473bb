#include "common/AllocationCounter.h"
#include "common/FakePlayHead.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 480; // 100 blocks per second; 50 per beat at 120 bpm

struct Rendered
{
    juce::AudioBuffer<float> audio;
    std::vector<juce::int64> onsets; // first sample of each block that turned non-silent after silence
};

float peakOf (const juce::AudioBuffer<float>& buffer, int channel)
{
    return buffer.getMagnitude (channel, 0, buffer.getNumSamples());
}

// Plays `numBlocks` host blocks of four channels, with optional MIDI on the first block.
juce::AudioBuffer<float> play (VellmarkKick7702AudioProcessor& processor, int numBlocks,
                               const juce::MidiBuffer& firstMidi = {}, FakePlayHead* head = nullptr)
{
    processor.setPlayHead (head);
    juce::AudioBuffer<float> all (4, numBlocks * blockSize);
    juce::AudioBuffer<float> block (4, blockSize);
    for (int b = 0; b < numBlocks; ++b)
    {
        juce::MidiBuffer midi;
        if (b == 0)
            midi = firstMidi;
        block.clear();
        processor.processBlock (block, midi);
        for (int c = 0; c < 4; ++c)
            all.copyFrom (c, b * blockSize, block, c, 0, blockSize);
        if (head != nullptr)
            head->advance (blockSize, sampleRate);
    }
    return all;
}

juce::MidiBuffer noteOn (int note = 36, juce::uint8 velocity = 127)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, note, velocity), 0);
    return midi;
}

std::unique_ptr<VellmarkKick7702AudioProcessor> preparedProcessor()
{
    auto processor = std::make_unique<VellmarkKick7702AudioProcessor>();
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);
    return processor;
}

// Sample index of the first |x| > threshold on channel 0 at or after `from`, or -1.
juce::int64 firstSoundAfter (const juce::AudioBuffer<float>& audio, juce::int64 from, float threshold = 1.0e-4f)
{
    for (auto i = from; i < audio.getNumSamples(); ++i)
        if (std::abs (audio.getSample (0, (int) i)) > threshold)
            return i;
    return -1;
}
} // namespace

TEST (ProcessorAudio, ANoteOnPlaysAKickOnTheMainBus)
{
    auto processor = preparedProcessor();
    const auto audio = play (*processor, 50, noteOn());
    EXPECT_GT (peakOf (audio, 0), 0.05f);
    EXPECT_GT (peakOf (audio, 1), 0.05f);
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (audio.getSample (c, i)));
}

TEST (ProcessorAudio, MasterLevelZeroSilencesBothBusesAndTheMeterFollows)
{
    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    store.setValue (Param::masterLevel, 0.0f);
    store.setValue (Param::bodySplitAttack, 1.0f);
    processor->prepareToPlay (sampleRate, blockSize); // snap the level ramp

    const auto audio = play (*processor, 30, noteOn());
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ (peakOf (audio, c), 0.0f) << c;
    EXPECT_EQ (store.outputLevel.load(), 0.0f);
}

TEST (ProcessorAudio, MeterHoldsAPeakUntilReadThenFallsLinearly)
{
    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    play (*processor, 10, noteOn());
    const auto held = store.outputLevel.load();
    ASSERT_GT (held, 0.05f);
    EXPECT_EQ (store.levelHeld.load(), 1);

    // Silence everything that follows: a new note with the body and layers off.
    store.setValue (Param::masterLevel, 0.0f);
    processor->prepareToPlay (sampleRate, blockSize);
    play (*processor, 1);
    EXPECT_EQ (store.outputLevel.load(), held) << "not read yet: held";

    store.levelHeld = 0; // the editor read it
    play (*processor, 1);
    EXPECT_NEAR (store.outputLevel.load(), held - blockSize * 1.72265625f / (float) sampleRate, 1.0e-6f);
}

TEST (ProcessorAudio, AutoPlayFollowsTheHostAndKeepsTrackingWhileOff)
{
    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    FakePlayHead head;
    head.playing = true;

    // Off: the sequencer tracks but nothing sounds.
    store.setValue (Param::masterAutoPlay, 0.0f);
    const auto silent = play (*processor, 120, {}, &head);
    EXPECT_EQ (peakOf (silent, 0), 0.0f);

    // Switched on mid-beat (ppq 2.4): the next kick starts on beat 3.
    store.setValue (Param::masterAutoPlay, 1.0f);
    const auto startPpq = head.ppq;
    const auto audio = play (*processor, 100, {}, &head);
    const auto onset = firstSoundAfter (audio, 0);
    const auto expectedOnset = (std::ceil (startPpq) - startPpq) * 24000.0;
    ASSERT_GE (onset, 0);
    EXPECT_NEAR ((double) onset, expectedOnset, 2.0);
}

TEST (ProcessorAudio, NoPlayHeadMeansNoAutoPlay)
{
    auto processor = preparedProcessor();
    processor->getParameterStore().setValue (Param::masterAutoPlay, 1.0f);
    EXPECT_EQ (peakOf (play (*processor, 200), 0), 0.0f);
}

TEST (ProcessorAudio, TheAudioThreadNeverAllocates)
{
    auto processor = preparedProcessor();
    auto& store = processor->getParameterStore();
    FakePlayHead head;
    head.playing = true;
    store.setValue (Param::masterAutoPlay, 1.0f);
    processor->setPlayHead (&head);

    juce::AudioBuffer<float> block (4, blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize (1024);

    AllocationCounter counter;
    for (int b = 0; b < 2000; ++b)
    {
        midi.clear();
        if (b % 37 == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 36 + b % 12, (juce::uint8) 100), b % blockSize);
        if (b % 53 == 0)
            midi.addEvent (juce::MidiMessage::noteOff (1, 36), 7);
        store.setValue (Param::bodyDecay, 50.0f + (float) (b % 100));
        store.setValue (Param::waveformDrive, (float) (b % 7));
        store.setValue (Param::waveformDriveMode, (float) ((b / 100) % 11));
        processor->processBlock (block, midi);
        head.advance (blockSize, sampleRate);
    }
    EXPECT_EQ (counter.getCount(), 0);
}
