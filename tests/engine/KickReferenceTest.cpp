#include "engine/KickTestRig.h"

#include "engine/dsp/AmplitudeEnvelopes.h"
#include "engine/dsp/Biquad.h"
#include "engine/dsp/BiquadDesign.h"
#include "engine/dsp/BodyPitch.h"
#include "engine/dsp/DriveStages.h"
#include "engine/dsp/Punch.h"
#include "engine/dsp/SamplePlayer.h"
#include "engine/dsp/Shaper.h"
#include "engine/dsp/WaveformTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

// The voice renders its stages in chunks, stage by stage. This is the plain sample-by-
// sample order of the stages for one offline kick with fixed settings (in range), held
// against the voice's output bit for bit, so that regrouping the work never changes it.
namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;

juce::AudioBuffer<float> renderReference (const ProcessorParameterStore& p, const LiveSample& layer1,
                                          const LiveSample& layer2, double rate, int length, float velocity,
                                          bool split = false)
{
    const juce::ScopedNoDenormals noDenormals; // as the voice renders
    auto v = [&p] (Param::Number n) { return p.getValue (n); };
    auto on = [&p] (Param::Number n) { return p.getValue (n) > 0.5f; };

    // Note start.
    const int bodyMode = (int) v (Param::bodyMode);
    const bool tough = bodyMode == 1;
    const double end = v (Param::bodyEnd);
    BodyPitch::Tough toughPitch;
    if (tough)
        toughPitch.start (rate, v (Param::bodyStart), end, v (Param::bodyPitchDecay), v (Param::bodyCurve),
                          v (Param::tweaksToughChirp));
    const int boostLength = (int) (0.005 * rate);
    int boost = boostLength;
    const int compatibility = p.getCompatibilityMode();
    const int driveMode = DriveMode::forNote (v (Param::waveformDrive), v (Param::waveformDriveMode), compatibility);
    const bool legacy = compatibility == 1;
    const double ratios[] = { std::pow (2.0, v (Param::tweaksAttackPitch) / 12.0),
                              std::pow (2.0, v (Param::tweaksAttack2Pitch) / 12.0) };
    const double limit = v (Param::tweaksHpf);
    const double offset = v (Param::waveformPhase) * twoPi;
    Punch punch;
    punch.start (v (Param::tweaksPunch), rate);
    ExponentialEnvelope e;
    LinearEnvelope f;
    e.start();
    f.start();

    // Per call (one call here).
    const auto& tables = getWaveformTables();
    const auto stepped = makeSteppedSineTable();
    SamplePlayer players[2];
    players[0].prepare (v (Param::attackHighpass), rate, layer1);
    players[1].prepare (v (Param::attack2Highpass), rate, layer2);
    // Left, right, and with split output the attack pair.
    Biquad shelves[4], mids[4];
    for (auto& shelf : shelves)
        shelf.setCoefficients (BiquadDesign::hiShelf (v (Param::tweaksHiShelf), rate));
    for (auto& mid : mids)
        mid.setCoefficients (BiquadDesign::peaking (v (Param::tweaksEqGain), v (Param::tweaksEqFreq), rate));
    LegacyDistortion legacyDistortion;
    legacyDistortion.prepare (rate);
    const double velocityFactor = (velocity - 1.0) * v (Param::tweaksVelSens) * 0.01 + 1.0;
    const auto velocityGain = (float) (velocityFactor * velocityFactor * velocityFactor);
    const float drive = v (Param::waveformDrive);

    juce::AudioBuffer<float> out (split ? 4 : 2, length);
    double t = 0.0, phase = 0.0;
    for (int n = 0; n < length; ++n)
    {
        // 1, 2: envelope lengths every 16 samples, the kick's length and crossfade.
        if (n % 16 == 0)
        {
            const auto lengths = EnvelopeLengths::fromTimes (v (Param::bodyAttack), v (Param::bodyHold),
                                                             v (Param::bodyDecay), rate * 0.001);
            f.refresh (lengths);
            e.refresh (lengths);
        }
        const auto crossfade = EnvelopeCrossfade::forLength (v (Param::bodyHold), v (Param::bodyDecay), legacy);

        // 3: pitch.
        const double base =
            tough ? toughPitch.next()
                  : BodyPitch::orig (t, v (Param::bodyStart), end, v (Param::bodyPitchDecay), v (Param::bodyCurve));
        const double frequency = base - BodyPitch::deepDrop (v (Param::bodyDeep), t, crossfade.noteLength);

        // 4: oscillator with the table modes and the high-pass limit.
        float x = 0.0f;
        if (! (on (Param::attackSolo) || ! on (Param::bodyBody) || on (Param::attack2Solo)))
        {
            const auto angle = (float) (phase + offset);
            float s = std::cos (angle);
            if (drive > 0.0f)
            {
                const int table = DriveMode::tableFor (driveMode);
                if (driveMode == 2)
                    s = DriveStages::addThirdHarmonic (s, angle, drive / 6.0f);
                else if (table >= 0)
                    s = DriveStages::blend (s, table == 0 ? stepped : tables[(size_t) table - 1], angle, drive / 6.0f);
            }
            x = BodyPitch::highPassLimitGain (frequency, limit) * s;
        }

        // 5, 6: TOUGH's onset boost, 0.707, phase.
        if (tough && boost >= 0)
        {
            --boost;
            x = std::clamp (x * ((float) boost / (float) boostLength + 1.0f), -1.0f, 1.0f);
        }
        x *= 0.707f;
        phase += frequency * (twoPi / rate);
        if (phase > twoPi)
            phase -= twoPi;
        if (phase <= 0.0)
            phase += twoPi;

        // 7: shaper; 8: DIST.
        if (v (Param::tweaksCut) > 0.0f)
            x = (float) (x
                         * Shaper::gain (v (Param::tweaksCut), v (Param::tweaksTime), v (Param::tweaksWidth), tough,
                                         t));
        if (driveMode == DriveMode::dist)
            x = DriveStages::saturate (x, drive);
        else if (driveMode == DriveMode::legacyDist)
            x = legacyDistortion.process (x, drive, t);

        // 9: time, envelopes, body.
        t += 1000.0 / rate;
        const double ev = e.next();
        const double fv = f.next();
        float left = crossfade.mix (ev, fv) * v (Param::tweaksBodyGain) * x;
        float right = left;
        float attackLeft = 0.0f, attackRight = 0.0f;

        // 10: layers, into the attack pair with split output.
        const Param::Number enable[] = { Param::attackEnable1, Param::attackEnable2 };
        const Param::Number solo[] = { Param::attackSolo, Param::attack2Solo };
        const Param::Number decay[] = { Param::attackDecay, Param::attack2Decay };
        const Param::Number gain[] = { Param::attackGain, Param::attack2Gain };
        for (int layer = 0; layer < 2; ++layer)
        {
            SamplePlayer::Settings settings;
            settings.solo = on (solo[layer]);
            settings.plays = settings.solo || on (enable[layer]);
            settings.decayMs = v (decay[layer]);
            settings.gain = v (gain[layer]);
            players[layer].render (settings, (float) t, split ? attackLeft : left, split ? attackRight : right);
        }

        // 11, 12: post distortion, layer positions.
        if (driveMode == DriveMode::post)
        {
            left = DriveStages::postSaturate (left, drive);
            right = DriveStages::postSaturate (right, drive);
        }
        players[0].advance (ratios[0]);
        players[1].advance (ratios[1]);

        // 14, 15, 16: punch, clipper, equaliser and velocity.
        if (punch.isActive (n))
        {
            const double g = punch.nextGain();
            left = (float) (left * g);
            right = (float) (right * g);
            attackLeft = (float) (attackLeft * g);
            attackRight = (float) (attackRight * g);
        }
        if (driveMode == DriveMode::clipper)
        {
            left = DriveStages::clip (left, drive);
            right = DriveStages::clip (right, drive);
        }
        const float pairs[] = { left, right, attackLeft, attackRight };
        for (int ch = 0; ch < out.getNumChannels(); ++ch)
            out.setSample (ch, n, mids[ch].process (shelves[ch].process (pairs[ch])) * velocityGain);
    }
    return out;
}
} // namespace

