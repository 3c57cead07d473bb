#include "engine/KickSynthVoice.h"

#include "engine/LiveSample.h"
#include "params/ProcessorParameterStore.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr int toughMode = 1;

void advancePhase (double& phase, double increment) noexcept
{
    phase += increment;
    if (phase > twoPi)
        phase -= twoPi;
    if (phase <= 0.0)
        phase += twoPi;

    // Only a frequency far beyond any the knobs reach can carry the phase this far; fold
    // it back before the angle loses all precision.
    if (std::abs (phase) > 1.0e6)
    {
        phase = std::fmod (phase, twoPi);
        if (phase <= 0.0)
            phase += twoPi;
    }
}
} // namespace

// The stages run one after another across a chunk of samples instead of all stages
// sample by sample: each stage's state then stays in registers and the library calls
// (cosine, exponential) run in tight loops. Every sample still goes through the same
// arithmetic in the same order; only independent work is regrouped.
struct KickSynthVoice::Chunk
{
    static constexpr int capacity = 64;

    int start = 0; // sample index of the first sample in the host buffer
    int count = 0;
    std::int64_t firstCounter = 0;

    std::array<double, capacity> frequency;
    std::array<double, capacity> timeBefore; // time at the sample, before its advance
    std::array<double, capacity> timeAfter;
    std::array<float, capacity> angle;
    std::array<bool, capacity> muted;
    std::array<float, capacity> envelope;
    std::array<float, capacity> x;
    // Left, right, attack left, attack right.
    static constexpr size_t left = 0, right = 1, attackLeft = 2, attackRight = 3;
    std::array<BiquadBank::Frame, capacity> frames;
};

// Envelope lengths, the kick's length, pitch, phase, time and envelopes. The divisions
// and the phase recurrence run in passes of their own, out of each other's way.
forcedinline void KickSynthVoice::runControls (NoteState& s, const CallSettings& call, Chunk& c) const noexcept
{
    std::array<double, Chunk::capacity> noteLength, deep;
    for (int k = 0; k < c.count; ++k)
    {
        const int i = c.start + k;
        const float holdMs = call.hold.at (params, i);
        const float decayMs = call.decay.at (params, i);
        if (((c.firstCounter + k) & 15) == 0)
        {
            const auto lengths =
                EnvelopeLengths::fromTimes (call.attack.at (params, i), holdMs, decayMs, call.samplesPerMs);
            s.linearEnvelope.refresh (lengths);
            s.exponentialEnvelope.refresh (lengths);
        }
        const auto crossfade = EnvelopeCrossfade::forLength (holdMs, decayMs, note.legacy);
        noteLength[(size_t) k] = crossfade.noteLength;
        deep[(size_t) k] = call.deep.at (params, i);

        c.frequency[(size_t) k] =
            note.bodyMode == toughMode
                ? s.tough.next()
                : BodyPitch::orig (s.timeMs, call.startFrequency, call.endFrequency, call.sweepMs, call.curve);

        // Silent while a layer is solo or the body is off; phase and envelopes run on.
        c.muted[(size_t) k] = params.plainIsOn (Param::attackSolo) || ! params.plainIsOn (Param::bodyBody)
                              || params.plainIsOn (Param::attack2Solo);

        c.timeBefore[(size_t) k] = s.timeMs;
        s.timeMs += call.msPerSample;
        c.timeAfter[(size_t) k] = s.timeMs;

        const double e = s.exponentialEnvelope.next();
        const double f = s.linearEnvelope.next();
        c.envelope[(size_t) k] = crossfade.mix (e, f);
    }

    for (int k = 0; k < c.count; ++k)
        c.frequency[(size_t) k] -=
            BodyPitch::deepDrop (deep[(size_t) k], c.timeBefore[(size_t) k], noteLength[(size_t) k]);

    for (int k = 0; k < c.count; ++k)
    {
        c.angle[(size_t) k] = (float) (s.phase + note.phaseOffset);
        advancePhase (s.phase, c.frequency[(size_t) k] * note.twoPiOverSampleRate);
    }
    s.currentFrequency = c.frequency[(size_t) c.count - 1];
}

