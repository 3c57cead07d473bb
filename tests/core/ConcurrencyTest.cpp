#include "core/LiveWorkload.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

void prepare (VellmarkKick7702AudioProcessor& processor)
{
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);
}

// Settles the layers on the state's samples, lets every earlier kick die away, then plays one.
juce::AudioBuffer<float> nextKick (VellmarkKick7702AudioProcessor& processor)
{
    processor.getEngine().loadSamplesNow (KickEngine::live);
    processor.prepareToPlay (sampleRate, blockSize);
    juce::AudioBuffer<float> block (4, blockSize);
    juce::MidiBuffer none;
    for (int b = 0; b < 2000; ++b) // ten seconds: longer than any kick of the final state
        processor.processBlock (block, none);

    juce::AudioBuffer<float> kick (4, 100 * blockSize);
    for (int b = 0; b < 100; ++b)
    {
        juce::MidiBuffer midi;
        if (b == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 110), 5);
        processor.processBlock (block, midi);
        for (int c = 0; c < 4; ++c)
            kick.copyFrom (c, b * blockSize, block, c, 0, blockSize);
    }
    return kick;
}
} // namespace

// The message thread restores states, swaps samples, renders the display and polls like an
// editor while the audio thread plays and the loader decodes. Afterwards one more state
// leaves the instrument exactly where a fresh one with that state is: nothing torn or stale.
TEST (Concurrency, StateAndSampleChangesWhilePlayingLeaveNothingBehind)
{
    VellmarkKick7702AudioProcessor processor;
    prepare (processor);
    const std::vector<juce::MemoryBlock> states{ workload::stateWithSamples (processor, 600.0, false),
                                                 workload::stateWithSamples (processor, 3000.0, true) };

    AudioThreadPlayer player (processor, { 2500, blockSize, sampleRate, 1000 });
    player.start();
    auto& store = processor.getParameterStore();
    for (int round = 0; player.isRunning(); ++round)
    {
        const auto& state = states[(size_t) round % states.size()];
        processor.setStateInformation (state.getData(), (int) state.getSize());
        store.setNonParameterData (workload::sampleEntry ("attack_file", 200.0 + 37.0 * (round % 11)));

        // What the editor's poll reads and clears.
        (void) store.noteTriggered.exchange (false);
        (void) store.outputLevel.load();
        store.levelHeld = 0;
        juce::MemoryBlock saved;
        processor.getStateInformation (saved);
        (void) processor.render (KickEngine::displayRender, 2, 2048, 14700.0);
        (void) processor.getKickLengthSamples();
        juce::Thread::sleep (5);
    }
    player.join();
    EXPECT_TRUE (player.wasAlwaysFinite());
    EXPECT_GT (player.getSampleTakeOvers(), 0);

    const auto final = workload::stateWithSamples (processor, 1234.0, true);
    processor.setStateInformation (final.getData(), (int) final.getSize());
    VellmarkKick7702AudioProcessor fresh;
    prepare (fresh);
    fresh.setStateInformation (final.getData(), (int) final.getSize());

    const auto played = nextKick (processor);
    const auto expected = nextKick (fresh);
    EXPECT_GT (expected.getMagnitude (2, 0, expected.getNumSamples()), 0.01f) << "the final samples play";
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < expected.getNumSamples(); ++i)
            ASSERT_EQ (played.getSample (c, i), expected.getSample (c, i)) << "channel " << c << ", sample " << i;
}

// Instances that go while their loader is still decoding, as when a host removes a track
// right after loading a project; the next instance plays normally.
TEST (Concurrency, DestroyingAnInstanceWhileItsSamplesLoad)
{
    for (int i = 0; i < 8; ++i)
    {
        VellmarkKick7702AudioProcessor processor;
        prepare (processor);
        const auto state = workload::stateWithSamples (processor, 500.0 + 100.0 * i, i % 2 == 0);
        processor.setStateInformation (state.getData(), (int) state.getSize());
        juce::AudioBuffer<float> block (4, blockSize);
        juce::MidiBuffer midi;
        processor.processBlock (block, midi); // queues the loading jobs
        juce::Thread::sleep (i * 3);
    }

    VellmarkKick7702AudioProcessor processor;
    prepare (processor);
    const auto kick = nextKick (processor);
    EXPECT_GT (kick.getMagnitude (0, 0, kick.getNumSamples()), 0.05f);
}
