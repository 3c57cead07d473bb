#include "core/KickEngine.h"

#include "core/OutputMeter.h"
#include "engine/KickSynthSound.h"
#include "engine/KickSynthVoice.h"
#include "params/ProcessorParameterStore.h"

#include <cmath>
#include <limits>
#include <span>

namespace
{
const char* sampleKeyOfLayer (int layer) { return layer == 0 ? "attack_file" : "attack2_file"; }

// Stored values are used as stored, however far out of range: a huge level times a loud
// kick would overflow to infinity, which no host should be handed. Saturating keeps every
// sample finite (and anything that is not a number silent) and leaves all representable
// results alone.
float scaledSaturating (float sample, float gain) noexcept
{
    constexpr auto largest = std::numeric_limits<float>::max();
    const auto scaled = sample * gain;
    return std::isnan (scaled) ? 0.0f : juce::jlimit (-largest, largest, scaled);
}
} // namespace

KickEngine::KickEngine (ProcessorParameterStore& parameterStore)
    : store (parameterStore)
{
    for (int kind = 0; kind < numRenderKinds; ++kind)
        for (int layer = 0; layer < 2; ++layer)
            liveSamples[(size_t) (kind * 2 + layer)] =
                std::make_unique<LiveSample> (store, loader, sampleKeyOfLayer (layer), kind);

    loader.startLoading();

    for (int kind = 0; kind < numRenderKinds; ++kind)
    {
        auto synth = std::make_unique<VellmarkSynthesiser>();
        synth->setMinimumRenderingSubdivisionSize (1, false);

        const bool isLive = kind == live;
        const int numVoices = isLive ? 2 : 1;
        for (int voice = 1; voice <= numVoices; ++voice)
            synth->addVoice (
                new KickSynthVoice (store, getLiveSample (kind, 0), getLiveSample (kind, 1), voice, isLive));
        synth->addSound (new KickSynthSound());

        synthesisers[(size_t) kind] = std::move (synth);
    }

    // Room for a dense host block plus the auto-play notes, so the audio thread never
    // has to grow it.
    liveMidi.ensureSize (16384);
    offlineMidi.ensureSize (64);
}

KickEngine::~KickEngine() { loader.stopThread (1500); }

void KickEngine::prepare (double sampleRate)
{
    engineSampleRate.store ((float) sampleRate, std::memory_order_relaxed);
    for (int layer = 0; layer < 2; ++layer)
        getLiveSample (live, layer).setTargetRate (sampleRate);
}

AutoPlaySequencer::HostPosition KickEngine::readHostPosition (juce::AudioPlayHead& playHead)
{
    AutoPlaySequencer::HostPosition position;
    if (const auto info = playHead.getPosition())
    {
        position.ppq = info->getPpqPosition().orFallback (0.0);
        position.barStart = info->getPpqPositionOfLastBarStart().orFallback (0.0);
        position.bpm = info->getBpm().orFallback (120.0);
        position.isPlaying = info->getIsPlaying();
    }
    return position;
}

void KickEngine::processLiveBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi,
                                   juce::AudioPlayHead* playHead, double sampleRate, int totalOutputChannels)
{
    const auto numSamples = buffer.getNumSamples();
    store.prepareBlock (numSamples);

    for (int layer = 0; layer < 2; ++layer)
        getLiveSample (live, layer).poll();

    liveMidi.clear();
    liveMidi.addEvents (midi, 0, numSamples, 0);

    if (playHead != nullptr)
    {
        sequencer.process (readHostPosition (*playHead), numSamples, sampleRate);
        if (store.getValue (Param::masterAutoPlay) > 0.5f)
            sequencer.addEventsTo (liveMidi, numSamples);
    }

    auto& synth = getSynthesiser (live);
    synth.setOneShot (store.getValue (Param::masterOneShot) > 0.5f);

    if (! buffer.hasBeenCleared())
        buffer.clear();

    synth.setCurrentPlaybackSampleRate (sampleRate);
    synth.renderNextBlock (buffer, liveMidi, 0, numSamples);
    midi.clear(); // no MIDI leaves the plug-in

    applyMasterLevel (buffer, std::min (buffer.getNumChannels(), totalOutputChannels), numSamples);
    OutputMeter::update (store, buffer, numSamples, sampleRate);
}

