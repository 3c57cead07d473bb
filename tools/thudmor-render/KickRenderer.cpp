#include "thudmor-render/KickRenderer.h"

#include "core/processor/VellmarkKick7702AudioProcessor.h"
#include "presets/AttackPresetConverter.h"

#include <cmath>

namespace
{
constexpr int blockSize = 512;
constexpr double tailSeconds = 0.05;

// Paths end in ".preset" or begin with "/" or "~"; anything else is a name below a root,
// possibly with sub-folders ("Techno/Rumble").
bool isPresetPath (const juce::String& text)
{
    return text.endsWithIgnoreCase (".preset") || text.startsWith ("/") || text.startsWith ("~");
}

juce::File presetFileBelow (const PresetStore& store, const juce::String& name)
{
    return juce::File (store.getRoot()).getChildFile (name + ".preset");
}

// The stores accept any readable XML and load nothing from a foreign document without
// saying so, so a file is checked before it is handed to them.
juce::String checkPresetFile (const juce::File& file)
{
    if (file.isDirectory())
        return "cannot read preset file " + file.getFullPathName() + ": it is a folder";
    if (! file.existsAsFile())
        return "cannot read preset file " + file.getFullPathName() + ": no such file";

    juce::XmlDocument document (file);
    const auto root = document.getDocumentElement();
    if (root == nullptr)
        return "damaged preset file " + file.getFullPathName() + ": "
               + (document.getLastParseError().isNotEmpty() ? document.getLastParseError() : juce::String ("empty"));
    if (! root->getTagName().equalsIgnoreCase ("VELLMARK"))
        return file.getFullPathName() + " is not a Thudmor preset (its root element is <" + root->getTagName() + ">)";
    return {};
}

juce::String loadThrough (PresetStore& store, const juce::File& file, PresetConverter* converter)
{
    if (auto error = checkPresetFile (file); error.isNotEmpty())
        return error;
    store.load (file.getFullPathName(), converter);
    if (auto [failed, text] = store.takeError(); failed)
        return "cannot load " + file.getFullPathName() + ": " + text;
    return {};
}

// A path is loaded as it is; a name from the user's folder when it is there, else from the
// factory's.
juce::String loadPathOrName (VellmarkKick7702AudioProcessor& processor, const juce::String& folder,
                             const juce::String& group, const juce::String& pathOrName, PresetConverter* converter,
                             const char* kindOfPreset)
{
    auto& user = processor.getPresetStore (folder, false);
    auto& factory = processor.getPresetStore (folder, true);
    user.setPresetGroup (group);
    factory.setPresetGroup (group);

    if (isPresetPath (pathOrName))
        return loadThrough (user, juce::File::getCurrentWorkingDirectory().getChildFile (pathOrName), converter);

    for (auto* store : { &user, &factory })
        if (const auto file = presetFileBelow (*store, pathOrName); file.exists())
            return loadThrough (*store, file, converter);

    return juce::String ("unknown ") + kindOfPreset + " " + pathOrName.quoted() + " (looked in " + user.getRoot()
           + " and " + factory.getRoot() + ")";
}
} // namespace

KickRenderer::KickRenderer()
    : processor (std::make_unique<VellmarkKick7702AudioProcessor>())
{
}

KickRenderer::~KickRenderer() = default;

juce::String KickRenderer::loadMainPreset (const juce::String& pathOrName)
{
    auto error = loadPathOrName (*processor, "main", "all", pathOrName, nullptr, "preset");
    if (const auto* loaded = processor->getPresetStoreList().lastLoadedStore; error.isEmpty() && loaded != nullptr)
        presetName = juce::File (loaded->getCurrentFile()).getFileNameWithoutExtension();
    return error;
}

juce::String KickRenderer::loadAttackBank (int layer, const juce::String& pathOrName)
{
    AttackPresetConverter converter (layer == 2);
    return loadPathOrName (*processor, "attack", layer == 2 ? "attack2" : "attack", pathOrName, &converter,
                           "attack bank");
}

juce::AudioBuffer<float> KickRenderer::render (const KickSettings& settings)
{
    const auto rate = (double) settings.sampleRate;
    processor->setPlayHead (nullptr);
    processor->setRateAndBufferSizeDetails (rate, blockSize);
    processor->prepareToPlay (rate, blockSize);
    // The loader thread would take up to 300 ms to notice the samples; a host that starts
    // playing at once would hear the kick without them, so they are loaded here and now.
    processor->getEngine().loadSamplesNow (KickEngine::live);

    const auto length = settings.lengthSeconds.has_value()
                            ? (int) std::lround (*settings.lengthSeconds * rate)
                            : (int) processor->getKickLengthSamples() + (int) std::lround (tailSeconds * rate);

    const auto channels = std::max (processor->getTotalNumInputChannels(), processor->getTotalNumOutputChannels());
    juce::AudioBuffer<float> block (channels, blockSize);
    juce::AudioBuffer<float> result (2, length);
    juce::MidiBuffer midi;

    for (int position = 0; position < length; position += blockSize)
    {
        const auto count = std::min (blockSize, length - position);
        juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), channels, count);
        view.clear();
        if (position == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, settings.note, (juce::uint8) settings.velocity), 0);
        processor->processBlock (view, midi);
        midi.clear();

        for (int channel = 0; channel < 2; ++channel)
            result.copyFrom (channel, position, view, channel, 0, count);
    }
    processor->releaseResources();
    return result;
}
