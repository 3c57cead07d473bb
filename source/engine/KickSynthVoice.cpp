#include "engine/KickSynthVoice.h"

#include "engine/LiveSample.h"
#include "params/ProcessorParameterStore.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr int toughMode = 1;

// Body mode and drive mode numbers come from floats that may hold anything.
int integerPart (float value) noexcept { return (int) std::clamp (std::trunc (value), -1000.0f, 1000.0f); }
} // namespace

KickSynthVoice::KickSynthVoice (ProcessorParameterStore& s, LiveSample& layer1, LiveSample& layer2, int number,
                                bool isLive)
    : store (s)
    , params (s, isLive)
    , voiceNumber (number)
    , live (isLive)
    , tables (getWaveformTables())
    , steppedSine (makeSteppedSineTable())
    , players{ SamplePlayer (layer1), SamplePlayer (layer2) }
{
    for (auto& e : equalisers)
        e.clear();
    legacyDistortion.reset();
    fadeGain = 1.0f;
    initPending = false;
    timeMs = 0.0L;
}

double KickSynthVoice::getEffectiveSampleRate() const noexcept
{
    // A host that has not told its rate (or told nonsense) gets the default.
    const double rate = getSampleRate();
    return std::isfinite (rate) && rate > 0.0 ? rate : 44100.0;
}

void KickSynthVoice::startNote (int midiNoteNumber, float noteVelocity, juce::SynthesiserSound*, int)
{
    timeMs = 0.0L;
    phase = 0.0;
    if (live)
        store.noteTriggered.store (true, std::memory_order_relaxed);

    noteFrequency = (float) (440.0 * std::pow (2.0, (midiNoteNumber - 69) / 12.0));
    noteNumber = midiNoteNumber;
    velocity = noteVelocity;

    tailOff = false;
    initPending = true;
    fadeGain = 1.0f;

    for (auto& p : players)
        p.clear();
    for (auto& e : equalisers)
        e.clear();
    legacyDistortion.reset();

    currentFrequency = params.plain (Param::bodyStart);
}

void KickSynthVoice::stopNote (float, bool allowTailOff)
{
    if (allowTailOff)
        tailOff = true;
    else
        clearCurrentNote();
}

double KickSynthVoice::getEndFrequency() const noexcept
{
    // Auto-play notes use note 0, so they always take the knob's end frequency.
    if (params.plainIsOn (Param::tweaksMidiKeys) && live && noteNumber != 0)
        return noteFrequency * 0.25;
    return params.plain (Param::bodyEnd);
}

void KickSynthVoice::setUpNote (double sampleRate, double endFrequency)
{
    bodyMode = integerPart (params.plain (Param::bodyMode));
    if (bodyMode == toughMode)
        tough.start (sampleRate, params.plain (Param::bodyStart), endFrequency, params.plain (Param::bodyPitchDecay),
                     params.plain (Param::bodyCurve), params.plain (Param::tweaksToughChirp));
    boostLength = (int) std::trunc (0.005 * sampleRate);
    boostCounter = boostLength;

    const int compatibilityMode = store.getCompatibilityMode();
    driveMode = DriveMode::forNote (params.plain (Param::waveformDrive), params.plain (Param::waveformDriveMode),
                                    compatibilityMode);
    legacy = compatibilityMode == 1;

    pitchRatios = { std::pow (2.0, params.plain (Param::tweaksAttackPitch) / 12.0),
                    std::pow (2.0, params.plain (Param::tweaksAttack2Pitch) / 12.0) };
    highPassLimit = params.plain (Param::tweaksHpf);
    twoPiOverSampleRate = twoPi / sampleRate;
    phaseOffset = params.plain (Param::waveformPhase) * twoPi;
    punch.start (params.plain (Param::tweaksPunch), sampleRate);
    exponentialEnvelope.start();
    linearEnvelope.start();
    sampleCounter = 0;
    initPending = false;
}

