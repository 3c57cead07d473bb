#pragma once

#include "core/AutoPlaySequencer.h"
#include "engine/LiveSample.h"
#include "engine/SampleLoader.h"
#include "engine/VellmarkSynthesiser.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>
#include <memory>

class ProcessorParameterStore;

// The sound engine behind the processor: the live synthesiser the host plays, the display
// and export synthesisers for offline renders, their six live samples, the sample loader
// thread and the auto-play sequencer.
class KickEngine final
{
public:
    enum RenderKind
    {
        live = 0,
        displayRender = 1,
        exportRender = 2
    };
    static constexpr int numRenderKinds = 3;

    explicit KickEngine (ProcessorParameterStore& store);
    ~KickEngine(); // stops the sample loader (up to 1500 ms) before anything it works on goes

    KickEngine (const KickEngine&) = delete;
    KickEngine& operator= (const KickEngine&) = delete;

    // prepareToPlay: the engine rate, and the live samples' target rate.
    void prepare (double sampleRate);

    // One host block on the audio thread. `playHead` may be null (no auto play then).
    void processLiveBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, juce::AudioPlayHead* playHead,
                           double sampleRate, int totalOutputChannels);

    // One offline render of a fresh kick into `buffer` (its full length) at `sampleRate`,
    // with the master level applied; kind is displayRender or exportRender.
    void renderOffline (int kind, juce::AudioBuffer<float>& buffer, double sampleRate);

    [[nodiscard]] float getSampleRate() const noexcept { return engineSampleRate.load (std::memory_order_relaxed); }
    [[nodiscard]] juce::int64 getKickLengthSamples() const noexcept;
    void setRenderSampleRate (int kind, double rate) noexcept;

    [[nodiscard]] LiveSample& getLiveSample (int kind, int layer) noexcept
    {
        return *liveSamples[(size_t) (kind * 2 + layer)];
    }
    [[nodiscard]] VellmarkSynthesiser& getSynthesiser (int kind) noexcept { return *synthesisers[(size_t) kind]; }
    [[nodiscard]] AutoPlaySequencer& getSequencer() noexcept { return sequencer; }
    [[nodiscard]] SampleLoader& getSampleLoader() noexcept { return loader; }

    // Loads every live sample of a kind now on the calling thread and publishes the
    // result, for callers that cannot wait for the loader thread (tools, exports).
    void loadSamplesNow (int kind);

private:
    static AutoPlaySequencer::HostPosition readHostPosition (juce::AudioPlayHead& playHead);
    void applyMasterLevel (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept;

    ProcessorParameterStore& store;
    std::atomic<float> engineSampleRate{ 44100.0f };

    SampleLoader loader;
    std::array<std::unique_ptr<LiveSample>, 2 * numRenderKinds> liveSamples;
    std::array<std::unique_ptr<VellmarkSynthesiser>, numRenderKinds> synthesisers;

    AutoPlaySequencer sequencer;
    juce::MidiBuffer liveMidi;
    juce::MidiBuffer offlineMidi;
};
