#include "core/processor/VellmarkKick7702AudioProcessor.h"
#include "params/GuiDocument.h"
#include "params/PresetGroupKeys.h"
#include "params/ProcessorParameterStore.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileWriting.h"
#include "presets/PresetTranslatorThudmor.h"
#include "support/Folders.h"
#include "thudmor-render/KickRenderer.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <map>

// The shipped factory content: every main preset and attack bank is a well-formed preset
// that loads through the plug-in's own stores, points at samples that exist, and renders a
// clean kick at the level the library promises.
namespace
{
const juce::File factory (THUDMOR_FACTORY_DIR);
const juce::File mainRoot = factory.getChildFile ("Presets/main");
const juce::File attackRoot = factory.getChildFile ("Presets/attack");
const juce::File samplesRoot = factory.getChildFile ("Samples");
constexpr int renderRate = 48000;

juce::Array<juce::File> presetsBelow (const juce::File& folder)
{
    auto presets = folder.findChildFiles (juce::File::findFiles, true, "*.preset");
    presets.sort();
    return presets;
}

std::string nameOf (const juce::File& preset) { return preset.getRelativePathFrom (factory).toStdString(); }

std::unique_ptr<juce::XmlElement> parse (const juce::File& preset) { return juce::XmlDocument::parse (preset); }

const juce::XmlElement* child (const juce::XmlElement& parent, const char* tag)
{
    for (auto* element : parent.getChildIterator())
        if (element->getTagName().equalsIgnoreCase (tag))
            return element;
    return nullptr;
}

// The parameter store of the shipped document with the ranges of the current
// compatibility mode, which are the ranges the plug-in offers.
const ProcessorParameterStore& parameters()
{
    static const auto store = []
    {
        auto built = std::make_unique<ProcessorParameterStore>();
        built->buildFromDocument (getXmlConfiguration());
        PresetTranslatorThudmor translator;
        translator.applyCompatibilityMode (translator.getLatestCompatibilityMode(), *built);
        return built;
    }();
    return *store;
}

// The group's parameter keys in parameter number order, as a saved preset holds them.
juce::StringArray parameterKeysOfGroup (const juce::String& group)
{
    const auto groupKeys = PresetGroupKeys().getKeysOfGroup (group);
    juce::StringArray keys;
    for (int n = 0; n < parameters().getNumBuiltParameters(); ++n)
        if (groupKeys.contains (parameters().getKey (n)))
            keys.add (parameters().getKey (n));
    return keys;
}

juce::StringArray attributeNames (const juce::XmlElement& element)
{
    juce::StringArray names;
    for (int i = 0; i < element.getNumAttributes(); ++i)
        names.add (element.getAttributeName (i));
    return names;
}

juce::String sampleNameOf (const juce::XmlElement& document, const char* entry)
{
    const auto* data = child (document, "data");
    const auto* sample = data != nullptr ? child (*data, entry) : nullptr;
    const auto* file = sample != nullptr ? child (*sample, "file") : nullptr;
    return file != nullptr ? file->getStringAttribute ("name") : juce::String();
}

juce::File sampleFileOf (const juce::XmlElement& document, const char* entry)
{
    const auto name = sampleNameOf (document, entry);
    return name.startsWith ("$FACTORY_DIR/") ? factory.getChildFile (name.fromFirstOccurrenceOf ("/", false, false))
                                             : juce::File();
}

// The frames a live sample holds once the file is resampled to the render rate.
double resampledFrames (const juce::File& sample)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (sample.createInputStream().release(), true));
    return reader != nullptr ? (double) reader->lengthInSamples * renderRate / reader->sampleRate : -1.0;
}

// What every factory file shares: the plug-in's own text form and the current info.
void expectPluginFileForm (const juce::File& preset, const juce::XmlElement& document)
{
    EXPECT_TRUE (document.getTagName().equalsIgnoreCase ("VELLMARK"));
    PresetFile file;
    ASSERT_TRUE (file.read (preset.getFullPathName())) << file.getError();
    EXPECT_EQ (preset.loadFileAsString(), createPresetDocumentText (file.getXml()))
        << "not as the plug-in writes it; tune-factory-presets rewrites it";

    const auto* info = child (document, "info");
    ASSERT_NE (info, nullptr);
    EXPECT_EQ (info->getStringAttribute ("version"), "1.9.7");
    EXPECT_EQ (info->getStringAttribute ("compatibilitymode"), "2");
    EXPECT_EQ (info->getStringAttribute ("plugin"), "Thud Mor");
}

