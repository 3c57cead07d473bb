#include "engine/KickTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

// The body as the voice plays it: pitch, high-pass limit, phase, silencing, shaper,
// punch, velocity and equaliser, each measured on the rendered output.
namespace
{
constexpr double rate = 48000.0;
int samples (double ms) { return (int) (ms * rate / 1000.0); }
} // namespace

TEST (KickBody, SettlesOnTheEndFrequencyOfItsPitchModel)
{
    struct Case
    {
        const char* name;
        float mode;
        bool midiKeys;
        int note;
        bool live;
        double expectedHz;
    };
    const double noteC4 = 440.0 * std::pow (2.0, -9.0 / 12.0);
    const Case cases[] = {
        { "ORIG", 0.0f, false, 60, false, 52.0 },
        { "TOUGH", 1.0f, false, 60, false, 52.0 },
        { "MIDI keys: two octaves below the key", 0.0f, true, 60, true, noteC4 / 4.0 },
        { "MIDI keys, TOUGH", 1.0f, true, 72, true, noteC4 / 2.0 },
        { "MIDI keys on a note 0 (auto play): the end knob", 0.0f, true, 0, true, 52.0 },
        { "MIDI keys only for live voices", 0.0f, true, 60, false, 52.0 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KickRig rig (c.live, rate);
        rig.setPlainBody (52.0);
        rig.set (Param::bodyStart, 500.0f);
        rig.set (Param::bodyMode, c.mode);
        rig.set (Param::tweaksMidiKeys, c.midiKeys ? 1.0f : 0.0f);
        rig.set (Param::bodyHold, 1000.0f);
        rig.store.snapRampsToValues();
        const auto out = rig.render (samples (700), { KickRig::noteOn (0, c.note) });
        EXPECT_NEAR (toneFrequency (out, samples (300), samples (700), rate), c.expectedHz, 0.01);
        EXPECT_GT (toneFrequency (out, 0, samples (10), rate), 100.0); // the sweep starts high
    }
}

TEST (KickBody, DeepDropsThePitchLinearlyOverTheKicksLength)
{
    // The pitch falls by deep x t / w, w the kick's length (hold + decay, 360 ms at least,
    // and always 360 ms in compatibility mode 1), then stays at end - deep.
    struct Case
    {
        int compatibilityMode;
        double fromMs, toMs, lengthMs;
    };
    for (const auto& c : { Case{ 2, 900.0, 1100.0, 2000.0 }, Case{ 2, 1500.0, 1700.0, 2000.0 },
                           Case{ 1, 100.0, 260.0, 360.0 }, Case{ 1, 400.0, 900.0, 360.0 } })
    {
        KickRig rig (false, rate);
        rig.setPlainBody (60.0);
        rig.set (Param::bodyDeep, 20.0f);
        rig.set (Param::bodyHold, 1500.0f);
        rig.set (Param::bodyDecay, 500.0f);
        rig.store.setCompatibilityMode (c.compatibilityMode);
        const auto out = rig.render (samples (c.toMs), { KickRig::noteOn (0) }, 4096);
        const auto tone = measureTone (out, samples (c.fromMs), samples (c.toMs), rate);
        const double centreMs = tone.centre * 1000.0 / rate;
        EXPECT_NEAR (tone.frequency, 60.0 - 20.0 * std::min (1.0, centreMs / c.lengthMs), 0.02)
            << "mode " << c.compatibilityMode << " at " << centreMs << " ms";
    }
}

TEST (KickBody, HighPassLimitHalvesTheBodyAtItsFrequency)
{
    struct Case
    {
        float limit;
        double frequency, gain;
    };
    for (const auto& c : { Case{ 30.0f, 30.0, 0.5 }, Case{ 40.0f, 80.0, 256.0 / 257.0 }, Case{ 0.0f, 25.0, 1.0 },
                           Case{ 25.0f, 12.5, 1.0 / 257.0 } })
    {
        SCOPED_TRACE (c.limit);
        KickRig rig (false, rate);
        rig.setPlainBody (c.frequency);
        rig.set (Param::tweaksHpf, c.limit);
        rig.set (Param::bodyHold, 1000.0f);
        const auto out = rig.render (samples (1000), { KickRig::noteOn (0) }, 4096);
        EXPECT_NEAR (peakOf (out, 0, samples (500), samples (1000)), 0.707 * c.gain, 0.707 * c.gain * 1.0e-3);
    }
}

TEST (KickBody, PhaseSetsTheStartingAngle)
{
    for (const float phase : { 0.0f, 0.25f, 0.5f, 0.125f })
    {
        KickRig rig (false, rate);
        rig.setPlainBody (52.0);
        rig.set (Param::waveformPhase, phase);
        const auto out = rig.render (16, { KickRig::noteOn (0) });
        EXPECT_NEAR (out.getSample (0, 0), 0.707 * std::cos (phase * 2.0 * juce::MathConstants<double>::pi), 1.0e-6)
            << phase;
    }
}

TEST (KickBody, SilencedBodyKeepsItsPhaseAndEnvelopesRunning)
{
    struct Case
    {
        const char* name;
        Param::Number parameter;
        float silencing;
    };
    for (const auto& c : { Case{ "body off", Param::bodyBody, 0.0f }, Case{ "layer 1 solo", Param::attackSolo, 1.0f },
                           Case{ "layer 2 solo", Param::attack2Solo, 1.0f } })
    {
        SCOPED_TRACE (c.name);
        KickRig reference (false, rate), rig (false, rate);
        for (auto* r : { &reference, &rig })
        {
            r->setPlainBody (150.0);
            r->set (Param::bodyStart, 900.0f);
            r->set (Param::bodyMode, 1.0f); // TOUGH: the onset boost counts on, too
        }
        const auto expected = reference.render (2048, { KickRig::noteOn (0) }, 1024);
        const float on = rig.store.getValue (c.parameter);
        const auto out = rig.render (2048, { KickRig::noteOn (0) }, 1024, 2,
                                     [&] (int start) { rig.set (c.parameter, start == 0 ? c.silencing : on); });
        EXPECT_EQ (peakOf (out, 0, 0, 1024), 0.0f);
        for (int i = 1024; i < 2048; ++i)
            ASSERT_NEAR (out.getSample (0, i), expected.getSample (0, i), 1.0e-4) << i;
        EXPECT_GT (peakOf (out, 0, 1024, 2048), 0.1f);
    }
}

TEST (KickBody, ShaperCutsADipAtItsPosition)
{
    struct Case
    {
        const char* name;
        float mode, cut, positionMs, widthMs;
        double atMs, gain;
    };
    const Case cases[] = {
        { "full cut at the position", 0.0f, 1.0f, 10.0f, 10.0f, 10.0, 0.0 },
        { "half gain one width away", 0.0f, 1.0f, 10.0f, 10.0f, 20.0, 0.5 },
        { "TOUGH: half as wide", 1.0f, 1.0f, 50.0f, 10.0f, 55.0, 0.5 },
        { "half depth", 0.0f, 0.5f, 30.0f, 2.5f, 30.0, 0.5 },
        { "no cut", 0.0f, 0.0f, 10.0f, 10.0f, 10.0, 1.0 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KickRig rig (false, rate);
        rig.setPlainBody (0.0);
        rig.set (Param::bodyMode, c.mode);
        rig.set (Param::bodyStart, 0.0f);
        rig.set (Param::bodyHold, 1000.0f);
        rig.set (Param::tweaksCut, c.cut);
        rig.set (Param::tweaksTime, c.positionMs);
        rig.set (Param::tweaksWidth, c.widthMs);
        const auto out = rig.render (samples (100), { KickRig::noteOn (0) });
        // Sample k is shaped at t = k ms / 48 (the time before its advance).
        EXPECT_NEAR (out.getSample (0, samples (c.atMs)), 0.707 * c.gain, 2.0e-5);
    }
}

TEST (KickBody, PunchScalesTheFirst18Milliseconds)
{
    const int length = (int) (0.018 * rate); // 864
    for (const float punch : { -1.0f, -0.3f, 0.5f, 1.0f })
    {
        SCOPED_TRACE (punch);
        KickRig flat (false, rate), rig (false, rate);
        for (auto* r : { &flat, &rig })
        {
            r->setPlainBody (0.0);
            r->set (Param::bodyHold, 500.0f);
        }
        rig.set (Param::tweaksPunch, punch);
        const auto reference = flat.render (2000, { KickRig::noteOn (0) });
        const auto out = rig.render (2000, { KickRig::noteOn (0) });

        const double p = punch * 10.0 / 7.0;
        for (const int n : { 0, 1, 100, 431, length - 1, length, 1500 })
        {
            const double v = n < length ? std::pow (0.3, (n + 1.0) / length) : 0.3;
            EXPECT_NEAR (out.getSample (0, n) / reference.getSample (0, n), 1.0 + p * (v - 0.3), 5.0e-5) << n;
        }
    }
}

TEST (KickBody, VelocityScalesByItsSensitivity)
{
    struct Case
    {
        float velocity, sensitivity;
    };
    for (const auto& c : { Case{ 0.5f, 100.0f }, Case{ 0.25f, 10.0f }, Case{ 1.0f, 100.0f }, Case{ 0.5f, 0.0f } })
    {
        KickRig full (false, rate), rig (false, rate);
        for (auto* r : { &full, &rig })
        {
            r->setPlainBody (52.0);
            r->set (Param::tweaksVelSens, c.sensitivity);
        }
        const auto reference = full.render (1000, { KickRig::noteOn (0, 60, 1.0f) });
        const auto out = rig.render (1000, { KickRig::noteOn (0, 60, c.velocity) });
        const double v = juce::MidiMessage::noteOn (1, 60, c.velocity).getFloatVelocity();
        const double gain = std::pow ((v - 1.0) * c.sensitivity * 0.01 + 1.0, 3.0);
        EXPECT_NEAR (peakOf (out, 0, 0, 1000) / peakOf (reference, 0, 0, 1000), gain, 1.0e-6)
            << c.velocity << " " << c.sensitivity;
    }
}

TEST (KickBody, MidEqualiserGainAtItsCentre)
{
    for (const float db : { -12.0f, 6.0f, 20.0f })
    {
        KickRig flat (false, rate), rig (false, rate);
        for (auto* r : { &flat, &rig })
        {
            r->setPlainBody (1000.0);
            r->set (Param::bodyHold, 1000.0f);
            r->set (Param::tweaksEqFreq, 1000.0f);
        }
        rig.set (Param::tweaksEqGain, db);
        const auto reference = flat.render (samples (500), { KickRig::noteOn (0) });
        const auto out = rig.render (samples (500), { KickRig::noteOn (0) });
        const double measured =
            peakOf (out, 0, samples (300), samples (500)) / peakOf (reference, 0, samples (300), samples (500));
        EXPECT_NEAR (20.0 * std::log10 (measured), db, 0.02);
    }
}
