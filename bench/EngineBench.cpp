#include "engine/KickSynthSound.h"
#include "engine/KickSynthVoice.h"
#include "engine/LiveSample.h"
#include "engine/SampleLoader.h"
#include "engine/VellmarkSynthesiser.h"
#include "params/GuiDocument.h"
#include "params/ProcessorParameterStore.h"

#include <benchmark/benchmark.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
// A synthesiser as the engine builds one, with the shipped defaults.
struct Engine
{
    ProcessorParameterStore store;
    SampleLoader loader;
    LiveSample layer1, layer2;
    VellmarkSynthesiser synth;
    double rate;

    Engine (bool live, int voices, double sampleRate)
        : layer1 (store, loader, "attack_file", live ? 0 : 1)
        , layer2 (store, loader, "attack2_file", live ? 0 : 1)
        , rate (sampleRate)
    {
        store.buildFromDocument (getXmlConfiguration());
        store.copyValuesToDefaults();
        synth.addSound (new KickSynthSound());
        for (int v = 1; v <= voices; ++v)
            synth.addVoice (new KickSynthVoice (store, layer1, layer2, v, live));
        synth.setMinimumRenderingSubdivisionSize (1, false);
        synth.setCurrentPlaybackSampleRate (rate);
        layer1.setTargetRate (rate);
        layer2.setTargetRate (rate);
    }

    // A click-and-noise attack sample of the given length, embedded like a preset's.
    void loadLayer (LiveSample& sample, const juce::String& key, double seconds)
    {
        const int frames = (int) (seconds * rate);
        juce::AudioBuffer<float> audio (2, frames);
        juce::Random random (7702);
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c)
                audio.setSample (c, i, (random.nextFloat() * 2.0f - 1.0f) * std::exp (-i / (0.01f * (float) rate)));

        juce::MemoryBlock bytes;
        {
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatWriter> writer (
                wav.createWriterFor (new juce::MemoryOutputStream (bytes, false), rate, 2, 32, {}, 0));
            writer->writeFromAudioSampleBuffer (audio, 0, frames);
        }
        juce::XmlElement element (key);
        element.createNewChildElement ("data")->addTextElement (bytes.toBase64Encoding());
        store.setNonParameterData (element);
        sample.runLoadingJobNow();
        sample.poll();
    }

    void renderLiveBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, int n)
    {
        store.prepareBlock (n);
        layer1.poll();
        layer2.poll();
        synth.renderNextBlock (buffer, midi, 0, n);
    }
};

// Time per output sample (shown as e.g. "20n", seconds) and the real-time factor: seconds
// of audio per second of CPU (shown with a "/s" suffix).
void reportRate (benchmark::State& state, double sampleRate, std::int64_t samplesRendered)
{
    const auto samples = (double) samplesRendered;
    state.counters["time_per_sample"] =
        benchmark::Counter (samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter (samples / sampleRate, benchmark::Counter::kIsRate);
}

// On a shared machine the fastest of several repetitions is the best estimate: read its
// time per sample (in the "min" row the real-time factor is the slowest repetition's).
double fastest (const std::vector<double>& values) { return *std::min_element (values.begin(), values.end()); }

// Live blocks of 256 at 48 kHz with a new kick every `kickEvery` samples, so that one
// kick always fades while the next plays. Returns the number of samples rendered.
void renderLive (benchmark::State& state, Engine& engine, int kickEvery)
{
    constexpr int block = 256;
    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer noMidi, noteOn;
    noteOn.addEvent (juce::MidiMessage::noteOn (1, 60, 0.9f), 17);
    engine.store.snapRampsToValues();

    std::int64_t samples = 0;
    int sinceKick = kickEvery;
    for (auto _ : state)
    {
        buffer.clear();
        const bool kick = sinceKick >= kickEvery;
        sinceKick = kick ? 0 : sinceKick + block;
        engine.renderLiveBlock (buffer, kick ? noteOn : noMidi, block);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        samples += block;
    }
    reportRate (state, engine.rate, samples);
}
} // namespace

// (b) The waveform display's render: one offline voice, 14000 samples at 14700 Hz.
static void BM_DisplayRender (benchmark::State& state)
{
    Engine engine (false, 1, 14700.0);
    engine.loadLayer (engine.layer1, "attack_file", 0.5);
    juce::AudioBuffer<float> buffer (2, 14000);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 0, 1.0f), 0);

    std::int64_t samples = 0;
    for (auto _ : state)
    {
        buffer.clear();
        engine.layer1.poll();
        engine.layer2.poll();
        engine.synth.renderNextBlock (buffer, midi, 0, buffer.getNumSamples());
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        samples += buffer.getNumSamples();
    }
    reportRate (state, engine.rate, samples);
}
BENCHMARK (BM_DisplayRender)->Unit (benchmark::kMicrosecond)->ComputeStatistics ("min", fastest);

// (c) A live voice playing the body alone (no layers, no drive), one kick at a time.
static void BM_LiveBodyOnly (benchmark::State& state)
{
    Engine engine (true, 1, 48000.0);
    engine.store.setValue (Param::attackEnable1, 0.0f);
    engine.store.setValue (Param::attackEnable2, 0.0f);
    engine.store.setValue (Param::bodyHold, 1500.0f);
    engine.store.setValue (Param::bodyDecay, 5000.0f);
    renderLive (state, engine, 48000 * 6);
}
BENCHMARK (BM_LiveBodyOnly)->Unit (benchmark::kMicrosecond)->ComputeStatistics ("min", fastest);

// Two overlapping kicks on the live synthesiser, both layers on with a 0.5 s sample, DIST
// at drive 2, 48 kHz, blocks of 256: the synthesiser's share of the processor's block.
static void BM_LiveTwoKicksBothLayers (benchmark::State& state)
{
    Engine engine (true, 2, 48000.0);
    engine.loadLayer (engine.layer1, "attack_file", 0.5);
    engine.loadLayer (engine.layer2, "attack2_file", 0.5);
    engine.store.setValue (Param::attackEnable1, 1.0f);
    engine.store.setValue (Param::attackEnable2, 1.0f);
    engine.store.setValue (Param::attackDecay, 800.0f);
    engine.store.setValue (Param::attack2Decay, 800.0f);
    engine.store.setValue (Param::waveformDriveMode, 0.0f);
    engine.store.setValue (Param::waveformDrive, 2.0f);
    engine.store.setValue (Param::bodyHold, 1500.0f);
    engine.store.setValue (Param::bodyDecay, 5000.0f);
    // A new kick every 4000 samples: the previous one fades for about 4930 samples, so two
    // voices sound almost all the time.
    renderLive (state, engine, 4000);
}
BENCHMARK (BM_LiveTwoKicksBothLayers)->Unit (benchmark::kMicrosecond)->ComputeStatistics ("min", fastest);

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
