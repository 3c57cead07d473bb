#pragma once

#include "engine/KickSynthSound.h"
#include "engine/KickSynthVoice.h"
#include "engine/LiveSample.h"
#include "engine/SampleLoader.h"
#include "engine/TestWavFiles.h"
#include "engine/VellmarkSynthesiser.h"
#include "params/GuiDocument.h"
#include "params/ProcessorParameterStore.h"

#include <cmath>
#include <functional>
#include <vector>

// A kick synthesiser as the engine builds one: the shipped parameters at their defaults,
// two live samples (loaded on the test's thread) and one or two voices. Renders in host
// blocks the way the processor does: ramps prepared, samples polled, then the synthesiser.
struct KickRig
{
    struct Event
    {
        int sample;
        juce::MidiMessage message;
    };

    ProcessorParameterStore store;
    SampleLoader loader;
    LiveSample layer1;
    LiveSample layer2;
    VellmarkSynthesiser synth;
    bool live;
    double sampleRate;

    explicit KickRig (bool isLive = false, double rate = 48000.0, int voices = 1)
        : layer1 (store, loader, "attack_file", isLive ? 0 : 1)
        , layer2 (store, loader, "attack2_file", isLive ? 0 : 1)
        , live (isLive)
        , sampleRate (rate)
    {
        store.buildFromDocument (getXmlConfiguration());
        store.copyValuesToDefaults();
        synth.addSound (new KickSynthSound());
        for (int v = 1; v <= voices; ++v)
            synth.addVoice (new KickSynthVoice (store, layer1, layer2, v, isLive));
        synth.setMinimumRenderingSubdivisionSize (1, false);
        setSampleRate (rate);
    }

    void setSampleRate (double rate)
    {
        sampleRate = rate;
        synth.setCurrentPlaybackSampleRate (rate);
        layer1.setTargetRate (rate);
        layer2.setTargetRate (rate);
        store.snapRampsToValues();
    }

    void set (Param::Number n, float value) { store.setValue (n, value); }

    // A plain body for measurements: no drive, shaper, punch, high-pass limit, deep,
    // layers or velocity sensitivity; equaliser flat; a pure tone at `frequency`.
    void setPlainBody (double frequency)
    {
        for (auto [n, v] : { std::pair{ Param::waveformDrive, 0.0f },
                             { Param::tweaksCut, 0.0f },
                             { Param::tweaksPunch, 0.0f },
                             { Param::tweaksHpf, 0.0f },
                             { Param::bodyDeep, 0.0f },
                             { Param::attackEnable1, 0.0f },
                             { Param::attackEnable2, 0.0f },
                             { Param::tweaksVelSens, 0.0f },
                             { Param::tweaksEqGain, 0.0f },
                             { Param::tweaksHiShelf, 0.0f },
                             { Param::bodyAttack, 0.0f },
                             { Param::bodyMode, 0.0f },
                             { Param::waveformPhase, 0.0f },
                             { Param::tweaksBodyGain, 1.0f } })
            set (n, v);
        set (Param::bodyStart, (float) frequency);
        set (Param::bodyEnd, (float) frequency);
        store.snapRampsToValues();
    }

    // Loads audio made by `generator` (32-bit float WAV, so values survive) into a layer at
    // the rig's rate; the voices then play what the live sample published.
    void loadLayer (int layer, int frames, const testwav::Generator& generator)
    {
        const auto bytes = testwav::wavBytes (sampleRate, 2, frames, 32, generator);
        juce::XmlElement element (layer == 1 ? "attack_file" : "attack2_file");
        element.createNewChildElement ("data")->addTextElement (bytes.toBase64Encoding());
        store.setNonParameterData (element);
        auto& sample = layer == 1 ? layer1 : layer2;
        sample.runLoadingJobNow();
        sample.poll();
    }

    [[nodiscard]] const LiveSample& getLayer (int layer) const { return layer == 1 ? layer1 : layer2; }

    static Event noteOn (int sample, int note = 60, float velocity = 1.0f, int channel = 1)
    {
        return { sample, juce::MidiMessage::noteOn (channel, note, velocity) };
    }
    static Event noteOff (int sample, int note = 60, int channel = 1)
    {
        return { sample, juce::MidiMessage::noteOff (channel, note) };
    }

    // Renders numSamples in host blocks of blockSize into a fresh buffer. `betweenBlocks`
    // runs before each block with the block's first sample.
    juce::AudioBuffer<float> render (int numSamples, const std::vector<Event>& events, int blockSize = 256,
                                     int channels = 2, const std::function<void (int)>& betweenBlocks = {})
    {
        juce::AudioBuffer<float> out (channels, numSamples);
        out.clear();
        renderInto (out, events, blockSize, betweenBlocks);
        return out;
    }

    void renderInto (juce::AudioBuffer<float>& out, const std::vector<Event>& events, int blockSize,
                     const std::function<void (int)>& betweenBlocks = {})
    {
        juce::AudioBuffer<float> block (out.getNumChannels(), blockSize);
        for (int start = 0; start < out.getNumSamples(); start += blockSize)
        {
            const int n = std::min (blockSize, out.getNumSamples() - start);
            if (betweenBlocks)
                betweenBlocks (start);
            juce::MidiBuffer midi;
            for (const auto& e : events)
                if (e.sample >= start && e.sample < start + n)
                    midi.addEvent (e.message, e.sample - start);

            for (int c = 0; c < out.getNumChannels(); ++c)
                block.copyFrom (c, 0, out, c, start, n);
            store.prepareBlock (n);
            layer1.poll();
            layer2.poll();
            synth.renderNextBlock (block, midi, 0, n);
            for (int c = 0; c < out.getNumChannels(); ++c)
                out.copyFrom (c, start, block, c, 0, n);
        }
    }

    [[nodiscard]] KickSynthVoice& voice (int index) { return *static_cast<KickSynthVoice*> (synth.getVoice (index)); }
};

// A tone in channel 0 between two samples, from its interpolated upward zero crossings:
// its mean frequency and the sample at the centre of the span measured.
struct ToneMeasure
{
    double frequency = 0.0;
    double centre = 0.0;
};

inline ToneMeasure measureTone (const juce::AudioBuffer<float>& audio, int from, int to, double sampleRate)
{
    const float* x = audio.getReadPointer (0);
    double first = -1.0, last = -1.0;
    int cycles = -1;
    for (int i = from + 1; i < to; ++i)
    {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f)
        {
            const double crossing = i - 1 + (double) x[i - 1] / ((double) x[i - 1] - (double) x[i]);
            if (first < 0.0)
                first = crossing;
            last = crossing;
            ++cycles;
        }
    }
    if (cycles <= 0)
        return {};
    return { cycles * sampleRate / (last - first), (first + last) / 2.0 };
}

inline double toneFrequency (const juce::AudioBuffer<float>& audio, int from, int to, double sampleRate)
{
    return measureTone (audio, from, to, sampleRate).frequency;
}

inline float peakOf (const juce::AudioBuffer<float>& audio, int channel, int from, int to)
{
    float peak = 0.0f;
    for (int i = from; i < to; ++i)
        peak = std::max (peak, std::abs (audio.getSample (channel, i)));
    return peak;
}
