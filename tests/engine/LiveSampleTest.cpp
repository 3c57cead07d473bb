#include "engine/LiveSample.h"

#include "common/AllocationCounter.h"
#include "common/TestEnvironment.h"
#include "engine/TestWavFiles.h"
#include "params/ProcessorParameterStore.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace
{
float tone1k (int, int frame) { return testwav::sine (frame, 1000.0, 44100.0); }
float constant (float value) { return value; }

juce::XmlElement entry (const juce::String& key, const juce::String& fileName, const juce::String& backupName = {},
                        const juce::String& embeddedText = {})
{
    juce::XmlElement element (key);
    if (embeddedText.isNotEmpty())
        element.createNewChildElement ("data")->addTextElement (embeddedText);
    auto* file = element.createNewChildElement ("file");
    file->setAttribute ("name", fileName);
    file->setAttribute ("backup_name", backupName);
    return element;
}

// Sign changes per second of one channel: twice the frequency of a pure tone.
double crossingsPerSecond (const LiveSample& sample, double rate)
{
    int crossings = 0;
    for (juce::int64 i = 1; i < sample.getLength(); ++i)
        if ((sample.getLeft()[i - 1] < 0.0f) != (sample.getLeft()[i] < 0.0f))
            ++crossings;
    return crossings * rate / (double) sample.getLength();
}

// A store, an idle loader (jobs run on the test's thread) and the live layer-1 sample.
struct Rig
{
    ScopedTestFolder folder{ "live" };
    ProcessorParameterStore store;
    SampleLoader loader;
    LiveSample sample{ store, loader, "attack_file", 0 };

    juce::File wav (const juce::String& name, double rate, int frames, float level)
    {
        return testwav::writeWav (folder.get().getChildFile (name), rate, 2, frames, 16,
                                  [level] (int, int) { return constant (level); });
    }

    void set (const juce::XmlElement& element) { store.setNonParameterData (element); }

    void load()
    {
        sample.runLoadingJobNow();
        sample.poll();
    }
};
} // namespace

TEST (LiveSample, ResamplesToTheTargetRate)
{
    struct Case
    {
        double sourceRate, targetRate;
    };
    for (const auto [sourceRate, targetRate] :
         { Case{ 48000.0, 44100.0 }, Case{ 44100.0, 44100.0 }, Case{ 22050.0, 96000.0 }, Case{ 192000.0, 44100.0 } })
    {
        SCOPED_TRACE (juce::String (sourceRate) + " Hz to " + juce::String (targetRate) + " Hz");
        Rig rig;
        constexpr int frames = 24000;
        const auto file =
            testwav::writeWav (rig.folder.get().getChildFile ("tone.wav"), sourceRate, 2, frames, 16,
                               [sourceRate] (int, int i) { return testwav::sine (i, 1000.0, sourceRate); });
        rig.sample.setTargetRate (targetRate);
        rig.set (entry ("attack_file", file.getFullPathName()));
        rig.load();

        EXPECT_EQ (rig.sample.getLength(), (juce::int64) (frames / (sourceRate / targetRate)));
        // The tone keeps its pitch: 1 kHz at the new rate.
        EXPECT_NEAR (crossingsPerSecond (rig.sample, targetRate), 2000.0, 10.0);
    }
}

TEST (LiveSample, RateChangeReloadsAndResamplesWithoutAChangedFlag)
{
    Rig rig;
    const auto file = rig.wav ("kick.wav", 44100.0, 1000, 0.5f);
    rig.set (entry ("attack_file", file.getFullPathName()));
    rig.load();
    ASSERT_EQ (rig.sample.getLength(), 1000);

    // The file changes on disk, but nothing marks the data changed: a run loads nothing.
    rig.wav ("kick.wav", 44100.0, 3000, 0.25f);
    rig.load();
    EXPECT_EQ (rig.sample.getLength(), 1000);

    rig.sample.setTargetRate (88200.0);
    rig.load();
    EXPECT_EQ (rig.sample.getLength(), 6000);
    EXPECT_NEAR (rig.sample.getRight()[3000], 0.25f, 1.0e-3f);

    // Setting the same rate again is no change.
    rig.sample.setTargetRate (88200.0);
    rig.wav ("kick.wav", 44100.0, 500, 0.25f);
    rig.load();
    EXPECT_EQ (rig.sample.getLength(), 6000);
}

