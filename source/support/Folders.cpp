#include "support/Folders.h"

#include <cstdlib>
#include <mutex>

namespace
{
std::mutex overrideMutex;
juce::File factoryOverride;

juce::File xdgFolder (const char* variable, const char* fallbackBelowHome)
{
    // An unset or relative XDG variable falls back to the default, as the XDG rules say.
    if (const auto* value = std::getenv (variable); value != nullptr && juce::File::isAbsolutePath (value))
        return juce::File (value);
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (fallbackBelowHome);
}
} // namespace

juce::File getUserDataFolder()
{
    auto folder = xdgFolder ("XDG_DATA_HOME", ".local/share").getChildFile ("Vellmark/Thudmor");
    folder.createDirectory(); // failures surface where something is written there
    return folder;
}

juce::File getFactoryFolder()
{
    {
        const std::lock_guard guard (overrideMutex);
        if (factoryOverride != juce::File())
            return factoryOverride;
    }

    const juce::File local ("/usr/local/share/Vellmark/Thudmor");
    return local.isDirectory() ? local : juce::File ("/usr/share/Vellmark/Thudmor");
}

juce::File getSettingsFile()
{
    return xdgFolder ("XDG_CONFIG_HOME", ".config").getChildFile ("Vellmark/Thud Mor.settings");
}

void setFactoryFolderOverride (const juce::File& folder)
{
    const std::lock_guard guard (overrideMutex);
    factoryOverride = folder;
}

juce::String expandFactoryDir (const juce::String& text)
{
    if (! text.contains ("$FACTORY_DIR"))
        return text;
    return text.replace ("$FACTORY_DIR", getFactoryFolder().getFullPathName());
}

void expandFactoryDir (juce::XmlElement& element)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto& value = element.getAttributeValue (i);
        if (value.contains ("$FACTORY_DIR"))
            element.setAttribute (element.getAttributeName (i), expandFactoryDir (value));
    }

    // JUCE keeps text content as elements with a "text" attribute; text is not an attribute.
    for (auto* child : element.getChildIterator())
        if (! child->isTextElement())
            expandFactoryDir (*child);
}

juce::File joinPath (const juce::File& folder, const juce::String& name) { return folder.getChildFile (name); }

juce::File resolveSamplePath (const juce::String& path, const juce::String& backupName)
{
    if (! (path.startsWith ("/") || path.startsWith ("~")))
        return {};

    const juce::File file (juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (path));
    if (file.existsAsFile())
        return file;

    return joinPath (getUserDataFolder(), backupName);
}
