#include "support/PluginProperties.h"

#include "support/Folders.h"
#include "support/PluginLogs.h"
#include "support/XmlParsing.h"

namespace
{
juce::SpinLock shareLock;
int shareCount = 0;
PluginProperties* sharedInstance = nullptr;

juce::PropertiesFile::Options settingsOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Thud Mor";
    options.filenameSuffix = ".settings";
    options.folderName = "Vellmark";
    options.osxLibrarySubFolder = "Application Support";
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = 3000;
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    return options;
}

// JUCE's parser recurses once per nesting level; a damaged file nested deeply enough would
// overflow the stack. Such a file holds nothing readable and would be overwritten by the
// next save anyway, so it is removed before JUCE reads it.
bool removeIfTooDeep (const juce::File& file)
{
    if (! file.existsAsFile() || measureXmlNesting (file.loadFileAsString()) <= maximumXmlNesting)
        return false;
    file.deleteFile();
    return true;
}
} // namespace

PluginProperties::Share::Share()
    : properties (
        []() -> PluginProperties&
        {
            const juce::SpinLock::ScopedLockType sl (shareLock);
            if (shareCount++ == 0)
                sharedInstance = new PluginProperties();
            return *sharedInstance;
        }())
{
}

PluginProperties::Share::~Share()
{
    PluginProperties* toDelete = nullptr;
    {
        const juce::SpinLock::ScopedLockType sl (shareLock);
        if (--shareCount == 0)
            toDelete = std::exchange (sharedInstance, nullptr);
    }
    delete toDelete;
}

PluginProperties::PluginProperties()
{
    const auto file = getSettingsFile();
    const bool wasTooDeep = removeIfTooDeep (file);

    settings = std::make_unique<juce::PropertiesFile> (file, settingsOptions());
    if (wasTooDeep || ! settings->isValidFile())
        logError ("PluginProperties", "settings file isn't working " + file.getFullPathName());
}

PluginProperties::~PluginProperties()
{
    for (auto& property : properties)
        property->value.removeListener (this);
}

void PluginProperties::registerProperty (const juce::String& key, const juce::String& description,
                                         const juce::var& defaultValue)
{
    for (const auto& property : properties)
        if (property->key == key)
            return;

    auto property = std::make_unique<Property> (Property{ key, description, juce::Value() });
    if (defaultValue.isBool())
        property->value = settings->getBoolValue (key, (bool) defaultValue);
    else
        logError ("registerProperty", "non-bool property");

    property->value.addListener (this);
    properties.push_back (std::move (property));
}

juce::Value& PluginProperties::getValue (const juce::String& key)
{
    logDebug ("getValue", "called with " + key);

    for (auto& property : properties)
        if (property->key == key)
            return property->value;

    logDebug ("propertyListLookup", "Key not found: " + key);
    return invalidProperty.value;
}

void PluginProperties::valueChanged (juce::Value& value)
{
    for (auto& property : properties)
    {
        if (property->value.refersToSameSourceAs (value))
        {
            const auto text = value.toString();
            settings->setValue (property->key, text);
            logDebug ("valueChanged", "writing " + property->key + " = " + text);
            settings->saveIfNeeded();
            return;
        }
    }

    logDebug ("valueChanged", "value not found");
}
