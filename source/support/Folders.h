#pragma once

#include <juce_core/juce_core.h>

// Where the user's data and the installed factory content live.
//   user data folder: $XDG_DATA_HOME/Vellmark/Thudmor (default ~/.local/share/...), created
//   factory folder:   /usr/local/share/Vellmark/Thudmor when it exists, else /usr/share/...
juce::File getUserDataFolder();
juce::File getFactoryFolder();

// Settings file of the plug-in properties: $XDG_CONFIG_HOME/Vellmark/Thud Mor.settings.
juce::File getSettingsFile();

// Points the factory folder somewhere else for the rest of the process (tests, tools run
// from the source tree). An empty file restores the installed location.
void setFactoryFolderOverride (const juce::File& folder);

// Replaces every "$FACTORY_DIR" in every attribute value of the element and its
// descendants by the factory folder's full path.
void expandFactoryDir (juce::XmlElement& element);

// Replaces every "$FACTORY_DIR" in a text.
juce::String expandFactoryDir (const juce::String& text);

// JUCE's joining rule: a name beginning with "/" or "~" is absolute, otherwise a child.
juce::File joinPath (const juce::File& folder, const juce::String& name);

// A stored sample path: itself when absolute and existing, else the backup name in the user
// data folder; none (a default File) for a path that does not begin with "/" or "~".
juce::File resolveSamplePath (const juce::String& path, const juce::String& backupName);
