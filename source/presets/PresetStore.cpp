#include "presets/PresetStore.h"

#include "params/ProcessorParameterStore.h"
#include "presets/PresetConverter.h"
#include "presets/PresetFile.h"
#include "presets/PresetFileWriting.h"
#include "presets/PresetTranslatorThudmor.h"
#include "presets/PresetXml.h"
#include "support/Folders.h"
#include "support/PluginLogs.h"

namespace
{
constexpr int longestLoggedLine = 200;
const juce::String presetsFolder = "Presets/";
} // namespace

PresetStore::PresetStore (const juce::String& folderName, bool factory, PresetTranslatorThudmor* translatorToUse,
                          PresetStoreList* list)
    : folder (folderName)
    , isFactory (factory)
    , translator (translatorToUse)
    , storeList (list)
{
    // Main presets load over the legacy defaults unless an editor chooses another group.
    if (folder == "main")
        presetGroup = "all";

    if (isFactory)
    {
        root = getFactoryFolder().getChildFile (presetsFolder + folder).getFullPathName();
        return;
    }

    const auto rootFolder = getUserDataFolder().getChildFile (presetsFolder + folder);
    root = rootFolder.getFullPathName();

    if (const auto created = rootFolder.createDirectory(); created.failed())
        fail ("Creating folder failed: " + created.getErrorMessage() + "(for " + root + ")");

    if (! canWritePresetFile (rootFolder.getChildFile ("test.txt")))
    {
        hasError = true;
        errorText += "...problem creating a file in the preset folder";
    }
}

void PresetStore::fail (const juce::String& text)
{
    hasError = true;
    errorText = text;
}

std::pair<bool, juce::String> PresetStore::takeError()
{
    auto pending = std::make_pair (hasError, errorText);
    hasError = false;
    errorText.clear();
    return pending;
}

juce::File PresetStore::fileForName (const juce::String& name) const
{
    return joinPath (juce::File (root), name).withFileExtension (PresetXml::presetExtension);
}

bool PresetStore::loadByName (const juce::String& name, PresetConverter* converter)
{
    return load (fileForName (name).getFullPathName(), converter);
}

bool PresetStore::load (const juce::String& path, PresetConverter* converter)
{
    hasError = false;
    errorText.clear();

    if (parameterStore == nullptr)
    {
        fail ("Internal error.");
        return false;
    }

    PresetFile preset (translator);
    if (! preset.read (path))
    {
        fail (preset.getError());
        return false;
    }

    if (storeList != nullptr)
        storeList->lastLoadedStore = this;
    currentFile = path;

    auto document = std::make_unique<juce::XmlElement> (preset.getXml());
    expandFactoryDir (*document);

    if (translator != nullptr)
    {
        logDebug ("load", "PresetStore::load() Translator: " + translator->getName());
        translator->translate (*document);
        if (presetGroup == "all")
        {
            const auto legacyDefault = translator->getLegacyDefaultPreset();
            parameterStore->setStateInformationFromXml (legacyDefault.get(), true, false);
        }
    }
    else
    {
        logDebug ("load", "PresetStore::load() Translator: None");
    }

    if (converter != nullptr)
        document = converter->convertForLoad (*document);

    parameterStore->setStateInformationFromXml (document.get(), true, false);
    return true;
}

bool PresetStore::isValidPresetName (const juce::String& name)
{
    static const juce::String allowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz-0123456789_";
    // "Folder/" names no preset either.
    const auto lastPart = name.fromLastOccurrenceOf ("/", false, false);
    return lastPart.isNotEmpty() && lastPart.containsOnly (allowed);
}

std::unique_ptr<juce::XmlElement> PresetStore::createCurrentPresetDocument() const
{
    const auto keys = groupKeys != nullptr ? groupKeys (presetGroup) : juce::StringArray();

    auto document = std::make_unique<juce::XmlElement> ("VELLMARK");

    auto* floats = document->createNewChildElement ("float");
    for (int n = 0; n < parameterStore->getNumBuiltParameters(); ++n)
        if (const auto& key = parameterStore->getKey (n); keys.contains (key))
            if (const auto* parameter = parameterStore->getParameterObject (n))
                floats->setAttribute (key, parameter->toString());

    // The copy is taken under the store's lock, so no entry is seen half-replaced.
    auto* data = document->createNewChildElement ("data");
    const auto allData = parameterStore->getAllNonParameterDataCopy();
    for (const auto* entry : allData->getChildIterator())
        if (! entry->isTextElement() && keys.contains (entry->getTagName()))
            data->addChildElement (new juce::XmlElement (*entry));

    auto* info = document->createNewChildElement ("info");
    info->setAttribute ("version", PresetXml::documentVersion);
    info->setAttribute ("compatibilitymode", parameterStore->getCompatibilityMode());
    info->setAttribute ("plugin", PresetXml::pluginName);
    return document;
}

bool PresetStore::saveCurrentPreset (const juce::String& name, PresetConverter* converter)
{
    hasError = false;
    errorText.clear();

    if (! isValidPresetName (name))
    {
        fail (invalidNameText);
        return false;
    }

    if (parameterStore == nullptr)
    {
        fail ("Internal error.");
        return false;
    }

    const auto document = createCurrentPresetDocument();

    juce::StringArray lines;
    lines.addLines (createPresetDocumentText (*document));
    for (const auto& line : lines)
        logDebug ("getCurrentPresetAsXmlCopy", line.substring (0, longestLoggedLine));

    if (converter != nullptr)
        return write (name, *converter->convertForSave (*document));
    return write (name, *document);
}

bool PresetStore::write (const juce::String& name, const juce::XmlElement& document)
{
    if (isFactory)
    {
        fail (factoryWriteText);
        return false;
    }

    const auto target = fileForName (name);
    const auto path = target.getFullPathName();
    logDebug ("write", "about to write to : " + path);

    if (! canWritePresetFile (target))
    {
        fail ("Cannot write to " + path + ".  Check permissions?");
        return false;
    }

    if (! replaceFileTextSafely (target, createPresetDocumentText (document)))
    {
        fail ("Write failed.");
        return false;
    }
    return true;
}

PresetStore* getPresetStore (PresetStoreList& list, const juce::String& folder, bool isFactory)
{
    for (auto* store : list.stores)
        if (store != nullptr && store->getFolder() == folder && store->getIsFactory() == isFactory)
            return store;

    logError ("getPresetStore", "error getting correct preset store.");
    return list.stores.empty() ? nullptr : list.stores.front();
}

void loadDefaultPresets (PresetStoreList& list, ProcessorParameterStore& store)
{
    logDebug ("loadDefaultPresets", "Loading Default Preset");

    auto* user = getPresetStore (list, "main", false);
    if (user != nullptr)
    {
        user->setParameterStore (&store);
        if (user->loadByName ("Default"))
        {
            logDebug ("loadDefaultPresets", "** Using user default preset");
            return;
        }
        user->takeError();
    }

    auto* factory = getPresetStore (list, "main", true);
    if (factory == nullptr)
        return;

    factory->setParameterStore (&store);
    if (! factory->loadByName ("Default"))
        logError ("loadDefaultPresets", "!! No Default Preset Found: " + factory->takeError().second);
}
