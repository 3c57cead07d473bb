#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <cstdint>

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

    SampleLoader (const SampleLoader&) = delete;
    SampleLoader& operator= (const SampleLoader&) = delete;

    // Starts the thread at priority 4 of JUCE's 0 to 10 scale.
    void startLoading();

    // Queues the job unless it is already queued or the queue is full; never allocates or
    // blocks. Returns whether the job is now queued.
    bool push (Job& job) noexcept;
    [[nodiscard]] bool hasRoom() const noexcept;

    // Takes the job out of the queue, waiting for it to finish if it is running, so that its
    // owner can be destroyed while the thread goes on. Not for the audio thread.
    void cancel (Job& job);

    // Runs the queued jobs on the calling thread until the queue is empty (tests, and tools
    // that never start the thread).
    void runPendingJobs();

    void run() override;

private:
    // A bounded multi-producer queue (per-slot sequence numbers): producers claim a slot by
    // compare-and-swap and never wait for each other; the single consumer is serialised by
    // consumerLock, which also lets cancel() see a job that is neither queued nor running.
    struct Slot
    {
        std::atomic<std::uint64_t> sequence{ 0 };
        std::atomic<Job*> job{ nullptr };
    };

    bool runOneJob();

    std::array<Slot, queueSlots> slots;
    std::atomic<std::uint64_t> enqueuePosition{ 0 };
    std::atomic<std::uint64_t> dequeuePosition{ 0 };
    juce::CriticalSection consumerLock;
};
