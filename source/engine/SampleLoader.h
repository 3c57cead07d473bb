#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

// The "Sample Loader" thread: runs queued jobs (decoding, resampling) off the audio and
// message threads. Its queue accepts pushes from the audio thread and the message thread
// at the same time without blocking either.
class SampleLoader final : public juce::Thread
{
public:
    class Job
    {
    public:
        virtual ~Job() = default;
        virtual void run() = 0;

        [[nodiscard]] bool isQueued() const noexcept { return queued.load (std::memory_order_acquire); }

    private:
        friend class SampleLoader;
        std::atomic<bool> queued{ false };
    };

    static constexpr int queueSlots = 16;

    SampleLoader();
    ~SampleLoader() override; // stops the thread, waiting up to 1500 ms

    // Starts the thread at priority 4 of JUCE's 0 to 10 scale.
    void startLoading();

    // Queues the job unless it is already queued or the queue is full; never allocates or
    // blocks. Returns whether the job is now queued.
    bool push (Job& job) noexcept;
    [[nodiscard]] bool hasRoom() const noexcept;

    void run() override;
};