// The cosine, the oscillator's drive modes and the high-pass limit.
forcedinline void KickSynthVoice::runOscillator (const CallSettings& call, Chunk& c) const noexcept
{
    std::array<float, Chunk::capacity> limitGain;
    for (int k = 0; k < c.count; ++k)
        limitGain[(size_t) k] = BodyPitch::highPassLimitGain (c.frequency[(size_t) k], note.highPassLimit);

    const int table = DriveMode::tableFor (note.driveMode);
    const WaveformTable* values = table < 0 ? nullptr : (table == 0 ? &steppedSine : &tables[(size_t) table - 1]);
    const bool thirdHarmonic = note.driveMode == DriveMode::thirdHarmonic;

    for (int k = 0; k < c.count; ++k)
    {
        if (c.muted[(size_t) k])
        {
            c.x[(size_t) k] = 0.0f;
            continue;
        }
        const float angle = c.angle[(size_t) k];
        float value = std::cos (angle);
        // The oscillator's drive modes act only while the drive is above 0.
        if ((thirdHarmonic || values != nullptr) && store.getValue (Param::waveformDrive) > 0.0f)
            value = thirdHarmonic ? DriveStages::addThirdHarmonic (value, angle, call.driveOver6)
                                  : DriveStages::blend (value, *values, angle, call.driveOver6);
        c.x[(size_t) k] = limitGain[(size_t) k] * value;
    }
}

// TOUGH's onset boost, the shaper's dip, DIST, and the envelope and body gain.
forcedinline void KickSynthVoice::runBodyStages (NoteState& s, const CallSettings& call, Chunk& c) const noexcept
{
    for (int k = 0; k < c.count; ++k)
    {
        const int i = c.start + k;
        float x = c.x[(size_t) k];

        // The first 5 ms of TOUGH: up to twice as loud, hard-limited.
        if (note.bodyMode == toughMode && s.boostCounter >= 0)
        {
            --s.boostCounter;
            const float boost = note.boostLength > 0 ? (float) s.boostCounter / (float) note.boostLength + 1.0f : 1.0f;
            x = std::clamp (x * boost, -1.0f, 1.0f);
        }
        x *= 0.707f;

        const float cut = call.cut.at (params, i);
        if (cut > 0.0f)
            x = (float) (x
                         * Shaper::gain (cut, call.position.at (params, i), call.width.at (params, i),
                                         params.plain (Param::bodyMode) == 1.0f, c.timeBefore[(size_t) k]));

        if (note.driveMode == DriveMode::dist)
            x = DriveStages::saturate (x, call.drive.at (params, i));
        else if (note.driveMode == DriveMode::legacyDist)
            x = s.legacyDistortion.process (x, params.plain (Param::waveformDrive), c.timeBefore[(size_t) k]);

        const float body = c.envelope[(size_t) k] * call.bodyGain.at (params, i) * x;
        c.frames[(size_t) k] = { body, body, 0.0f, 0.0f };
    }
}

// Layer 1, then layer 2, into the body pair or, with split output, the attack pair. Both
// layers run in one pass so that their four filters overlap.
forcedinline void KickSynthVoice::runLayers (NoteState& s, const CallSettings& call, Chunk& c) const noexcept
{
    const size_t destination = call.split ? Chunk::attackLeft : Chunk::left;
    auto first = s.players[0];
    auto second = s.players[1];

    for (int k = 0; k < c.count; ++k)
    {
        const int i = c.start + k;
        SamplePlayer::Settings one, two;
        one.solo = params.plainIsOn (Param::attackSolo);
        one.plays = one.solo || params.plainIsOn (Param::attackEnable1);
        two.solo = params.plainIsOn (Param::attack2Solo);
        two.plays = two.solo || params.plainIsOn (Param::attackEnable2);
        if (one.plays)
        {
            one.decayMs = call.layerDecay[0].at (params, i);
            one.gain = call.layerGain[0].at (params, i);
        }
        if (two.plays)
        {
            two.decayMs = call.layerDecay[1].at (params, i);
            two.gain = call.layerGain[1].at (params, i);
        }

        const float t = (float) c.timeAfter[(size_t) k];
        auto& left = c.frames[(size_t) k][destination];
        auto& right = c.frames[(size_t) k][destination + 1];
        first.render (one, t, left, right);
        second.render (two, t, left, right);
        first.advance (note.pitchRatios[0]);
        second.advance (note.pitchRatios[1]);
    }
    s.players[0] = first;
    s.players[1] = second;
}

