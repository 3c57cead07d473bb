#include "core/AudioThreadMonitor.h"
#include "core/LiveWorkload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace
{
// juce::Synthesiser keeps its lock protected; a member pointer taken through a subclass
// reaches it on any synthesiser.
struct SynthesiserLock : juce::Synthesiser
{
    static const juce::CriticalSection& of (const juce::Synthesiser& synth) { return synth.*(&SynthesiserLock::lock); }
};
} // namespace

// Thousands of blocks with notes, automation and auto play on an audio thread, while the
// message thread restores states, swaps samples and renders the waveform display, and the
// loader decodes and resamples behind both.
TEST (RealtimeSafety, TheAudioThreadNeitherAllocatesNorTakesForeignLocksUnderLoad)
{
    VellmarkKick7702AudioProcessor processor;
    processor.setRateAndBufferSizeDetails (48000.0, 256);
    processor.prepareToPlay (48000.0, 256);
    processor.getParameterStore().setValue (Param::masterAutoPlay, 1.0f);

    const std::vector<juce::MemoryBlock> states{ workload::stateWithSamples (processor, 800.0, false),
                                                 workload::stateWithSamples (processor, 2500.0, true),
                                                 workload::stateWithSamples (processor, 5000.0, false) };

    AudioThreadMonitor monitor;
    AudioThreadPlayer player (processor, {}, &monitor);
    player.start();

    int round = 0;
    while (player.isRunning())
    {
        const auto& state = states[(size_t) round % states.size()];
        processor.setStateInformation (state.getData(), (int) state.getSize());
        processor.getParameterStore().setNonParameterData (
            workload::sampleEntry ("attack2_file", 300.0 + 50.0 * (round % 9), 1000 + 10 * (round % 50)));
        if (round % 3 == 0)
            (void) processor.render (KickEngine::displayRender, 2, 4096, 14700.0);
        ++round;
        juce::Thread::sleep (20);
    }
    player.join();

    EXPECT_GT (round, 20);
    EXPECT_GE (player.getSampleTakeOvers(), 4) << "samples changed under the voices";
    EXPECT_GT (player.getPeak(), 0.05f);
    EXPECT_TRUE (player.wasAlwaysFinite());
    EXPECT_EQ (player.getOperatorNewCount(), 0);

    if (! AudioThreadMonitor::isAvailable())
        GTEST_SKIP() << "malloc and mutexes belong to the sanitizer in this build";

    EXPECT_EQ (monitor.getAllocations(), 0);
    EXPECT_FALSE (monitor.overflowed());

    auto& engine = processor.getEngine();
    const std::set<const void*> allowed{ &SynthesiserLock::of (engine.getSynthesiser (KickEngine::live)),
                                         &engine.getLiveSample (KickEngine::live, 0).getExchangeLock(),
                                         &engine.getLiveSample (KickEngine::live, 1).getExchangeLock() };
    const auto locked = monitor.getMutexesLocked();
    EXPECT_FALSE (locked.empty()) << "the monitor sees the synthesiser's own lock";
    for (const auto* mutex : locked)
        EXPECT_TRUE (allowed.count (mutex) == 1) << "the audio thread locked a mutex at " << mutex;
}
