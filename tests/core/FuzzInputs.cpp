#include "core/FuzzInputs.h"

#include "engine/AudioSampleFile.h"
#include "engine/KickSynthSound.h"
#include "engine/KickSynthVoice.h"
#include "presets/AttackPresetConverter.h"
#include "support/Folders.h"

#include <cmath>
#include <limits>

namespace fuzzinputs
{
namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

// Text reaches the plug-in from files and host states decoded as JUCE decodes them: UTF-8
// where it is valid, Windows-1252 otherwise. A juce::String must never hold bytes that are not
// UTF-8, so the fuzzers' bytes take the same route.
juce::String textOf (const std::uint8_t* data, std::size_t size)
{
    return juce::String::createStringFromData (data, (int) std::min (size, (std::size_t) (1 << 24)));
}

bool allFinite (const juce::AudioBuffer<float>& audio)
{
    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (! std::isfinite (audio.getSample (channel, i)))
                return false;
    return true;
}

// Visits everything both passes offer, as the editor's store does.
struct VisitingHandler final : XmlDecoderHandler
{
    int visits = 0;
    void handleElement (const juce::XmlElement&, const juce::String&, int, int) override { ++visits; }
    void endContainer (const juce::XmlElement&, int) override { ++visits; }
    void handleKeyMap (const juce::XmlElement&) override { ++visits; }
    void handleAutomation (const juce::XmlElement& element) override
    {
        for (const auto* list : element.getChildIterator())
            visits += parseAutomationList (*list, list->hasTagName ("order")).size();
    }
    void handleTour (const juce::XmlElement&) override { ++visits; }
};
} // namespace

Rig::Rig()
    : processor (std::make_unique<VellmarkKick7702AudioProcessor>())
{
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);
    processor->getStateInformation (baseline);
}

VellmarkKick7702AudioProcessor& Rig::fresh()
{
    processor->getEngine().getSynthesiser (KickEngine::live).allNotesOff (0, false);
    processor->setStateInformation (baseline.getData(), (int) baseline.getSize());
    processor->getEngine().loadSamplesNow (KickEngine::live);
    processor->prepareToPlay (sampleRate, blockSize);
    return *processor;
}

void Rig::requireFiniteBlock (const Report& report)
{
    processor->getEngine().loadSamplesNow (KickEngine::live);
    juce::AudioBuffer<float> block (4, blockSize);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
    processor->processBlock (block, midi);
    if (! allFinite (block))
        report ("a processed block holds a sample that is not a finite number");
}

void stateBlob (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report)
{
    auto& processor = rig.fresh();
    processor.setStateInformation (data, (int) std::min (size, (std::size_t) std::numeric_limits<int>::max()));

    const auto& store = processor.getParameterStore();
    for (int slot = 0; slot < store.getNumParameters(); ++slot)
    {
        const auto normalised = store.getParameter (slot);
        if (! (normalised >= 0.0f && normalised <= 1.0f))
            report ("a host parameter left [0, 1]");
    }
    rig.requireFiniteBlock (report);
}

void presetFile (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report)
{
    auto& processor = rig.fresh();
    const auto file = getUserDataFolder().getChildFile ("fuzz/Input.preset");
    file.getParentDirectory().createDirectory();
    if (! file.replaceWithData (data, size))
    {
        report ("the input file could not be written");
        return;
    }

    (void) processor.getPresetStore ("main", false).load (file.getFullPathName());
    rig.requireFiniteBlock (report);

    AttackPresetConverter secondLayer (true);
    (void) processor.getPresetStore ("attack", false).load (file.getFullPathName(), &secondLayer);
    rig.requireFiniteBlock (report);
}

void embeddedSample (Rig& rig, const std::uint8_t* data, std::size_t size, const Report& report)
{
    const auto text = textOf (data, size);

    AudioSampleFile sample;
    if (sample.loadEmbedded (text, "fuzz"))
    {
        const auto& audio = sample.getAudio();
        if (audio.getNumChannels() != 2 || audio.getNumSamples() <= 0 || ! (sample.getSampleRate() > 0.0))
            report ("a loaded sample is not two channels of audio at a positive rate");
        if (! allFinite (audio))
            report ("a loaded sample holds a value that is not a finite number");
    }

    auto& store = rig.fresh().getParameterStore();
    store.setValue (Param::attackEnable1, 1.0f);
    store.setValue (Param::attackEnable2, 1.0f);
    for (const auto* key : { "attack_file", "attack2_file" })
    {
        juce::XmlElement entry (key);
        entry.createNewChildElement ("data")->addTextElement (text);
        store.setNonParameterData (entry);
    }
    rig.requireFiniteBlock (report);
}

void documentWalk (const std::uint8_t* data, std::size_t size, const Report& report)
{
    const auto text = textOf (data, size);

    VisitingHandler handler;
    XmlDecoder decoder (handler);
    for (int pass = 0; pass < 2; ++pass)
        (void) decoder.walk (text, pass);

    ProcessorParameterStore store;
    if (store.buildFromDocument (text))
    {
        if (store.getNumParameters() > store.getNumBuiltParameters() || store.getNumBuiltParameters() > Param::count)
            report ("a built store counts more host parameters than parameters");
        for (int slot = 0; slot < store.getNumParameters(); ++slot)
            if (store.getParameterNumberOfSlot (slot) < 0)
                report ("a host slot has no parameter");
    }
    store.copyValuesToDefaults();

    // One kick from that store, rendered offline as the waveform display does.
    SampleLoader loader;
    LiveSample layer1 (store, loader, "attack_file", KickEngine::displayRender);
    LiveSample layer2 (store, loader, "attack2_file", KickEngine::displayRender);
    VellmarkSynthesiser synth;
    synth.setMinimumRenderingSubdivisionSize (1, false);
    synth.addVoice (new KickSynthVoice (store, layer1, layer2, 1, false));
    synth.addSound (new KickSynthSound());
    synth.setCurrentPlaybackSampleRate (sampleRate);

    juce::AudioBuffer<float> block (2, blockSize);
    block.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
    synth.renderNextBlock (block, midi, 0, block.getNumSamples());
    if (! allFinite (block))
        report ("a kick from a fuzzed document is not finite");
}
} // namespace fuzzinputs
