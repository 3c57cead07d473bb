#include "engine/KickSynthVoice.h"

#include "engine/LiveSample.h"
#include "engine/dsp/BiquadDesign.h"
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
    , layers{ &layer1, &layer2 }
    , voiceNumber (number)
    , live (isLive)
    , tables (getWaveformTables())
    , steppedSine (makeSteppedSineTable())
{
    state.shelves.clear();
    state.mids.clear();
    state.legacyDistortion.reset();
    state.fadeGain = 1.0f;
    state.timeMs = 0.0;
    initPending = false;
}

double KickSynthVoice::getEffectiveSampleRate() const noexcept
{
    // A host that has not told its rate (or told nonsense) gets the default.
    const double rate = getSampleRate();
    return std::isfinite (rate) && rate > 0.0 ? rate : 44100.0;
}

void KickSynthVoice::startNote (int midiNoteNumber, float noteVelocity, juce::SynthesiserSound*, int)
{
    state.timeMs = 0.0;
    state.phase = 0.0;
    if (live)
        store.noteTriggered.store (true, std::memory_order_relaxed);

    noteFrequency = (float) (440.0 * std::pow (2.0, (midiNoteNumber - 69) / 12.0));
    noteNumber = midiNoteNumber;
    velocity = noteVelocity;

    state.tailOff = false;
    initPending = true;
    state.fadeGain = 1.0f;

    for (auto& p : state.players)
        p.clear();
    state.shelves.clear();
    state.mids.clear();
    state.legacyDistortion.reset();

    state.currentFrequency = params.plain (Param::bodyStart);
}

void KickSynthVoice::stopNote (float, bool allowTailOff)
{
    if (allowTailOff)
        state.tailOff = true;
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
    note.bodyMode = integerPart (params.plain (Param::bodyMode));
    if (note.bodyMode == toughMode)
        state.tough.start (sampleRate, params.plain (Param::bodyStart), endFrequency,
                           params.plain (Param::bodyPitchDecay), params.plain (Param::bodyCurve),
                           params.plain (Param::tweaksToughChirp));
    note.boostLength = (int) std::trunc (0.005 * sampleRate);
    state.boostCounter = note.boostLength;

    const int compatibilityMode = store.getCompatibilityMode();
    note.driveMode = DriveMode::forNote (params.plain (Param::waveformDrive), params.plain (Param::waveformDriveMode),
                                         compatibilityMode);
    note.legacy = compatibilityMode == 1;

    note.pitchRatios = { std::pow (2.0, params.plain (Param::tweaksAttackPitch) / 12.0),
                         std::pow (2.0, params.plain (Param::tweaksAttack2Pitch) / 12.0) };
    note.highPassLimit = params.plain (Param::tweaksHpf);
    note.twoPiOverSampleRate = twoPi / sampleRate;
    note.phaseOffset = params.plain (Param::waveformPhase) * twoPi;
    state.punch.start (params.plain (Param::tweaksPunch), sampleRate);
    state.exponentialEnvelope.start();
    state.linearEnvelope.start();
    state.sampleCounter = 0;
    initPending = false;
}

void KickSynthVoice::prepareCall (CallSettings& call, juce::AudioBuffer<float>& buffer, int first, int last,
                                  double sampleRate)
{
    call.msPerSample = 1000.0 / sampleRate;
    call.samplesPerMs = sampleRate * 0.001;

    call.attack.prepare (params, Param::bodyAttack, first, last);
    call.hold.prepare (params, Param::bodyHold, first, last);
    call.decay.prepare (params, Param::bodyDecay, first, last);
    call.deep.prepare (params, Param::bodyDeep, first, last);
    call.cut.prepare (params, Param::tweaksCut, first, last);
    call.position.prepare (params, Param::tweaksTime, first, last);
    call.width.prepare (params, Param::tweaksWidth, first, last);
    call.bodyGain.prepare (params, Param::tweaksBodyGain, first, last);
    call.drive.prepare (params, Param::waveformDrive, first, last);
    call.layerDecay[0].prepare (params, Param::attackDecay, first, last);
    call.layerDecay[1].prepare (params, Param::attack2Decay, first, last);
    call.layerGain[0].prepare (params, Param::attackGain, first, last);
    call.layerGain[1].prepare (params, Param::attack2Gain, first, last);

    const int channels = buffer.getNumChannels();
    for (int c = 0; c < std::min (channels, call.split ? 4 : 2); ++c)
        call.out[c] = buffer.getWritePointer (c); // also marks the buffer as not clear

    call.startFrequency = params.plain (Param::bodyStart);
    call.sweepMs = params.plain (Param::bodyPitchDecay);
    call.curve = params.plain (Param::bodyCurve);
    call.driveOver6 = params.plain (Param::waveformDrive) / 6.0f;
    call.plainDrive = params.plain (Param::waveformDrive);
    call.toughShaper = params.plain (Param::bodyMode) == 1.0f;
    call.layerSolo = { params.plainIsOn (Param::attackSolo), params.plainIsOn (Param::attack2Solo) };
    call.layerPlays = { call.layerSolo[0] || params.plainIsOn (Param::attackEnable1),
                        call.layerSolo[1] || params.plainIsOn (Param::attackEnable2) };
    call.bodyMuted = call.layerSolo[0] || call.layerSolo[1] || ! params.plainIsOn (Param::bodyBody);

    for (size_t layer = 0; layer < 2; ++layer)
    {
        const auto cutoff = params.plain (layer == 0 ? Param::attackHighpass : Param::attack2Highpass);
        state.players[layer].prepare (designs.layers[layer].get (SamplePlayer::filterFor, cutoff, sampleRate),
                                      *layers[layer]);
    }

    const auto& shelf =
        designs.shelf.get (BiquadDesign::hiShelf, (double) params.plain (Param::tweaksHiShelf), sampleRate);
    const auto& mid = designs.mid.get (BiquadDesign::peaking, (double) params.plain (Param::tweaksEqGain),
                                       (double) params.plain (Param::tweaksEqFreq), sampleRate);
    for (int lane = 0; lane < (call.split ? 4 : 2); ++lane)
    {
        state.shelves.setCoefficients (lane, shelf);
        state.mids.setCoefficients (lane, mid);
    }

    if (note.driveMode == DriveMode::legacyDist)
        state.legacyDistortion.prepare (designs.legacy.get (LegacyDistortion::filterFor, sampleRate));

    const double sensitivity = params.plain (Param::tweaksVelSens);
    const double velocityFactor = (velocity - 1.0) * sensitivity * 0.01 + 1.0;
    call.velocityGain = (float) (velocityFactor * velocityFactor * velocityFactor);
}
