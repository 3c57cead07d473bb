#pragma once

#include "common/FakePlayHead.h"
#include "core/AudioThreadMonitor.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <atomic>
#include <thread>

// Host states and sample entries for the cross-thread tests.
namespace workload
{
// A sample entry for `key` with an embedded tone burst of the given pitch.
[[nodiscard]] juce::XmlElement sampleEntry (const juce::String& key, double toneHz, int frames = 3000);

// The processor's current state with both layers on, split output as given and both layers
// carrying embedded tone bursts of the given pitch.
[[nodiscard]] juce::MemoryBlock stateWithSamples (VellmarkKick7702AudioProcessor& processor, double toneHz, bool split);
} // namespace workload

// Plays a processor on its own thread, as a host's audio thread does: notes, host automation
// of every slot and auto play against a moving transport, paced so that the sample loader
// and the calling (message) thread get their turns. What the thread did is read after join().
class AudioThreadPlayer final
{
public:
    struct Options
    {
        int numBlocks = 3000;
        int blockSize = 256;
        double sampleRate = 48000.0;
        int pauseMicroseconds = 1000;
    };

    AudioThreadPlayer (VellmarkKick7702AudioProcessor& processor, Options options,
                       AudioThreadMonitor* monitor = nullptr);
    ~AudioThreadPlayer();

    AudioThreadPlayer (const AudioThreadPlayer&) = delete;
    AudioThreadPlayer& operator= (const AudioThreadPlayer&) = delete;

    void start();
    [[nodiscard]] bool isRunning() const noexcept { return running.load(); }
    void join();

    [[nodiscard]] long getOperatorNewCount() const noexcept { return operatorNewCount; }
    [[nodiscard]] bool wasAlwaysFinite() const noexcept { return alwaysFinite; }
    [[nodiscard]] float getPeak() const noexcept { return peak; }
    // How often a layer's published sample changed under the voices.
    [[nodiscard]] int getSampleTakeOvers() const noexcept { return sampleTakeOvers; }

private:
    void run();

    VellmarkKick7702AudioProcessor& processor;
    const Options options;
    AudioThreadMonitor* monitor;
    FakePlayHead head;
    std::thread thread;
    std::atomic<bool> running{ false };

    long operatorNewCount = 0;
    bool alwaysFinite = true;
    float peak = 0.0f;
    int sampleTakeOvers = 0;
};
