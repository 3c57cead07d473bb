#pragma once

#include "engine/VoiceParameters.h"
#include "engine/dsp/AmplitudeEnvelopes.h"
#include "engine/dsp/BodyPitch.h"
#include "engine/dsp/DriveStages.h"
#include "engine/dsp/OutputEqualiser.h"
#include "engine/dsp/Punch.h"
#include "engine/dsp/SamplePlayer.h"
#include "engine/dsp/Shaper.h"
#include "engine/dsp/WaveformTables.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cstdint>

class LiveSample;
class ProcessorParameterStore;

// One kick: the synthesised body (pitch sweep, oscillator, drive, envelopes), two attack
// sample layers and the output equaliser, rendered sample by sample. A live voice plays
// the host's notes and reads the parameters through the per-block ramps; an offline voice
// renders the waveform display or the export from the plain values.
class KickSynthVoice final : public juce::SynthesiserVoice
{
public:
    KickSynthVoice (ProcessorParameterStore& store, LiveSample& layer1, LiveSample& layer2, int voiceNumber,
                    bool isLive);

    bool canPlaySound (juce::SynthesiserSound*) override { return true; }
    void startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound*, int pitchWheelPosition) override;
    void stopNote (float velocity, bool allowTailOff) override;
    void pitchWheelMoved (int) override {}
    void controllerMoved (int, int) override {}

    // Adds the voice's output to the buffer: channels 0 and 1, and with split output on a
    // live voice with at least four channels, the attack layers to channels 2 and 3.
    void renderNextBlock (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples) override;
    using juce::SynthesiserVoice::renderNextBlock;

    [[nodiscard]] int getVoiceNumber() const noexcept { return voiceNumber; }
    [[nodiscard]] bool isLiveVoice() const noexcept { return live; }

    // A kick never lasts longer than this plus its fade.
    static constexpr long double maximumLengthMs = 9000.0L;
    // Per-sample factor of the fade that ends every kick; it ends below 0.001.
    static constexpr float fadeFactor = 0.9986f;

private:
    // What a render call reads once, before its samples.
    struct CallSettings
    {
        bool split = false;
        float* out[4] = {};
        double endFrequency = 0.0;
        double startFrequency = 0.0;
        double sweepMs = 0.0;
        float curve = 0.0f;
        float driveOver6 = 0.0f;
        float velocityGain = 1.0f;
    };

    void setUpNote (double sampleRate, double endFrequency);
    void prepareCall (CallSettings& call, juce::AudioBuffer<float>& buffer, double sampleRate);
    [[nodiscard]] double getEndFrequency() const noexcept;
    [[nodiscard]] double getEffectiveSampleRate() const noexcept;

    void refreshEnvelopes (int sampleIndex, float holdMs, float decayMs) noexcept;
    [[nodiscard]] float oscillate (const CallSettings& call) noexcept;
    [[nodiscard]] float driveTable (float s, float angle, float driveOver6) const noexcept;
    void advancePhase() noexcept;
    void renderLayers (int sampleIndex, float& left, float& right) noexcept;

    ProcessorParameterStore& store;
    VoiceParameters params;
    const int voiceNumber;
    const bool live;

    // Note data.
    int noteNumber = 0;
    float noteFrequency = 0.0f;
    float velocity = 0.0f;

    // Time since note start; -1 while idle.
    long double timeMs = -1.0L;
    std::int64_t sampleCounter = 0;
    double msPerSample = 1000.0 / 44100.0;
    double samplesPerMs = 44.1;

    // Oscillator.
    double phase = 0.0;
    double phaseOffset = 0.0;
    double currentFrequency = 0.0;
    double twoPiOverSampleRate = 0.0;

    // Per-note snapshot.
    int bodyMode = 0;
    int driveMode = DriveMode::none;
    bool legacy = false;
    std::array<double, 2> pitchRatios{ 1.0, 1.0 };
    double highPassLimit = 0.0;
    BodyPitch::Tough tough;
    int boostCounter = -1;
    int boostLength = 0;
    Punch punch;

    bool initPending = false;
    bool tailOff = false;
    float fadeGain = 1.0f;

    WaveformTableSet tables;
    WaveformTable steppedSine;

    ExponentialEnvelope exponentialEnvelope;
    LinearEnvelope linearEnvelope;
    LegacyDistortion legacyDistortion;
    std::array<OutputEqualiser, 4> equalisers; // left, right, attack left, attack right
    std::array<SamplePlayer, 2> players;
};