TEST (KickReference, ChunkedRenderingMatchesTheSampleBySampleOrder)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<Param::Number, float>> settings;
        int compatibilityMode = 2;
    };
    const Case cases[] = {
        { "defaults", {} },
        { "TOUGH with shaper and punch",
          { { Param::bodyMode, 1.0f }, { Param::tweaksCut, 0.7f }, { Param::tweaksPunch, 0.6f } } },
        { "DIST", { { Param::waveformDrive, 2.5f } } },
        { "legacy DIST", { { Param::waveformDrive, 1.5f } }, 1 },
        { "DIRTY", { { Param::waveformDriveMode, 4.0f }, { Param::waveformDrive, 3.0f } } },
        { "WT-C",
          { { Param::waveformDriveMode, 6.0f }, { Param::waveformDrive, 4.0f }, { Param::waveformPhase, 0.3f } } },
        { "HUM, long kick",
          { { Param::waveformDriveMode, 7.0f },
            { Param::waveformDrive, 6.0f },
            { Param::bodyHold, 300.0f },
            { Param::bodyDecay, 400.0f } } },
        { "mode 2", { { Param::waveformDriveMode, 2.0f }, { Param::waveformDrive, 1.0f } } },
        { "post distortion",
          { { Param::waveformDriveMode, 9.0f }, { Param::waveformDrive, 2.0f }, { Param::attackEnable2, 1.0f } } },
        { "CLIPPER",
          { { Param::waveformDriveMode, 10.0f }, { Param::waveformDrive, 5.0f }, { Param::tweaksBodyGain, 2.0f } } },
        { "layer solo, pitched", { { Param::attack2Solo, 1.0f }, { Param::tweaksAttack2Pitch, 7.0f } } },
        { "equaliser, velocity, attack",
          { { Param::tweaksEqGain, 9.0f },
            { Param::tweaksEqFreq, 90.0f },
            { Param::tweaksHiShelf, -6.0f },
            { Param::tweaksVelSens, 60.0f },
            { Param::bodyAttack, 12.0f },
            { Param::tweaksAttackPitch, -5.0f } } },
    };

    constexpr double rate = 44100.0;
    constexpr int length = 30000;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KickRig rig (false, rate);
        rig.loadLayer (1, 20000, [] (int ch, int i) { return testwav::sine (i, 2500.0 + 300.0 * ch, rate); });
        rig.loadLayer (2, 9000,
                       [] (int ch, int i) { return (float) ((i * 7919 + ch * 104729) % 2001 - 1000) * 5.0e-4f; });
        for (const auto& [n, value] : c.settings)
            rig.set (n, value);
        rig.store.setCompatibilityMode (c.compatibilityMode);

        const float velocity = juce::MidiMessage::noteOn (1, 60, 0.8f).getFloatVelocity();
        const auto expected = renderReference (rig.store, rig.layer1, rig.layer2, rate, length, velocity);
        // Calls of many lengths (sub-blocks and chunk edges fall anywhere).
        const auto out = rig.render (length, { KickRig::noteOn (0, 60, 0.8f) }, 1000);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < length; ++i)
                ASSERT_EQ (out.getSample (ch, i), expected.getSample (ch, i)) << "channel " << ch << ", sample " << i;
    }
}