void KickEngine::applyMasterLevel (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    if (numSamples <= 0 || numChannels <= 0)
        return;

    // The ramp's values are rounded steps along a line, so equal first and last values
    // (down to the sign of zero) mean the same value throughout: a knob at rest costs one
    // vector multiply per channel.
    const auto first = store.getRampedValue (Param::masterLevel, 0);
    const auto last = store.getRampedValue (Param::masterLevel, numSamples - 1);
    if (first == last && std::signbit (first) == std::signbit (last))
    {
        constexpr auto largest = std::numeric_limits<float>::max();
        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto* samples = buffer.getWritePointer (channel);
            juce::FloatVectorOperations::multiply (samples, first, numSamples);
            // Finite levels times finite samples overflow at worst; saturate as below.
            juce::FloatVectorOperations::clip (samples, samples, -largest, largest, numSamples);
        }
        return;
    }

    // The ramp is read once per sample and shared by every channel.
    for (int i = 0; i < numSamples; ++i)
    {
        const auto gain = store.getRampedValue (Param::masterLevel, i);
        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto& sample = buffer.getWritePointer (channel)[i];
            sample = scaledSaturating (sample, gain);
        }
    }
}

void KickEngine::renderOffline (int kind, juce::AudioBuffer<float>& buffer, double sampleRate)
{
    jassert (kind == displayRender || kind == exportRender);

    for (int layer = 0; layer < 2; ++layer)
        getLiveSample (kind, layer).poll();

    offlineMidi.clear();
    offlineMidi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);

    buffer.clear();

    auto& synth = getSynthesiser (kind);
    synth.setCurrentPlaybackSampleRate (sampleRate);
    synth.renderNextBlock (buffer, offlineMidi, 0, buffer.getNumSamples());

    const auto level = store.getValue (Param::masterLevel);
    if (level == 0.0f)
        buffer.clear();
    else if (level != 1.0f)
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            for (auto& sample : std::span (buffer.getWritePointer (channel), (size_t) buffer.getNumSamples()))
                sample = scaledSaturating (sample, level);
}

juce::int64 KickEngine::getKickLengthSamples() const noexcept
{
    const auto rate = getSampleRate();
    const auto bodyLength =
        rate
        * (store.getValue (Param::bodyAttack) + store.getValue (Param::bodyHold) + store.getValue (Param::bodyDecay))
        * 0.001f;
    const auto layerDecayLength = rate * store.getValue (Param::attackDecay) * 0.001f;

    auto& self = const_cast<KickEngine&> (*this);
    const auto shorterLayer =
        (float) std::min (self.getLiveSample (live, 0).getLength(), self.getLiveSample (live, 1).getLength());

    const auto length = std::max (bodyLength, std::min (layerDecayLength, shorterLayer));
    // Stored values may be anything; a length is never negative or beyond 9 s plus fade.
    return (juce::int64) juce::jlimit (0.0f, rate * 10.0f, std::isfinite (length) ? length : 0.0f);
}

void KickEngine::setRenderSampleRate (int kind, double rate) noexcept
{
    if (kind != displayRender && kind != exportRender)
        return;
    for (int layer = 0; layer < 2; ++layer)
        getLiveSample (kind, layer).setTargetRate (rate);
}

void KickEngine::loadSamplesNow (int kind)
{
    for (int layer = 0; layer < 2; ++layer)
    {
        auto& sample = getLiveSample (kind, layer);
        sample.runLoadingJobNow();
        sample.poll();
    }
}
