#include "engine/KickTestRig.h"

#include "common/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>

// Note handling of the kick synthesiser: overlapping kicks, one-shot, the fade that ends
// every kick, the 9 s limit, idle voices.
namespace
{
constexpr double rate = 48000.0;

void setLongKick (KickRig& rig)
{
    rig.setPlainBody (60.0);
    rig.set (Param::bodyStart, 400.0f);
    rig.set (Param::bodyHold, 1500.0f);
    rig.set (Param::bodyDecay, 1000.0f);
    rig.store.snapRampsToValues();
}

// The first sample k (counted from the fade's start) at which the fade gain, falling by
// 0.9986 per sample in single precision, is no longer above 0.001: the kick's last sample.
int fadeLength()
{
    float gain = 1.0f;
    int k = 0;
    while (gain > 0.001f)
    {
        gain *= KickSynthVoice::fadeFactor;
        ++k;
    }
    return k;
}
} // namespace

TEST (KickSynthesiser, FadeTakesAbout4930Samples) { EXPECT_NEAR (fadeLength(), 4931, 2); }

TEST (KickSynthesiser, NewKickTakesTheFreeVoiceWhileThePreviousOneFades)
{
    constexpr int second = 3000, n = 12000;
    KickRig both (true, rate, 2);
    setLongKick (both);
    const auto out = both.render (n, { KickRig::noteOn (0, 60), KickRig::noteOn (second, 64) }, 1000);

    // The same two kicks apart: the first ended by a note-off at the second's start.
    KickRig first (true, rate, 2), next (true, rate, 2);
    setLongKick (first);
    setLongKick (next);
    first.synth.setOneShot (false);
    const auto a = first.render (n, { KickRig::noteOn (0, 60), KickRig::noteOff (second, 60) }, 1000);
    const auto b = next.render (n, { KickRig::noteOn (second, 64) }, 1000);

    for (int i = 0; i < n; ++i)
        ASSERT_EQ (out.getSample (0, i), a.getSample (0, i) + b.getSample (0, i)) << i;

    // The first voice fell silent after its fade, the second still plays.
    EXPECT_FALSE (both.voice (0).isVoiceActive());
    EXPECT_TRUE (both.voice (1).isVoiceActive());
    EXPECT_EQ (both.voice (1).getCurrentlyPlayingNote(), 64);
    // (The call in which the fade ends still finishes at the final gain.)
    const int nextBlock = (second + fadeLength()) / 1000 * 1000 + 1000;
    EXPECT_GT (peakOf (a, 0, second + fadeLength() - 10, second + fadeLength()), 0.0f);
    EXPECT_EQ (peakOf (a, 0, nextBlock, n), 0.0f);
}

TEST (KickSynthesiser, NoteOffFadesOnlyWhenOneShotIsOff)
{
    constexpr int noteOff = 2000, n = 9000;
    KickRig held (false, rate);
    setLongKick (held);
    const auto reference = held.render (n, { KickRig::noteOn (0) }, 1);

    for (const bool oneShot : { true, false })
    {
        SCOPED_TRACE (oneShot ? "one-shot" : "notes end");
        KickRig rig (false, rate);
        setLongKick (rig);
        rig.synth.setOneShot (oneShot);
        const auto out = rig.render (n, { KickRig::noteOn (0), KickRig::noteOff (noteOff) }, 1);

        for (int i = 0; i < noteOff; ++i)
            ASSERT_EQ (out.getSample (0, i), reference.getSample (0, i)) << i;
        if (oneShot)
        {
            for (int i = noteOff; i < n; ++i)
                ASSERT_EQ (out.getSample (0, i), reference.getSample (0, i)) << i;
            EXPECT_TRUE (rig.voice (0).isVoiceActive());
            continue;
        }
        // Scaled by 0.9986^k from the note-off on, then silent.
        for (const int k : { 1, 100, 1000, 3000 })
            EXPECT_NEAR (out.getSample (0, noteOff + k), reference.getSample (0, noteOff + k) * std::pow (0.9986, k),
                         2.0e-5)
                << k;
        const int last = noteOff + fadeLength();
        EXPECT_NE (out.getSample (0, last), 0.0f);
        EXPECT_EQ (peakOf (out, 0, last + 1, n), 0.0f);
        EXPECT_FALSE (rig.voice (0).isVoiceActive());
    }
}

