#pragma once

#include "engine/AudioSampleFile.h"
#include "engine/SampleLoader.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>
#include <memory>

class ProcessorParameterStore;

// One attack layer's audio as the voices of one synthesiser see it: decoded and resampled
// to the synthesiser's rate on the loader thread, taken over by poll() on the owner's
// thread between blocks. Destroy live samples before their loader: a live sample takes its
// job out of the loader's queue when it goes.
class LiveSample final
{
public:
    LiveSample (ProcessorParameterStore& store, SampleLoader& loader, const juce::String& key, int renderKind);
    ~LiveSample();

    LiveSample (const LiveSample&) = delete;
    LiveSample& operator= (const LiveSample&) = delete;

    // Owner's thread, start of every engine block: takes over a ready buffer, then queues
    // the loading job when it is idle. Never allocates; waits only for the exchange lock.
    void poll() noexcept;

    // A changed rate makes the next job reload and resample the current audio. A rate that
    // is not a positive finite number counts as zero: the layer then plays nothing.
    void setTargetRate (double rate) noexcept;
    [[nodiscard]] double getTargetRate() const noexcept { return targetRate.load (std::memory_order_relaxed); }

    // Published audio, read by the voices (owner's thread).
    [[nodiscard]] const float* getLeft() const noexcept { return publishedLeft; }
    [[nodiscard]] const float* getRight() const noexcept { return publishedRight; }
    // Also read from the message thread (kick length).
    [[nodiscard]] juce::int64 getLength() const noexcept { return publishedLength.load (std::memory_order_relaxed); }

    // The buffer-exchange lock, the one lock poll() may take on the audio thread (tests
    // watching the audio thread's locks tell it from the others by its address).
    [[nodiscard]] const juce::CriticalSection& getExchangeLock() const noexcept { return lock; }

    [[nodiscard]] const juce::String& getKey() const noexcept { return key; }
    [[nodiscard]] int getRenderKind() const noexcept { return renderKind; }

    // Runs the loading job now on the calling thread (tests and tools that need the audio
    // without waiting for the loader thread); the next poll() publishes the result.
    void runLoadingJobNow();

private:
    class LoadingJob;
    void load();
    void resampleAndPublish();
    void publishFromLoader (std::unique_ptr<juce::AudioBuffer<float>> fresh);

    ProcessorParameterStore& store;
    SampleLoader& loader;
    const juce::String key;
    const int renderKind;

    const float* publishedLeft = nullptr;
    const float* publishedRight = nullptr;
    std::atomic<juce::int64> publishedLength{ 0 };

    std::unique_ptr<LoadingJob> job;
    std::atomic<bool> ready{ false };
    std::atomic<bool> resampleNeeded{ false };
    std::atomic<double> targetRate{ 44100.0 };

    AudioSampleFile source;
    std::unique_ptr<juce::AudioBuffer<float>> workBuffer;
    std::unique_ptr<juce::AudioBuffer<float>> readyBuffer;
    std::array<juce::LagrangeInterpolator, 2> interpolators;
    juce::CriticalSection lock;     // the buffer exchange only: taken by poll() on the owner's thread
    juce::CriticalSection loadLock; // one load at a time (loader thread or runLoadingJobNow)
};
