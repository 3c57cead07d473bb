#include "host/TestHost.h"

namespace
{
TestHost* instance = nullptr;
}

std::string formatLabel (PluginFormatKind kind) { return kind == PluginFormatKind::vst3 ? "VST3" : "LV2"; }

TestHost::TestHost()
{
    jassert (instance == nullptr);
    formats.addFormat (new juce::VST3PluginFormat());
    formats.addFormat (new juce::LV2PluginFormat());
    instance = this;
}

TestHost::~TestHost() { instance = nullptr; }

TestHost& TestHost::get()
{
    jassert (instance != nullptr);
    return *instance;
}

juce::AudioPluginFormat& TestHost::formatOf (PluginFormatKind kind)
{
    const auto* wanted = kind == PluginFormatKind::vst3 ? "VST3" : "LV2";
    for (auto* format : formats.getFormats())
        if (format->getName() == wanted)
            return *format;
    jassertfalse;
    return *formats.getFormat (0);
}

const juce::PluginDescription* TestHost::findDescription (PluginFormatKind kind)
{
    auto& format = formatOf (kind);
    if (kind == PluginFormatKind::vst3)
    {
        if (! std::exchange (vst3Scanned, true))
            format.findAllTypesForFile (vst3Descriptions, THUDMOR_VST3_BUNDLE);
        return vst3Descriptions.getFirst();
    }

    if (! std::exchange (lv2Scanned, true))
    {
        // LV2 plug-ins are found by URI once their bundle's folder has been searched.
        const juce::File bundle (THUDMOR_LV2_BUNDLE);
        (void) format.searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()),
                                             false, false);
        format.findAllTypesForFile (lv2Descriptions, THUDMOR_LV2_PLUGIN_URI);
    }
    return lv2Descriptions.getFirst();
}

std::unique_ptr<juce::AudioPluginInstance> TestHost::createInstance (PluginFormatKind kind, double sampleRate,
                                                                     int blockSize, juce::String& error)
{
    const auto* description = findDescription (kind);
    if (description == nullptr)
    {
        error = "no plug-in found in the " + juce::String (formatLabel (kind)) + " bundle";
        return nullptr;
    }
    return formats.createPluginInstance (*description, sampleRate, blockSize, error);
}
