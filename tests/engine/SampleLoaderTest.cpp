#include "engine/SampleLoader.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <thread>
#include <vector>

namespace
{
struct CountingJob final : SampleLoader::Job
{
    std::atomic<int> runs{ 0 };
    std::atomic<int> inside{ 0 };
    std::atomic<bool> overlapped{ false };
    std::atomic<int> sleepMilliseconds{ 0 };
    std::vector<int>* order = nullptr;
    int id = 0;

    void run() override
    {
        if (inside.fetch_add (1) != 0)
            overlapped = true;
        if (order != nullptr)
            order->push_back (id);
        if (const auto ms = sleepMilliseconds.load(); ms > 0)
            juce::Thread::sleep (ms);
        ++runs;
        inside.fetch_sub (1);
    }
};

template <typename Condition>
bool waitFor (Condition condition, int timeoutMilliseconds = 5000)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;
        juce::Thread::sleep (1);
    }
    return true;
}
} // namespace

TEST (SampleLoader, ThreadRunsQueuedJobsAndStopsPromptly)
{
    auto loader = std::make_unique<SampleLoader>();
    EXPECT_EQ (loader->getThreadName(), "Sample Loader");
    loader->startLoading();

    CountingJob job;
    ASSERT_TRUE (loader->push (job));
    EXPECT_TRUE (waitFor ([&] { return job.runs == 1 && ! job.isQueued(); }));

    // The idle wait must not hold up the host closing the plug-in.
    juce::Thread::sleep (50);
    const auto start = juce::Time::getMillisecondCounter();
    loader.reset();
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 1000u);
}

TEST (SampleLoader, FullQueueRefusesAndDrainsInOrder)
{
    SampleLoader loader; // not started: the test drains the queue itself
    std::vector<int> order;
    std::array<CountingJob, SampleLoader::queueSlots + 1> jobs;
    for (int i = 0; i < (int) jobs.size(); ++i)
    {
        jobs[(size_t) i].id = i;
        jobs[(size_t) i].order = &order;
    }

    for (int i = 0; i < SampleLoader::queueSlots; ++i)
        ASSERT_TRUE (loader.push (jobs[(size_t) i])) << i;

    EXPECT_FALSE (loader.hasRoom());
    EXPECT_FALSE (loader.push (jobs.back()));
    EXPECT_FALSE (jobs.back().isQueued());
    EXPECT_TRUE (loader.push (jobs.front())) << "a queued job stays queued without taking a second slot";

    loader.runPendingJobs();
    std::vector<int> expected (SampleLoader::queueSlots);
    std::iota (expected.begin(), expected.end(), 0);
    EXPECT_EQ (order, expected);
    for (int i = 0; i < SampleLoader::queueSlots; ++i)
        EXPECT_FALSE (jobs[(size_t) i].isQueued()) << i;
    EXPECT_TRUE (loader.hasRoom());
    EXPECT_TRUE (loader.push (jobs.back()));
}

TEST (SampleLoader, TwoProducersPushAtOnce)
{
    // More jobs than slots, so the queue also fills up while both push.
    constexpr int jobsPerProducer = 12;
    constexpr int wantedRuns = 5000; // or two seconds, whichever comes first

    SampleLoader loader;
    loader.startLoading();
    std::array<std::array<CountingJob, jobsPerProducer>, 2> jobs;
    std::array<std::array<int, jobsPerProducer>, 2> accepted{};

    const auto runsSoFar = [&]
    {
        int total = 0;
        for (const auto& list : jobs)
            for (const auto& job : list)
                total += job.runs;
        return total;
    };

    const auto produce = [&] (int producer)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + 2000;
        while (runsSoFar() < wantedRuns && juce::Time::getMillisecondCounter() < deadline)
            for (int j = 0; j < jobsPerProducer; ++j)
                if (auto& job = jobs[(size_t) producer][(size_t) j]; ! job.isQueued() && loader.push (job))
                    ++accepted[(size_t) producer][(size_t) j];
    };
    std::thread audioThread (produce, 0);
    std::thread messageThread (produce, 1);
    audioThread.join();
    messageThread.join();

    ASSERT_TRUE (waitFor (
        [&]
        {
            for (const auto& list : jobs)
                for (const auto& job : list)
                    if (job.isQueued())
                        return false;
            return true;
        }));

    for (int p = 0; p < 2; ++p)
        for (int j = 0; j < jobsPerProducer; ++j)
        {
            const auto& job = jobs[(size_t) p][(size_t) j];
            EXPECT_EQ (job.runs.load(), accepted[(size_t) p][(size_t) j]) << p << "/" << j;
            EXPECT_FALSE (job.overlapped.load());
        }
    // Every job went round the queue several times (an idle loader looks again only
    // every 300 ms, so slow builds get fewer rounds).
    EXPECT_GT (runsSoFar(), 4 * 2 * jobsPerProducer);
}

TEST (SampleLoader, CancelTakesAJobOutAndWaitsForOneThatRuns)
{
    {
        SampleLoader loader;
        CountingJob kept, cancelled;
        loader.push (cancelled);
        loader.push (kept);
        loader.cancel (cancelled);
        EXPECT_FALSE (cancelled.isQueued());

        loader.runPendingJobs();
        EXPECT_EQ (cancelled.runs, 0);
        EXPECT_EQ (kept.runs, 1);
    }
    {
        SampleLoader loader;
        loader.startLoading();
        CountingJob slow;
        slow.sleepMilliseconds = 200;
        loader.push (slow);
        ASSERT_TRUE (waitFor ([&] { return slow.inside == 1; }));

        loader.cancel (slow);
        EXPECT_EQ (slow.runs, 1) << "cancel returned while the job was still running";
        EXPECT_EQ (slow.inside, 0);
    }
}
