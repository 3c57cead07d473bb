#include "host/HostStates.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
constexpr const char* vst3ComponentTag = "IComponent";
constexpr const char* lv2StateProperty = ":StateString> \"";

juce::MemoryBlock decodeBase64 (const juce::String& text)
{
    juce::MemoryBlock bytes;
    if (! bytes.fromBase64Encoding (text))
        bytes.reset();
    return bytes;
}

// Start and end of the quoted base64 text of the LV2 state property, or -1.
std::pair<int, int> findLv2StateText (const juce::String& preset)
{
    const auto opening = preset.indexOf (lv2StateProperty);
    if (opening < 0)
        return { -1, -1 };
    const auto start = opening + (int) std::strlen (lv2StateProperty);
    return { start, preset.indexOfChar (start, '"') };
}
} // namespace

juce::MemoryBlock pluginBlobOf (PluginFormatKind kind, const juce::MemoryBlock& hostState)
{
    if (kind == PluginFormatKind::vst3)
    {
        const auto document = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
        const auto* component = document != nullptr ? document->getChildByName (vst3ComponentTag) : nullptr;
        return component != nullptr ? decodeBase64 (component->getAllSubText()) : juce::MemoryBlock();
    }

    const auto preset = hostState.toString();
    const auto [start, end] = findLv2StateText (preset);
    return start >= 0 && end > start ? decodeBase64 (preset.substring (start, end)) : juce::MemoryBlock();
}

juce::MemoryBlock withPluginBlob (PluginFormatKind kind, const juce::MemoryBlock& hostState,
                                  const juce::MemoryBlock& pluginBlob)
{
    if (kind == PluginFormatKind::vst3)
    {
        auto document = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
        if (document == nullptr)
            document = std::make_unique<juce::XmlElement> ("VST3PluginState");
        document->deleteAllChildElementsWithTagName (vst3ComponentTag);
        document->createNewChildElement (vst3ComponentTag)->addTextElement (pluginBlob.toBase64Encoding());
        juce::MemoryBlock result;
        juce::AudioProcessor::copyXmlToBinary (*document, result);
        return result;
    }

    const auto preset = hostState.toString();
    const auto [start, end] = findLv2StateText (preset);
    jassert (start >= 0 && end >= start);
    const auto replaced = preset.substring (0, start) + pluginBlob.toBase64Encoding() + preset.substring (end);
    return juce::MemoryBlock (replaced.toRawUTF8(), replaced.getNumBytesAsUTF8());
}
