#include "core/KickEngine.h"
#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

// A 0.5 s stereo attack sample (a decaying noise burst), embedded as a preset carries it.
void embedAttackSample (ProcessorParameterStore& store, const juce::String& key, juce::int64 seed)
{
    const int frames = (int) (0.5 * sampleRate);
    juce::AudioBuffer<float> audio (2, frames);
    juce::Random random (seed);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < 2; ++c)
            audio.setSample (c, i, (random.nextFloat() * 2.0f - 1.0f) * std::exp (-(float) i / 4000.0f));

    juce::MemoryBlock bytes;
    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (new juce::MemoryOutputStream (bytes, false), sampleRate, 2, 16, {}, 0));
        writer->writeFromAudioSampleBuffer (audio, 0, frames);
    }
    juce::XmlElement element (key);
    element.createNewChildElement ("data")->addTextElement (bytes.toBase64Encoding());
    store.setNonParameterData (element);
}

double fastest (const std::vector<double>& values) { return *std::min_element (values.begin(), values.end()); }
} // namespace

// (a) The processor's whole live block as a host calls it: two overlapping kicks, both attack
// layers on with a 0.5 s sample, DIST at drive 2, 48 kHz, blocks of 256, four output channels.
static void BM_ProcessorLiveBlockTwoKicks (benchmark::State& state)
{
    VellmarkKick7702AudioProcessor processor;
    auto& store = processor.getParameterStore();
    embedAttackSample (store, "attack_file", 1);
    embedAttackSample (store, "attack2_file", 2);
    store.setValue (Param::attackEnable1, 1.0f);
    store.setValue (Param::attackEnable2, 1.0f);
    store.setValue (Param::attackDecay, 800.0f);
    store.setValue (Param::attack2Decay, 800.0f);
    store.setValue (Param::waveformDriveMode, 0.0f);
    store.setValue (Param::waveformDrive, 2.0f);
    store.setValue (Param::bodyHold, 400.0f);
    store.setValue (Param::bodyDecay, 600.0f);

    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);
    processor.getEngine().loadSamplesNow (KickEngine::live);

    juce::AudioBuffer<float> buffer (4, blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize (256);

    // A new kick every 4000 samples; the previous one fades for about 4930 samples, so two
    // voices sound almost all the time.
    constexpr int kickEvery = 4000;
    int sinceKick = kickEvery;
    std::int64_t samples = 0;
    for (auto _ : state)
    {
        midi.clear();
        if (sinceKick >= kickEvery)
        {
            midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
            sinceKick = 0;
        }
        sinceKick += blockSize;
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        samples += blockSize;
    }

    state.counters["time_per_sample"] =
        benchmark::Counter ((double) samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter ((double) samples / sampleRate, benchmark::Counter::kIsRate);
}
BENCHMARK (BM_ProcessorLiveBlockTwoKicks)->Unit (benchmark::kMicrosecond)->ComputeStatistics ("min", fastest);