TEST (LiveSample, EmbeddedAudioTakesPrecedenceOverTheFile)
{
    Rig rig;
    AudioSampleFile embedded;
    ASSERT_TRUE (embedded.loadFile (rig.wav ("embedded.wav", 44100.0, 700, -0.5f)));
    const auto onDisk = rig.wav ("disk.wav", 44100.0, 3000, 0.5f);

    rig.set (entry ("attack_file", onDisk.getFullPathName(), {}, embedded.toEmbeddedText()));
    rig.load();

    EXPECT_EQ (rig.sample.getLength(), 700);
    EXPECT_NEAR (rig.sample.getLeft()[350], -0.5f, 1.0e-3f);

    // Embedded text that does not decode falls back to the file.
    rig.set (entry ("attack_file", onDisk.getFullPathName(), {}, "5.garbage"));
    rig.load();
    EXPECT_EQ (rig.sample.getLength(), 3000);
}

TEST (LiveSample, FileNameResolution)
{
    struct Case
    {
        const char* description;
        std::function<juce::XmlElement (Rig&)> makeEntry;
        int expectedLength; // 1000 is the sample loaded before
    };

    const Case cases[] = {
        { "existing absolute path",
          [] (Rig& r) { return entry ("attack_file", r.wav ("new.wav", 44100.0, 2000, 0.5f).getFullPathName()); },
          2000 },
        { "path below the home folder",
          [] (Rig&)
          {
              const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
              testwav::writeWav (home.getChildFile ("home kick.wav"), 44100.0, 2, 2100, 16, tone1k);
              return entry ("attack_file", "~/home kick.wav");
          },
          2100 },
        { "missing file, backup in the user data folder",
          [] (Rig& r)
          {
              testwav::writeWav (getUserDataFolder().getChildFile ("backup.wav"), 44100.0, 2, 2200, 16, tone1k);
              return entry ("attack_file", r.folder.get().getChildFile ("gone.wav").getFullPathName(), "backup.wav");
          },
          2200 },
        { "missing file and missing backup",
          [] (Rig& r)
          { return entry ("attack_file", r.folder.get().getChildFile ("gone.wav").getFullPathName(), "nothere.wav"); },
          1000 },
        { "missing file, empty backup",
          [] (Rig& r) { return entry ("attack_file", r.folder.get().getChildFile ("gone.wav").getFullPathName()); },
          1000 },
        { "bare file name", [] (Rig&) { return entry ("attack_file", "new.wav", "backup.wav"); }, 1000 },
        { "drive-letter path", [] (Rig&) { return entry ("attack_file", "C:\\Samples\\kick.wav"); }, 1000 },
        { "no file child", [] (Rig&) { return juce::XmlElement ("attack_file"); }, 1000 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        Rig rig;
        rig.set (entry ("attack_file", rig.wav ("before.wav", 44100.0, 1000, 0.5f).getFullPathName()));
        rig.load();
        ASSERT_EQ (rig.sample.getLength(), 1000);

        rig.set (c.makeEntry (rig));
        rig.load();
        EXPECT_EQ (rig.sample.getLength(), c.expectedLength);
        getUserDataFolder().getChildFile ("backup.wav").deleteFile();
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("home kick.wav").deleteFile();
    }
}

TEST (LiveSample, EachSampleFollowsItsOwnKeyAndRenderKind)
{
    Rig rig;
    LiveSample display (rig.store, rig.loader, "attack_file", 1);
    LiveSample layer2 (rig.store, rig.loader, "attack2_file", 0);

    rig.set (entry ("attack_file", rig.wav ("one.wav", 44100.0, 1500, 0.5f).getFullPathName()));
    for (auto* sample : { &rig.sample, &display, &layer2 })
    {
        sample->runLoadingJobNow();
        sample->poll();
    }

    EXPECT_EQ (rig.sample.getLength(), 1500);
    EXPECT_EQ (display.getLength(), 1500);
    EXPECT_EQ (layer2.getLength(), 0);
    EXPECT_FALSE (rig.store.takeDataChanged ("attack_file", 0));
    EXPECT_FALSE (rig.store.takeDataChanged ("attack_file", 1));
    EXPECT_TRUE (rig.store.takeDataChanged ("attack_file", 2)); // the export render's flag stays for it
}

TEST (LiveSample, ResampledLengthIsCappedAt768000)
{
    Rig rig;
    // 192000 frames at 8 kHz would become 1058400 frames at 44.1 kHz.
    const auto file = testwav::writeWav (rig.folder.get().getChildFile ("long.wav"), 8000.0, 2, 192000, 16, tone1k);
    rig.set (entry ("attack_file", file.getFullPathName()));
    rig.load();
    EXPECT_EQ (rig.sample.getLength(), 768000);
}

TEST (LiveSample, PublishesOnlyAtThePollAfterAJob)
{
    Rig rig;
    EXPECT_EQ (rig.sample.getLength(), 0);
    EXPECT_EQ (rig.sample.getLeft(), nullptr);

    rig.set (entry ("attack_file", rig.wav ("kick.wav", 44100.0, 1000, 0.5f).getFullPathName()));
    rig.sample.poll(); // queues the job, publishes nothing
    EXPECT_EQ (rig.sample.getLength(), 0);

    rig.sample.runLoadingJobNow();
    EXPECT_EQ (rig.sample.getLength(), 0);
    EXPECT_EQ (rig.sample.getLeft(), nullptr);

    rig.sample.poll();
    ASSERT_EQ (rig.sample.getLength(), 1000);
    EXPECT_NEAR (rig.sample.getLeft()[999], 0.5f, 1.0e-3f);
    EXPECT_NEAR (rig.sample.getRight()[500], 0.5f, 1.0e-3f);
}

TEST (LiveSample, PollNeverAllocates)
{
    Rig rig;
    rig.set (entry ("attack_file", rig.wav ("kick.wav", 44100.0, 1000, 0.5f).getFullPathName()));
    rig.sample.runLoadingJobNow();

    const AllocationCounter counter;
    rig.sample.poll(); // takes over the ready buffer and queues the job
    rig.sample.poll(); // job already queued
    EXPECT_EQ (counter.getCount(), 0);
    EXPECT_EQ (rig.sample.getLength(), 1000);
}

TEST (LiveSample, UnusableTargetRatePublishesSilenceUntilARealRate)
{
    Rig rig;
    rig.set (entry ("attack_file", rig.wav ("kick.wav", 44100.0, 1000, 0.5f).getFullPathName()));
    rig.load();

    for (const auto rate :
         { 0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() })
    {
        SCOPED_TRACE (rate);
        rig.sample.setTargetRate (44100.0);
        rig.load();
        ASSERT_EQ (rig.sample.getLength(), 1000);

        rig.sample.setTargetRate (rate);
        rig.load();
        EXPECT_EQ (rig.sample.getLength(), 0);
        EXPECT_EQ (rig.sample.getLeft(), nullptr);
    }
}

TEST (LiveSample, PublishedAudioStaysIntactWhileLoadsFinishWithoutAPoll)
{
    Rig rig;
    rig.set (entry ("attack_file", rig.wav ("a.wav", 44100.0, 4000, 0.5f).getFullPathName()));
    rig.load();
    const auto* left = rig.sample.getLeft();

    // Two results arrive before the owner polls again: neither may free what it plays.
    rig.set (entry ("attack_file", rig.wav ("b.wav", 44100.0, 4000, -0.25f).getFullPathName()));
    rig.sample.runLoadingJobNow();
    rig.set (entry ("attack_file", rig.wav ("c.wav", 44100.0, 3000, 0.75f).getFullPathName()));
    rig.sample.runLoadingJobNow();

    ASSERT_EQ (rig.sample.getLeft(), left);
    // (The interpolator's first output samples still rise from its silent history.)
    for (int i = 10; i < 4000; i += 499)
        ASSERT_NEAR (left[i], 0.5f, 1.0e-3f);

    rig.sample.poll();
    EXPECT_EQ (rig.sample.getLength(), 3000);
    EXPECT_NEAR (rig.sample.getLeft()[1500], 0.75f, 1.0e-3f);
}

TEST (LiveSample, LoaderThreadDeliversAQueuedJob)
{
    Rig rig;
    rig.loader.startLoading();
    rig.set (entry ("attack_file", rig.wav ("kick.wav", 44100.0, 1000, 0.5f).getFullPathName()));

    const auto deadline = juce::Time::getMillisecondCounter() + 5000;
    while (rig.sample.getLength() == 0 && juce::Time::getMillisecondCounter() < deadline)
    {
        rig.sample.poll();
        juce::Thread::sleep (5);
    }
    EXPECT_EQ (rig.sample.getLength(), 1000);
}

TEST (LiveSample, DestroyingASampleTakesItsJobOutOfTheQueue)
{
    struct Probe final : SampleLoader::Job
    {
        int runs = 0;
        void run() override { ++runs; }
    };

    ProcessorParameterStore store;
    SampleLoader loader;
    auto sample = std::make_unique<LiveSample> (store, loader, "attack_file", 0);
    sample->poll();

    std::array<Probe, SampleLoader::queueSlots> probes;
    for (auto& probe : probes)
        loader.push (probe);
    ASSERT_FALSE (probes.back().isQueued()) << "the sample's job should hold one slot";

    sample.reset();
    loader.runPendingJobs(); // must not touch the destroyed sample's job

    for (size_t i = 0; i + 1 < probes.size(); ++i)
        EXPECT_EQ (probes[i].runs, 1);
    EXPECT_TRUE (loader.hasRoom());
}