TEST (KickSynthesiser, NoKickLastsLongerThanNineSecondsAndItsFade)
{
    // At 8 kHz a sample lasts exactly 0.125 ms: the fade starts with sample 72000.
    constexpr double lowRate = 8000.0;
    constexpr int fadeStart = 72000, n = 78000;
    auto longKick = [] (KickRig& rig)
    {
        rig.setPlainBody (50.0);
        rig.set (Param::bodyHold, 20000.0f); // beyond the knob's range, as a preset may store it
        rig.set (Param::bodyDecay, 5000.0f);
    };
    KickRig rig (false, lowRate), stopped (false, lowRate);
    longKick (rig);
    longKick (stopped);
    stopped.synth.setOneShot (false);
    const auto out = rig.render (n, { KickRig::noteOn (0) }, 500);
    const auto expected = stopped.render (n, { KickRig::noteOn (0), KickRig::noteOff (fadeStart) }, 500);

    for (int i = 0; i < n; ++i)
        ASSERT_EQ (out.getSample (0, i), expected.getSample (0, i)) << i;
    EXPECT_GT (peakOf (out, 0, fadeStart - 100, fadeStart), 0.5f);
    EXPECT_EQ (peakOf (out, 0, fadeStart + fadeLength() + 500, n), 0.0f);
    EXPECT_FALSE (rig.voice (0).isVoiceActive());
}

TEST (KickSynthesiser, IdleVoicesLeaveTheBufferUntouched)
{
    for (const bool live : { true, false })
    {
        KickRig rig (live, rate, 2);
        setLongKick (rig);
        rig.set (Param::bodyHold, 0.0f);
        rig.set (Param::bodyDecay, 20.0f);
        juce::AudioBuffer<float> out (2, 4096);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 4096; ++i)
                out.setSample (c, i, (float) std::sin (i * 0.01 + c));
        const juce::AudioBuffer<float> before (out);

        rig.renderInto (out, {}, 512); // no note yet
        for (int i = 0; i < 4096; ++i)
            ASSERT_EQ (out.getSample (0, i), before.getSample (0, i)) << i;

        // A short kick, then silence once its voice has let go.
        juce::AudioBuffer<float> later (before);
        rig.renderInto (later, { KickRig::noteOn (0) }, 512);
        EXPECT_TRUE (rig.voice (0).isVoiceActive()); // one-shot: the voice holds the ended kick
        rig.synth.allNotesOff (0, false);
        juce::AudioBuffer<float> after (before);
        rig.renderInto (after, {}, 512);
        for (int i = 0; i < 4096; ++i)
            ASSERT_EQ (after.getSample (1, i), before.getSample (1, i)) << i;
    }
}

TEST (KickSynthesiser, OnlyLiveVoicesReportTheirNotes)
{
    for (const bool live : { true, false })
    {
        KickRig rig (live, rate);
        rig.store.noteTriggered = false;
        rig.render (64, { KickRig::noteOn (10) });
        EXPECT_EQ (rig.store.noteTriggered.load(), live);
    }
}

TEST (KickSynthesiser, LiveRenderingNeverAllocates)
{
    // Two voices, both layers, DIST, split output, notes and note-offs inside blocks, and
    // host blocks of changing sizes.
    KickRig rig (true, rate, 2);
    rig.loadLayer (1, 24000, [] (int, int i) { return testwav::sine (i, 3000.0, rate); });
    rig.loadLayer (2, 24000, [] (int c, int i) { return c == 0 ? 0.3f : -0.3f * (float) (i % 7); });
    for (auto [n, v] : { std::pair{ Param::attackEnable1, 1.0f },
                         { Param::attackEnable2, 1.0f },
                         { Param::waveformDrive, 2.0f },
                         { Param::bodySplitAttack, 1.0f },
                         { Param::tweaksCut, 0.5f },
                         { Param::tweaksPunch, 0.5f },
                         { Param::bodyMode, 1.0f } })
        rig.set (n, v);
    rig.synth.setOneShot (false);
    rig.store.snapRampsToValues();

    constexpr int blocks = 400;
    std::vector<juce::MidiBuffer> midi (blocks);
    std::vector<int> sizes (blocks);
    for (int b = 0; b < blocks; ++b)
    {
        sizes[(size_t) b] = 1 + (b * 97) % 512;
        if (b % 10 == 0)
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOn (1, 60 + b % 12, 0.8f), sizes[(size_t) b] / 2);
        if (b % 10 == 7)
            midi[(size_t) b].addEvent (juce::MidiMessage::noteOff (1, 60 + (b - 7) % 12), 0);
    }
    juce::AudioBuffer<float> buffer (4, 512);

    const AllocationCounter counter;
    for (int b = 0; b < blocks; ++b)
    {
        const int n = sizes[(size_t) b];
        buffer.clear();
        rig.set (Param::tweaksBodyGain, b % 2 == 0 ? 1.0f : 0.5f); // ramps glide every block
        rig.store.prepareBlock (n);
        rig.layer1.poll();
        rig.layer2.poll();
        rig.synth.renderNextBlock (buffer, midi[(size_t) b], 0, n);
    }
    EXPECT_EQ (counter.getCount(), 0);
    EXPECT_GT (buffer.getMagnitude (0, 0, 512) + buffer.getMagnitude (2, 0, 512), 0.0f);
}