void KickSynthVoice::prepareCall (CallSettings& call, juce::AudioBuffer<float>& buffer, double sampleRate)
{
    const int channels = buffer.getNumChannels();
    for (int c = 0; c < std::min (channels, call.split ? 4 : 2); ++c)
        call.out[c] = buffer.getWritePointer (c); // also marks the buffer as not clear

    call.startFrequency = params.plain (Param::bodyStart);
    call.sweepMs = params.plain (Param::bodyPitchDecay);
    call.curve = params.plain (Param::bodyCurve);
    call.driveOver6 = params.plain (Param::waveformDrive) / 6.0f;

    players[0].prepare (params.plain (Param::attackHighpass), sampleRate);
    players[1].prepare (params.plain (Param::attack2Highpass), sampleRate);

    const auto eq =
        OutputEqualiser::Coefficients::design (params.plain (Param::tweaksHiShelf), params.plain (Param::tweaksEqGain),
                                               params.plain (Param::tweaksEqFreq), sampleRate);
    for (size_t e = 0; e < (call.split ? 4u : 2u); ++e)
        equalisers[e].setCoefficients (eq);

    if (driveMode == DriveMode::legacyDist)
        legacyDistortion.prepare (sampleRate);

    const double sensitivity = params.plain (Param::tweaksVelSens);
    const double velocityFactor = (velocity - 1.0) * sensitivity * 0.01 + 1.0;
    call.velocityGain = (float) (velocityFactor * velocityFactor * velocityFactor);
}

void KickSynthVoice::refreshEnvelopes (int sampleIndex, float holdMs, float decayMs) noexcept
{
    const auto lengths =
        EnvelopeLengths::fromTimes (params.ramped (Param::bodyAttack, sampleIndex), holdMs, decayMs, samplesPerMs);
    linearEnvelope.refresh (lengths);
    exponentialEnvelope.refresh (lengths);
}

float KickSynthVoice::driveTable (float s, float angle, float driveOver6) const noexcept
{
    if (driveMode == DriveMode::thirdHarmonic)
        return DriveStages::addThirdHarmonic (s, angle, driveOver6);

    const int table = DriveMode::tableFor (driveMode);
    if (table < 0)
        return s;
    const auto& values = table == 0 ? steppedSine : tables[(size_t) table - 1];
    return DriveStages::blend (s, values, angle, driveOver6);
}

float KickSynthVoice::oscillate (const CallSettings& call) noexcept
{
    const float angle = (float) (phase + phaseOffset);
    float s = std::cos (angle);
    if (params.plain (Param::waveformDrive) > 0.0f)
        s = driveTable (s, angle, call.driveOver6);
    return BodyPitch::highPassLimitGain (currentFrequency, highPassLimit) * s;
}

