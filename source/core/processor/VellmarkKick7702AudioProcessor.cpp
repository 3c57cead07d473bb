#include "core/processor/VellmarkKick7702AudioProcessor.h"

#include "core/StateDocument.h"
#include "core/processor/HostParameter.h"
#include "params/GuiDocument.h"
#include "support/PluginLogs.h"

namespace
{
// Logged lines are cut to this many characters (embedded samples are one very long line).
constexpr int longestLoggedLine = 200;
} // namespace

juce::AudioProcessor::BusesProperties VellmarkKick7702AudioProcessor::thudmorBuses()
{
    // The log's "no write access" warning becomes an alert box once a plug-in exists; this
    // runs before the parameter store writes the first log line.
    PluginLogs::setWarningPresenter (
        [] (const juce::String& title, const juce::String& text)
        {
            juce::MessageManager::callAsync (
                [title, text]
                { juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, text); });
        });

    return BusesProperties()
        .withInput ("Input", juce::AudioChannelSet::stereo(), false)
        .withOutput ("Output", juce::AudioChannelSet::stereo(), true)
        .withOutput ("Attack Output", juce::AudioChannelSet::stereo(), true);
}

VellmarkKick7702AudioProcessor::VellmarkKick7702AudioProcessor()
    : juce::AudioProcessor (thudmorBuses())
    , mainFactoryPresets ("main", true, &translator, &presetStoreList)
    , mainUserPresets ("main", false, &translator, &presetStoreList)
    , attackFactoryPresets ("attack", true, &translator, nullptr)
    , attackUserPresets ("attack", false, &translator, nullptr)
    , engine (parameterStore)
{
    presetStoreList.stores = { &mainFactoryPresets, &mainUserPresets, &attackFactoryPresets, &attackUserPresets };
    parameterStore.setPresetStores (&presetStoreList);
    parameterStore.setTranslator (&translator);

    logStartup();
    buildParameters();

    for (auto* store : presetStoreList.stores)
    {
        store->setParameterStore (&parameterStore);
        store->setGroupKeysSource ([this] (const juce::String& group)
                                   { return presetGroupKeys.getKeysOfGroup (group); });
    }

    loadDefaultPresets (presetStoreList, parameterStore);
    parameterStore.copyValuesToDefaults();
    parameterStore.snapRampsToValues();

    auto& pluginProperties = properties.get();
    pluginProperties.registerProperty ("RunWizardOnOpen", "Show wizard when loaded", true);
    pluginProperties.registerProperty ("TooltipsEnabled", "Show tooltips", true);
}

VellmarkKick7702AudioProcessor::~VellmarkKick7702AudioProcessor() = default;

void VellmarkKick7702AudioProcessor::logStartup()
{
    logDebug ("VellmarkKick7702AudioProcessor", "VellmarkKick7702AudioProcessor");
    logDebug ("VellmarkKick7702AudioProcessor", "--------------------------------------------------------------");
    logDebug ("VellmarkKick7702AudioProcessor", juce::String ("STARTUP VERSION: ") + pluginVersionText);
}

void VellmarkKick7702AudioProcessor::buildParameters()
{
    const auto document = getXmlConfiguration();
    logDebug ("VellmarkKick7702AudioProcessor", "Building from XML");
    parameterStore.buildFromDocument (document);

    for (int slot = 0; slot < parameterStore.getNumParameters(); ++slot)
        addParameter (new HostParameter (parameterStore, slot, hostParameterID (slot)));
}

juce::String VellmarkKick7702AudioProcessor::hostParameterID (int slot) const
{
    // LV2 names each parameter by a URI whose last part may not begin with a digit, so bare
    // slot numbers would collapse into a few names there; LV2 hosts also list parameters in
    // URI order. So LV2 gets the key behind a zero-padded slot number. Elsewhere the ID stays
    // the slot number, from which VST3 derives the IDs that projects keep.
    if (wrapperType == wrapperType_LV2)
        return juce::String::formatted ("p%02d_", slot)
               + parameterStore.getKey (parameterStore.getParameterNumberOfSlot (slot));
    return juce::String (slot);
}