// Within the offered range, and on an option of the selectors and switches.
void expectValuesTheControlsOffer (const juce::XmlElement& values)
{
    const std::map<juce::String, std::vector<float>> options{
        { "body_mode", { 0, 1 } },
        { "tweaks_hpf", { 0, 25, 30, 40 } },
        { "tweaks_midikeys", { 0, 1 } },
        { "waveform_drivemode", { 0, 4, 6, 7, 10 } },
        { "attack_solo", { 0, 1 } },
        { "attack2_solo", { 0, 1 } },
        { "attackoverlay_enable1", { 0, 1 } },
        { "attackoverlay_enable2", { 0, 1 } },
        { "body_body", { 1 } }, // a factory kick without its body is no kick
    };

    for (int i = 0; i < values.getNumAttributes(); ++i)
    {
        const auto& key = values.getAttributeName (i);
        const auto value = (float) values.getAttributeValue (i).getDoubleValue();
        const auto n = parameters().getParameterNumber (key);
        ASSERT_GE (n, 0) << key;
        EXPECT_GE (value, parameters().getMinimum (n)) << key;
        EXPECT_LE (value, parameters().getMaximum (n)) << key;
        if (const auto found = options.find (key); found != options.end())
        {
            EXPECT_NE (std::find (found->second.begin(), found->second.end(), value), found->second.end())
                << key << " = " << value;
        }
    }
}

float peakDecibels (const juce::AudioBuffer<float>& audio)
{
    return juce::Decibels::gainToDecibels (audio.getMagnitude (0, audio.getNumSamples()), -200.0f);
}

bool isFinite (const juce::AudioBuffer<float>& audio)
{
    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (! std::isfinite (audio.getSample (channel, i)))
                return false;
    return true;
}

// Renders with the processor, as thudmor-render does, and checks that the layer's live
// sample holds the bank's or preset's file, resampled to the render rate.
void expectLayerHolds (KickRenderer& renderer, int layer, const juce::File& sample)
{
    const auto length = renderer.getProcessor().getEngine().getLiveSample (KickEngine::live, layer - 1).getLength();
    EXPECT_NEAR ((double) length, resampledFrames (sample), 1.0)
        << "layer " << layer << " does not hold " << sample.getFullPathName();
}
} // namespace

TEST (FactoryLibrary, MainPresetsHoldEveryKeyOfTheirGroupInThePluginsForm)
{
    const auto allKeys = parameterKeysOfGroup ("all");
    ASSERT_FALSE (allKeys.contains ("master_oneshot"));
    const auto presets = presetsBelow (mainRoot);
    ASSERT_TRUE (mainRoot.getChildFile ("Default.preset").existsAsFile());
    ASSERT_TRUE (mainRoot.getChildFile ("Techno/Rumble.preset").existsAsFile()) << "the README renders it";

    for (const auto& preset : presets)
    {
        SCOPED_TRACE (nameOf (preset));
        const auto document = parse (preset);
        ASSERT_NE (document, nullptr);
        expectPluginFileForm (preset, *document);

        const auto* values = child (*document, "float");
        ASSERT_NE (values, nullptr);
        EXPECT_EQ (attributeNames (*values), allKeys);
        expectValuesTheControlsOffer (*values);

        const auto* data = child (*document, "data");
        ASSERT_NE (data, nullptr);
        const auto* name = child (*data, "preset_name_all");
        ASSERT_NE (name, nullptr);
        EXPECT_EQ (name->getAllSubText(), preset.getFileNameWithoutExtension());

        EXPECT_TRUE (sampleFileOf (*document, "attack_file").existsAsFile()) << sampleNameOf (*document, "attack_file");
        if (child (*data, "attack2_file") != nullptr)
        {
            EXPECT_TRUE (sampleFileOf (*document, "attack2_file").existsAsFile())
                << sampleNameOf (*document, "attack2_file");
        }
    }
}

// An attack bank names the first sample of a sample folder; the sample browser steps on
// from there. Every folder has its bank.
TEST (FactoryLibrary, AttackBanksNameTheFirstSampleOfTheirFolder)
{
    const auto attackKeys = parameterKeysOfGroup ("attack");
    juce::StringArray folders;
    for (const auto& folder : samplesRoot.findChildFiles (juce::File::findDirectories, false))
        folders.add (folder.getFileName());
    folders.sort (false);

    juce::StringArray banks;
    for (const auto& bank : presetsBelow (attackRoot))
    {
        SCOPED_TRACE (nameOf (bank));
        banks.add (bank.getFileNameWithoutExtension());
        const auto document = parse (bank);
        ASSERT_NE (document, nullptr);
        expectPluginFileForm (bank, *document);

        const auto* values = child (*document, "float");
        ASSERT_NE (values, nullptr);
        EXPECT_EQ (attributeNames (*values), attackKeys);
        expectValuesTheControlsOffer (*values);

        const auto folder = samplesRoot.getChildFile (bank.getFileNameWithoutExtension());
        auto samples = folder.findChildFiles (juce::File::findFiles, false, "*.wav");
        samples.sort();
        ASSERT_FALSE (samples.isEmpty());
        EXPECT_EQ (sampleNameOf (*document, "attack_file"),
                   "$FACTORY_DIR/Samples/" + folder.getFileName() + "/" + samples.getFirst().getFileName());

        const auto* data = child (*document, "data");
        ASSERT_NE (data, nullptr);
        const auto* name = child (*data, "preset_name_attack");
        ASSERT_NE (name, nullptr);
        EXPECT_EQ (name->getAllSubText(), bank.getFileNameWithoutExtension());
    }
    EXPECT_EQ (banks, folders);
}