// Post distortion, the fade, punch, clipper, equaliser and velocity, into the buffer.
forcedinline void KickSynthVoice::runOutputStages (NoteState& s, const CallSettings& call, Chunk& c) noexcept
{
    if (note.driveMode == DriveMode::post)
    {
        for (int k = 0; k < c.count; ++k)
        {
            const float drive = call.drive.at (params, c.start + k);
            auto& frame = c.frames[(size_t) k];
            frame[Chunk::left] = DriveStages::postSaturate (frame[Chunk::left], drive);
            frame[Chunk::right] = DriveStages::postSaturate (frame[Chunk::right], drive);
        }
    }

    for (int k = 0; k < c.count; ++k)
    {
        if (c.timeAfter[(size_t) k] > maximumLengthMs)
            s.tailOff = true;
        if (s.tailOff)
        {
            c.frames[(size_t) k][Chunk::left] *= s.fadeGain;
            c.frames[(size_t) k][Chunk::right] *= s.fadeGain;
            if (s.fadeGain > 0.001f)
                s.fadeGain *= fadeFactor;
            else
                clearCurrentNote(); // the rest of this call still plays at the final gain
        }
    }

    for (int k = 0; k < c.count && s.punch.isActive (c.firstCounter + k); ++k)
    {
        const double gain = s.punch.nextGain();
        for (auto& value : c.frames[(size_t) k])
            value = (float) (value * gain);
    }

    if (note.driveMode == DriveMode::clipper)
    {
        for (int k = 0; k < c.count; ++k)
        {
            const float drive = params.plain (Param::waveformDrive);
            auto& frame = c.frames[(size_t) k];
            frame[Chunk::left] = DriveStages::clip (frame[Chunk::left], drive);
            frame[Chunk::right] = DriveStages::clip (frame[Chunk::right], drive);
        }
    }

    // All four lanes in one pass. Without split output the attack lanes compute nothing
    // of use and keep their previous state.
    auto shelves = s.shelves, mids = s.mids;
    for (int k = 0; k < c.count; ++k)
    {
        auto& frame = c.frames[(size_t) k];
        shelves.process (frame);
        mids.process (frame);
        for (auto& value : frame)
            value *= call.velocityGain;
    }
    for (int lane = 0; lane < (call.split ? 4 : 2); ++lane)
    {
        s.shelves.copyLane (shelves, lane);
        s.mids.copyLane (mids, lane);
    }

    for (size_t channel = 0; channel < (call.split ? 4u : 2u); ++channel)
        if (float* out = call.out[channel]; out != nullptr)
            for (int k = 0; k < c.count; ++k)
                out[c.start + k] += c.frames[(size_t) k][channel];
}

forcedinline void KickSynthVoice::renderChunk (NoteState& s, const CallSettings& call, int start, int count) noexcept
{
    Chunk c;
    c.start = start;
    c.count = count;
    c.firstCounter = s.sampleCounter;

    runControls (s, call, c);
    runOscillator (call, c);
    runBodyStages (s, call, c);
    runLayers (s, call, c);
    runOutputStages (s, call, c);
    s.sampleCounter += count;
}

void KickSynthVoice::renderNextBlock (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    if (! isVoiceActive())
    {
        state.timeMs = -1.0;
        return;
    }
    if (state.timeMs < 0.0 || numSamples <= 0)
        return;

    const juce::ScopedNoDenormals noDenormals;
    const double sampleRate = getEffectiveSampleRate();

    CallSettings call;
    call.split = live && buffer.getNumChannels() >= 4 && params.plainIsOn (Param::bodySplitAttack);
    call.endFrequency = getEndFrequency();
    if (initPending)
        setUpNote (sampleRate, call.endFrequency);
    prepareCall (call, buffer, startSample, startSample + numSamples - 1, sampleRate);

    NoteState s = state;
    for (int start = startSample; start < startSample + numSamples; start += Chunk::capacity)
        renderChunk (s, call, start, std::min (Chunk::capacity, startSample + numSamples - start));
    state = s;
}
