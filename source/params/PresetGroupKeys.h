#pragma once

#include "params/GuiDocument.h"
#include "params/XmlDecoder.h"

#include <map>

// Which keys each preset group saves, settled from the GUI description document without
// building any interface. A key's group text is its own `presetgroup` attribute or, when it
// has none, that of the nearest enclosing container with a non-empty one; the text names
// the groups between its commas, and every key whose text is not exactly "none" also
// belongs to "all". `key_map` keys only have their own attribute.
class PresetGroupKeys final : private XmlDecoderHandler
{
public:
    explicit PresetGroupKeys (const juce::String& documentText = getXmlConfiguration());

    // The keys a preset of the group saves, in document order; empty for an unknown group.
    [[nodiscard]] juce::StringArray getKeysOfGroup (const juce::String& group) const;

    // The groups of a key; empty for an unknown key.
    [[nodiscard]] juce::StringArray getGroupsOfKey (const juce::String& key) const;

    // The groups named by one group text.
    [[nodiscard]] static juce::StringArray groupsOfText (const juce::String& groupText);

private:
    void handleElement (const juce::XmlElement& element, const juce::String& key, int parameterNumber,
                        int pass) override;
    void endContainer (const juce::XmlElement& element, int pass) override;
    void handleKeyMap (const juce::XmlElement& element) override;
    void handleAutomation (const juce::XmlElement&) override {}
    void handleTour (const juce::XmlElement&) override {}

    [[nodiscard]] juce::String inheritedGroupText() const;
    void addKey (const juce::String& key, const juce::String& groupText);

    juce::StringArray groupTextStack;
    std::map<juce::String, juce::StringArray> keysOfGroup;
    std::map<juce::String, juce::StringArray> groupsOfKey;
};