PresetStore& VellmarkKick7702AudioProcessor::getPresetStore (const juce::String& folder, bool isFactory)
{
    return *::getPresetStore (presetStoreList, folder, isFactory);
}

//=== host-facing ==============================================================
bool VellmarkKick7702AudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    // JUCE's LV2 wrapper copies every enabled input port without checking that the host
    // connected it, and an inactive bus's ports are optional there: an LV2 host that leaves
    // them unconnected would crash the plug-in. As an LV2 plug-in it therefore has no input.
    if (wrapperType == wrapperType_LV2 && layouts.getMainInputChannelSet() != juce::AudioChannelSet::disabled())
        return false;

    return layouts.outputBuses.size() >= 2 && layouts.getChannelSet (false, 0) == juce::AudioChannelSet::stereo()
           && layouts.getChannelSet (false, 1) == juce::AudioChannelSet::stereo();
}

const juce::String VellmarkKick7702AudioProcessor::getInputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

const juce::String VellmarkKick7702AudioProcessor::getOutputChannelName (int channelIndex) const
{
    return channelIndex == 2 || channelIndex == 3 ? "Thudmor Attack" : "Thudmor Main";
}

void VellmarkKick7702AudioProcessor::prepareToPlay (double sampleRate, int)
{
    engine.prepare (sampleRate);
    parameterStore.snapRampsToValues(); // no glide after a restart
}

void VellmarkKick7702AudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    engine.processLiveBlock (buffer, midi, getPlayHead(), getSampleRate(), getTotalNumOutputChannels());
}

juce::AudioProcessorEditor* VellmarkKick7702AudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

//=== state ====================================================================
void VellmarkKick7702AudioProcessor::getStateInformation (juce::MemoryBlock& destination)
{
    const auto document = createStateDocument (parameterStore);

    // Building the text costs time with embedded samples; only do it for an enabled log.
    if (auto* logs = PluginLogs::getInstance(); logs != nullptr && logs->isEnabled())
    {
        logDebug ("getCurrentPresetAsXmlCopy", "getCurrentPresetAsXmlCopy()");
        juce::StringArray lines;
        lines.addLines (document->toString());
        for (const auto& line : lines)
            logDebug ("getCurrentPresetAsXmlCopy", line.substring (0, longestLoggedLine));
    }

    writeStateBlob (*document, destination);
}

void VellmarkKick7702AudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr)
        return;

    const auto document = readStateBlob (data, sizeInBytes);
    parameterStore.setStateInformationFromXml (document.get(), false, true);
}

//=== offline renders ==========================================================
juce::AudioBuffer<float>& VellmarkKick7702AudioProcessor::render (int kind, int numChannels, int numSamples,
                                                                  double sampleRate)
{
    const juce::ScopedNoDenormals noDenormals;

    // The voices always write a stereo pair.
    numChannels = std::max (2, numChannels);
    numSamples = std::max (0, numSamples);
    if (renderBuffer == nullptr || renderBuffer->getNumSamples() < numSamples)
        renderBuffer = std::make_unique<juce::AudioBuffer<float>> (numChannels, numSamples);

    auto& buffer = *renderBuffer;
    if (kind != KickEngine::displayRender && kind != KickEngine::exportRender)
    {
        buffer.clear();
        return buffer;
    }

    engine.renderOffline (kind, buffer, sampleRate);

    float peak = 0.0f;
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        peak = std::max (peak, buffer.getMagnitude (channel, 0, buffer.getNumSamples()));

    // A silent render stays silent: 1 / 0 would turn it into NaN.
    if (peak > 0.0f && (kind == KickEngine::displayRender || peak > 1.0f))
    {
        const auto gain = 1.0f / peak - 0.01f;
        if (gain != 1.0f)
            buffer.applyGain (gain);
    }
    return buffer;
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new VellmarkKick7702AudioProcessor(); }
