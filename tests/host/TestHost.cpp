#include "host/TestHost.h"

namespace
{
TestHost* instance = nullptr;
}

std::string formatLabel (PluginFormatKind kind) { return kind == PluginFormatKind::vst3 ? "VST3" : "LV2"; }

TestHost::TestHost()
{
    jassert (instance == nullptr);

    // The LV2 host finds bundles in its default folders when it starts; the bundle is linked
    // into the (temporary) home's LV2 folder so that it is among them. Searching a further
    // folder later would make JUCE's LV2 library load everything twice, which leaks.
    const juce::File bundle (THUDMOR_LV2_BUNDLE);
    const auto userLv2 = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".lv2");
    userLv2.createDirectory();
    bundle.createSymbolicLink (userLv2.getChildFile (bundle.getFileName()), true);

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
        format.findAllTypesForFile (lv2Descriptions, THUDMOR_LV2_PLUGIN_URI);
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