// A live voice with split output: the layers leave through their own equaliser on channels
// 2 and 3 with the punch but without fade, clipper or post distortion. With the knobs at
// rest the ramps hold the plain values, so the same stage order applies.
TEST (KickReference, LiveSplitOutputMatchesTheSampleBySampleOrder)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<Param::Number, float>> settings;
    };
    const Case cases[] = {
        { "DIST, punch", { { Param::waveformDrive, 2.0f }, { Param::tweaksPunch, 0.8f } } },
        { "post distortion", { { Param::waveformDriveMode, 9.0f }, { Param::waveformDrive, 3.0f } } },
        { "CLIPPER, equaliser",
          { { Param::waveformDriveMode, 10.0f },
            { Param::waveformDrive, 5.0f },
            { Param::tweaksEqGain, -7.0f },
            { Param::tweaksHiShelf, 5.0f } } },
        { "pitched layers", { { Param::tweaksAttackPitch, 5.0f }, { Param::tweaksAttack2Pitch, 12.0f } } },
    };

    constexpr double rate = 48000.0;
    constexpr int length = 20000;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        KickRig rig (true, rate);
        rig.loadLayer (1, 15000, [] (int ch, int i) { return testwav::sine (i, 1700.0 + 300.0 * ch, rate); });
        rig.loadLayer (2, 7000,
                       [] (int ch, int i) { return (float) ((i * 7919 + ch * 104729) % 2001 - 1000) * 5.0e-4f; });
        rig.set (Param::bodySplitAttack, 1.0f);
        rig.set (Param::attackEnable1, 1.0f);
        rig.set (Param::attackEnable2, 1.0f);
        rig.set (Param::tweaksMidiKeys, 0.0f);
        for (const auto& [n, value] : c.settings)
            rig.set (n, value);
        rig.store.snapRampsToValues();

        const float velocity = juce::MidiMessage::noteOn (1, 60, 0.7f).getFloatVelocity();
        const auto expected = renderReference (rig.store, rig.layer1, rig.layer2, rate, length, velocity, true);
        const auto out = rig.render (length, { KickRig::noteOn (0, 60, 0.7f) }, 300, 4);

        for (int ch = 0; ch < 4; ++ch)
        {
            EXPECT_GT (peakOf (expected, ch, 0, length), 0.01f) << "channel " << ch;
            for (int i = 0; i < length; ++i)
                ASSERT_EQ (out.getSample (ch, i), expected.getSample (ch, i)) << "channel " << ch << ", sample " << i;
        }
    }
}