void KickSynthVoice::advancePhase() noexcept
{
    phase += currentFrequency * twoPiOverSampleRate;
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

void KickSynthVoice::renderLayers (int i, float& left, float& right) noexcept
{
    const float t = (float) timeMs;
    constexpr Param::Number enable[] = { Param::attackEnable1, Param::attackEnable2 };
    constexpr Param::Number solo[] = { Param::attackSolo, Param::attack2Solo };
    constexpr Param::Number decay[] = { Param::attackDecay, Param::attack2Decay };
    constexpr Param::Number gain[] = { Param::attackGain, Param::attack2Gain };

    for (size_t layer = 0; layer < 2; ++layer)
    {
        SamplePlayer::Settings settings;
        settings.solo = params.plainIsOn (solo[layer]);
        settings.plays = settings.solo || params.plainIsOn (enable[layer]);
        if (settings.plays)
        {
            settings.decayMs = params.ramped (decay[layer], i);
            settings.gain = params.ramped (gain[layer], i);
        }
        players[layer].render (settings, t, left, right);
    }
}

void KickSynthVoice::renderNextBlock (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    if (! isVoiceActive())
    {
        timeMs = -1.0L;
        return;
    }
    if (timeMs < 0.0L)
        return;

    const juce::ScopedNoDenormals noDenormals;
    const double sampleRate = getEffectiveSampleRate();

    CallSettings call;
    call.split = live && buffer.getNumChannels() >= 4 && params.plainIsOn (Param::bodySplitAttack);
    msPerSample = 1000.0 / sampleRate;
    samplesPerMs = sampleRate * 0.001;
    call.endFrequency = getEndFrequency();

    if (initPending)
        setUpNote (sampleRate, call.endFrequency);

    prepareCall (call, buffer, sampleRate);

    for (int i = startSample; i < startSample + numSamples; ++i)
    {
        // Envelope lengths and the kick's length.
        const float holdMs = params.ramped (Param::bodyHold, i);
        const float decayMs = params.ramped (Param::bodyDecay, i);
        if ((sampleCounter & 15) == 0)
            refreshEnvelopes (i, holdMs, decayMs);
        const auto crossfade = EnvelopeCrossfade::forLength (holdMs, decayMs, legacy);

        // Pitch.
        const double base = bodyMode == toughMode ? tough.next()
                                                  : BodyPitch::orig (timeMs, call.startFrequency, call.endFrequency,
                                                                     call.sweepMs, call.curve);
        currentFrequency =
            base - BodyPitch::deepDrop (params.ramped (Param::bodyDeep, i), timeMs, crossfade.noteLength);

        // Oscillator, silent while a layer is solo or the body is off.
        const bool muted = params.plainIsOn (Param::attackSolo) || ! params.plainIsOn (Param::bodyBody)
                           || params.plainIsOn (Param::attack2Solo);
        float x = muted ? 0.0f : oscillate (call);

        // TOUGH's first 5 ms: up to twice as loud, hard-limited.
        if (bodyMode == toughMode && boostCounter >= 0)
        {
            --boostCounter;
            const float boost = boostLength > 0 ? (float) boostCounter / (float) boostLength + 1.0f : 1.0f;
            x = std::clamp (x * boost, -1.0f, 1.0f);
        }

        x *= 0.707f;
        advancePhase();

        // Shaper dip.
        const float cut = params.ramped (Param::tweaksCut, i);
        if (cut > 0.0f)
            x = (float) (x
                         * Shaper::gain (cut, params.ramped (Param::tweaksTime, i),
                                         params.ramped (Param::tweaksWidth, i), params.plain (Param::bodyMode) == 1.0f,
                                         timeMs));

        if (driveMode == DriveMode::dist)
            x = DriveStages::saturate (x, params.ramped (Param::waveformDrive, i));
        else if (driveMode == DriveMode::legacyDist)
            x = legacyDistortion.process (x, params.plain (Param::waveformDrive), timeMs);

        // Envelopes and body gain.
        timeMs += msPerSample;
        const double e = exponentialEnvelope.next();
        const double f = linearEnvelope.next();
        const float body = crossfade.mix (e, f) * params.ramped (Param::tweaksBodyGain, i) * x;

        float left = body, right = body;
        float attackLeft = 0.0f, attackRight = 0.0f;
        if (call.split)
            renderLayers (i, attackLeft, attackRight);
        else
            renderLayers (i, left, right);

        if (driveMode == DriveMode::post)
        {
            const float drive = params.ramped (Param::waveformDrive, i);
            left = DriveStages::postSaturate (left, drive);
            right = DriveStages::postSaturate (right, drive);
        }

        players[0].advance (pitchRatios[0]);
        players[1].advance (pitchRatios[1]);

        // The fade that ends every kick.
        if (timeMs > maximumLengthMs)
            tailOff = true;
        if (tailOff)
        {
            left *= fadeGain;
            right *= fadeGain;
            if (fadeGain > 0.001f)
                fadeGain *= fadeFactor;
            else
                clearCurrentNote();
        }

        if (punch.isActive (sampleCounter))
        {
            const double gain = punch.nextGain();
            left = (float) (left * gain);
            right = (float) (right * gain);
            attackLeft = (float) (attackLeft * gain);
            attackRight = (float) (attackRight * gain);
        }

        if (driveMode == DriveMode::clipper)
        {
            const float drive = params.plain (Param::waveformDrive);
            left = DriveStages::clip (left, drive);
            right = DriveStages::clip (right, drive);
        }

        left = equalisers[0].process (left);
        right = equalisers[1].process (right);
        if (call.out[0] != nullptr)
            call.out[0][i] += left * call.velocityGain;
        if (call.out[1] != nullptr)
            call.out[1][i] += right * call.velocityGain;
        if (call.split)
        {
            call.out[2][i] += equalisers[2].process (attackLeft) * call.velocityGain;
            call.out[3][i] += equalisers[3].process (attackRight) * call.velocityGain;
        }

        ++sampleCounter;
    }
}
