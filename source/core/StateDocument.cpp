#include "core/StateDocument.h"

#include "params/ProcessorParameterStore.h"
#include "support/XmlParsing.h"

namespace
{
constexpr juce::uint32 blobMagic = 0x21324356; // "VC2!"
}

std::unique_ptr<juce::XmlElement> createStateDocument (const ProcessorParameterStore& store)
{
    auto document = std::make_unique<juce::XmlElement> ("VELLMARK");

    auto* floats = document->createNewChildElement ("float");
    for (int n = 0; n < store.getNumBuiltParameters(); ++n)
        if (const auto* parameter = store.getParameterObject (n))
            floats->setAttribute (store.getKey (n), parameter->toString());

    document->addChildElement (store.getAllNonParameterDataCopy().release());

    auto* info = document->createNewChildElement ("info");
    info->setAttribute ("version", pluginVersionText);
    info->setAttribute ("compatibilitymode", store.getCompatibilityMode());
    info->setAttribute ("plugin", pluginNameText);
    return document;
}

void writeStateBlob (const juce::XmlElement& document, juce::MemoryBlock& destination)
{
    {
        juce::MemoryOutputStream out (destination, false);
        out.writeInt ((int) blobMagic);
        out.writeInt (0);
        document.writeTo (out, juce::XmlElement::TextFormat().singleLine());
        out.writeByte (0);
    }

    const auto textLength = (juce::uint32) (destination.getSize() - 9);
    auto* lengthBytes = static_cast<juce::uint8*> (destination.getData()) + 4;
    for (int i = 0; i < 4; ++i)
        lengthBytes[i] = (juce::uint8) (textLength >> (8 * i));
}

std::unique_ptr<juce::XmlElement> readStateBlob (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9)
        return nullptr;

    const auto* bytes = static_cast<const char*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != blobMagic)
        return nullptr;

    const auto length = (juce::int32) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length <= 0)
        return nullptr;

    // Bytes that are not UTF-8 are read as Windows-1252 text: JUCE steps over a malformed
    // UTF-8 lead byte by the length it claims, which can run past the end of the text.
    const auto textLength = std::min (length, sizeInBytes - 8);
    return parseXmlSafely (juce::String::createStringFromData (bytes + 8, textLength));
}
