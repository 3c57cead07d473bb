#include "presets/PresetFile.h"

#include "presets/PresetFileWriting.h"
#include "presets/PresetTranslatorThudmor.h"
#include "presets/PresetXml.h"
#include "support/PluginLogs.h"
#include "support/XmlParsing.h"

namespace
{
std::unique_ptr<juce::XmlElement> makeEmptyDocument() { return std::make_unique<juce::XmlElement> ("VELLMARK"); }

// JUCE's MemoryBlock text form trusts its leading byte count; a damaged count ("-1.", or a
// few billion) would make it allocate without bound. The count must fit what follows.
bool decodeMemoryBlockText (const juce::String& text, juce::MemoryBlock& result)
{
    const auto trimmed = text.trim();
    const auto dot = trimmed.indexOfChar ('.');
    if (dot <= 0 || dot > 9 || ! trimmed.substring (0, dot).containsOnly ("0123456789"))
        return false;

    const auto byteCount = trimmed.substring (0, dot).getLargeIntValue();
    const auto payloadBits = (juce::int64) (trimmed.length() - dot - 1) * 6;
    if (byteCount * 8 > payloadBits)
        return false;

    return result.fromBase64Encoding (trimmed);
}

juce::Image decodeImage (const juce::String& text)
{
    juce::MemoryBlock bytes;
    if (! decodeMemoryBlockText (text, bytes) || bytes.isEmpty())
        return {};
    return juce::ImageFileFormat::loadFrom (bytes.getData(), bytes.getSize());
}

void replaceChildren (juce::XmlElement& parent, const juce::String& tag, const juce::String& text)
{
    while (auto* old = PresetXml::findChild (parent, tag))
        parent.removeChildElement (old, true);
    parent.createNewChildElement (tag)->addTextElement (text);
}

juce::XmlElement& getOrCreateChild (juce::XmlElement& parent, const juce::String& tag)
{
    if (auto* child = PresetXml::findChild (parent, tag))
        return *child;
    return *parent.createNewChildElement (tag);
}
} // namespace

PresetFile::PresetFile (PresetTranslatorThudmor* translatorToUse)
    : xml (makeEmptyDocument())
    , translator (translatorToUse)
{
}

bool PresetFile::read (const juce::String& path)
{
    error.clear();

    if (path.isEmpty() || ! juce::File::isAbsolutePath (path) || ! juce::File (path).existsAsFile())
    {
        error = "Cannot read file " + path;
        return false;
    }

    const juce::File source (path);
    auto parsed = parseXmlFileSafely (source);
    if (parsed == nullptr)
    {
        xml = makeEmptyDocument();
        blurb.clear();
        image = {};
        error = "Invalid preset file " + path;
        return false;
    }

    xml = std::move (parsed);
    if (translator != nullptr)
        translator->translate (*xml);

    file = path;
    takeNameFromFile (source);
    readBlurbAndImage();
    return true;
}

// A preset is called by its file name, whatever the file itself says.
void PresetFile::takeNameFromFile (const juce::File& source)
{
    if (auto* data = findData())
    {
        if (auto* name = PresetXml::findChild (*data, "preset_name_all"))
        {
            name->deleteAllTextElements();
            name->addTextElement (source.getFileNameWithoutExtension());
        }
    }
}

void PresetFile::readBlurbAndImage()
{
    blurb.clear();
    image = {};

    const auto* data = findData();
    if (data == nullptr)
        return;

    if (const auto* text = PresetXml::findChild (*data, "blurb"))
        blurb = text->getAllSubText();
    if (const auto* picture = PresetXml::findChild (*data, "image"))
        image = decodeImage (picture->getAllSubText());
}

bool PresetFile::write (const juce::String& path)
{
    error.clear();

    const auto text = createPresetDocumentText (*xml);
    const auto target = juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();

    if (target == juce::File() || ! canWritePresetFile (target))
    {
        error = "Cannot save to this location.  It is read-only.";
        return false;
    }

    if (! replaceFileTextSafely (target, text))
    {
        error = "Write failed. Disk space?";
        return false;
    }

    file = path;
    return true;
}

juce::XmlElement* PresetFile::findData() const { return PresetXml::findChild (*xml, "data"); }

juce::XmlElement* PresetFile::getDataEntry (const juce::String& key)
{
    error.clear();

    auto* data = findData();
    if (data == nullptr)
    {
        error = "Could not find <data>";
        return nullptr;
    }

    auto* entry = PresetXml::findChild (*data, key);
    if (entry == nullptr)
        error = "Could not find <data><ref> where <ref> = " + key;
    return entry;
}

juce::XmlElement* PresetFile::findFileChild (const juce::String& key)
{
    auto* entry = getDataEntry (key);
    if (entry == nullptr)
        return nullptr;

    auto* fileChild = PresetXml::findChild (*entry, "file");
    if (fileChild == nullptr)
        error = "Could not find <file> inside " + key;
    return fileChild;
}

juce::String PresetFile::getDisplayFileName (const juce::String& key)
{
    juce::String name;
    if (const auto* fileChild = findFileChild (key))
        name = fileChild->getStringAttribute ("name")
                   .fromLastOccurrenceOf ("/", false, false)
                   .fromLastOccurrenceOf ("\\", false, false);

    logDebug ("getDisplayFileName", error.isEmpty() ? "file name: " + name : error);
    return name;
}

void PresetFile::setDataFileName (const juce::String& key, const juce::String& path)
{
    if (auto* fileChild = findFileChild (key))
        fileChild->setAttribute ("name", path);
}

void PresetFile::setFloat (const juce::String& key, float value)
{
    getOrCreateChild (*xml, "float").setAttribute (key, juce::String (value));

    auto& info = getOrCreateChild (*xml, "info");
    info.setAttribute ("version", PresetXml::documentVersion);
    info.setAttribute ("plugin", PresetXml::pluginName);
}

void PresetFile::setBlurb (const juce::String& text)
{
    blurb = text.trim();
    if (auto* data = findData())
        replaceChildren (*data, "blurb", blurb);
}

bool PresetFile::setImage (const juce::Image& picture)
{
    if (! picture.isValid())
        return false;

    image = picture.getWidth() == imageSize && picture.getHeight() == imageSize
                ? picture
                : picture.rescaled (imageSize, imageSize, juce::Graphics::highResamplingQuality);

    auto* data = findData();
    if (data == nullptr)
        return false;

    juce::MemoryOutputStream png;
    if (! juce::PNGImageFormat().writeImageToStream (image, png))
        return false;

    replaceChildren (*data, "image", png.getMemoryBlock().toBase64Encoding());
    return true;
}
