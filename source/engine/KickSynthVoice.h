#pragma once

#include "engine/VoiceParameters.h"
#include "engine/dsp/AmplitudeEnvelopes.h"
#include "engine/dsp/BiquadBank.h"
#include "engine/dsp/BodyPitch.h"
#include "engine/dsp/DriveStages.h"
#include "engine/dsp/Memo.h"
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

    // Renders two voices' calls over the same samples at once, so that the two kicks'
    // recurrences overlap. The buffer receives exactly what the two calls one after the
    // other would add, first's output before second's at every sample.
    static void renderTogether (KickSynthVoice& first, KickSynthVoice& second, juce::AudioBuffer<float>& outputBuffer,
                                int startSample, int numSamples);

    [[nodiscard]] int getVoiceNumber() const noexcept { return voiceNumber; }
    [[nodiscard]] bool isLiveVoice() const noexcept { return live; }

    // A kick never lasts longer than this plus its fade.
    static constexpr double maximumLengthMs = 9000.0;
    // Per-sample factor of the fade that ends every kick; it ends below 0.001.
    static constexpr float fadeFactor = 0.9986f;

private:
    // Fixed for the whole note at its first render call.
    struct NoteSettings
    {
        int bodyMode = 0;
        int driveMode = DriveMode::none;
        bool legacy = false;
        std::array<double, 2> pitchRatios{ 1.0, 1.0 };
        double highPassLimit = 0.0;
        double phaseOffset = 0.0;
        double twoPiOverSampleRate = 0.0;
        int boostLength = 0;
    };

    // Everything a sounding kick changes from sample to sample, as one value: the render
    // loop works on a local copy, which nothing the loop calls or writes can reach, so the
    // compiler may keep it in registers.
    struct NoteState
    {
        double timeMs = -1.0; // since note start; -1 while idle
        std::int64_t sampleCounter = 0;
        double phase = 0.0;
        double currentFrequency = 0.0;
        int boostCounter = -1;
        bool tailOff = false;
        float fadeGain = 1.0f;
        BodyPitch::Tough tough;
        Punch punch;
        ExponentialEnvelope exponentialEnvelope;
        LinearEnvelope linearEnvelope;
        LegacyDistortion legacyDistortion;
        // The output equaliser: hi-shelves, then mid EQs, for left, right, attack left and
        // attack right (the lanes of the chunk's frames).
        BiquadBank shelves, mids;
        std::array<SamplePlayer, 2> players;
    };

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
        double msPerSample = 0.0;
        double samplesPerMs = 0.0;

        // Switches and plain values read once per call: a value that another thread writes
        // during a call has no defined arrival sample anyway.
        bool bodyMuted = false; // a layer's solo, or the body off
        std::array<bool, 2> layerSolo{}, layerPlays{};
        float plainDrive = 0.0f;  // the oscillator modes act while it is above 0; the clipper
        bool toughShaper = false; // the shaper's dip is half as wide

        CallRamp attack, hold, decay, deep, cut, position, width, bodyGain, drive;
        std::array<CallRamp, 2> layerDecay, layerGain;
    };

    void setUpNote (double sampleRate, double endFrequency);
    void prepareCall (CallSettings& call, juce::AudioBuffer<float>& buffer, int first, int last, double sampleRate);
    [[nodiscard]] double getEndFrequency() const noexcept;
    [[nodiscard]] double getEffectiveSampleRate() const noexcept;

    // One voice's render call: its settings, a working copy of its state and the chunk of
    // samples in flight. The stages of several runs can go through a chunk side by side.
    struct Chunk;
    struct Run;
    struct ControlStage;
    struct PhaseStage;
    struct LayerFilters;
    struct LayerStage;
    struct GatheredLayerStage;
    [[nodiscard]] bool beginCall (Run& run, juce::AudioBuffer<float>& buffer, int startSample, int numSamples);
    void endCall (Run& run) noexcept;
    template <size_t N>
    static void renderChunk (const std::array<Run*, N>& runs, int start, int count) noexcept;
    template <size_t N>
    static void renderChunks (const std::array<Run*, N>& runs, int startSample, int numSamples) noexcept;
    template <size_t N>
    static void runLayers (const std::array<Run*, N>& runs) noexcept;
    template <size_t N>
    static void runOutputStages (const std::array<Run*, N>& runs) noexcept;
    struct EqualiserStage;
    struct PairedEqualiserStage;
    template <typename Stage, size_t N>
    static void runSideBySide (const std::array<Run*, N>& runs, int count) noexcept;
    template <typename StageA, typename StageB>
    static void runPair (Run& first, Run& second, int count) noexcept;

    void startChunk (Run& run, int start, int count) const noexcept;
    void runPitch (Run& run) const noexcept;
    void runOscillator (Run& run) const noexcept;
    void runBodyStages (Run& run) const noexcept;
    void prepareLayers (Run& run) const noexcept;
    void gatherLayerInput (Run& run) const noexcept;
    void runSoloLayers (Run& run) const noexcept;
    void runPostDistortion (Run& run) const noexcept;
    void runFade (Run& run) const noexcept;
    void runPunchAndClipper (Run& run) const noexcept;
    static void addToBuffer (Run& run) noexcept;

    ProcessorParameterStore& store;
    VoiceParameters params;
    std::array<LiveSample*, 2> layers;
    const int voiceNumber;
    const bool live;

    int noteNumber = 0;
    float noteFrequency = 0.0f;
    float velocity = 0.0f;
    bool initPending = false;

    NoteSettings note;
    NoteState state;

    // The filter designs of the last render call.
    struct Designs
    {
        std::array<Memo<BiquadCoefficients, float, double>, 2> layers;
        Memo<BiquadCoefficients, double, double> shelf;
        Memo<BiquadCoefficients, double, double, double> mid;
        Memo<BiquadCoefficients, double> legacy;
    };
    Designs designs;

    WaveformTableSet tables;
    WaveformTable steppedSine;
};