TEST (FactoryLibrary, EveryMainPresetRendersACleanKickPeakingAtMinusSixDecibels)
{
    for (const auto& preset : presetsBelow (mainRoot))
    {
        SCOPED_TRACE (nameOf (preset));
        KickRenderer renderer;
        ASSERT_EQ (renderer.loadMainPreset (preset.getFullPathName()), "");
        KickSettings settings;
        settings.sampleRate = renderRate;
        const auto audio = renderer.render (settings);

        ASSERT_TRUE (isFinite (audio));
        EXPECT_NEAR (peakDecibels (audio), -6.0f, 0.5f) << "re-level with tune-factory-presets";
        // Audible for a while, not just a click: the first 100 ms carry real energy.
        EXPECT_GT (juce::Decibels::gainToDecibels (audio.getRMSLevel (0, 0, renderRate / 10)), -24.0f);

        const auto document = parse (preset);
        ASSERT_NE (document, nullptr);
        expectLayerHolds (renderer, 1, sampleFileOf (*document, "attack_file"));
        if (sampleNameOf (*document, "attack2_file").isNotEmpty())
            expectLayerHolds (renderer, 2, sampleFileOf (*document, "attack2_file"));
    }
}

// A bank loaded into either layer plays its first sample: soloed it is clearly heard, and
// mixed with the kick it stays well below full scale.
TEST (FactoryLibrary, EveryBankPlaysInBothLayersWithoutClipping)
{
    struct Layer
    {
        int number;
        const char* preset; // one that plays this layer
        Param::Number solo;
    };
    for (const auto& bank : presetsBelow (attackRoot))
    {
        const auto document = parse (bank);
        ASSERT_NE (document, nullptr);
        const auto sample = sampleFileOf (*document, "attack_file");

        for (const auto& layer :
             { Layer{ 1, "Default", Param::attackSolo }, Layer{ 2, "House/Classic Four", Param::attack2Solo } })
        {
            SCOPED_TRACE (nameOf (bank) + " in layer " + std::to_string (layer.number));
            KickRenderer renderer;
            ASSERT_EQ (renderer.loadMainPreset (layer.preset), "");
            ASSERT_EQ (renderer.loadAttackBank (layer.number, bank.getFullPathName()), "");
            KickSettings settings;
            settings.sampleRate = renderRate;

            const auto mixed = renderer.render (settings);
            ASSERT_TRUE (isFinite (mixed));
            EXPECT_LT (peakDecibels (mixed), -3.0f);
            EXPECT_GT (peakDecibels (mixed), -9.0f);
            expectLayerHolds (renderer, layer.number, sample);

            renderer.getProcessor().getParameterStore().setValue (layer.solo, 1.0f);
            const auto soloed = renderer.render (settings);
            EXPECT_GT (peakDecibels (soloed), -24.0f);
        }
    }
}

TEST (FactoryLibrary, NoTwoMainPresetsAreTheSame)
{
    std::map<juce::String, juce::File> seen;
    for (const auto& preset : presetsBelow (mainRoot))
    {
        const auto document = parse (preset);
        ASSERT_NE (document, nullptr);
        const auto* values = child (*document, "float");
        ASSERT_NE (values, nullptr);

        // The sound: every value but the level, and the samples.
        juce::String sound;
        for (int i = 0; i < values->getNumAttributes(); ++i)
            if (values->getAttributeName (i) != "master_level")
                sound << values->getAttributeName (i) << "=" << values->getAttributeValue (i) << " ";
        sound << sampleNameOf (*document, "attack_file") << " | " << sampleNameOf (*document, "attack2_file");

        const auto [existing, added] = seen.emplace (sound, preset);
        EXPECT_TRUE (added) << nameOf (preset) << " sounds exactly like " << nameOf (existing->second);
    }
}
