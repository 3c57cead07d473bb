#include "params/PresetGroupKeys.h"

namespace
{
const juce::String groupAttribute ("presetgroup");
}

PresetGroupKeys::PresetGroupKeys (const juce::String& documentText)
{
    XmlDecoder decoder (*this);
    decoder.walk (documentText, 0);
}

juce::StringArray PresetGroupKeys::getKeysOfGroup (const juce::String& group) const
{
    const auto found = keysOfGroup.find (group);
    return found == keysOfGroup.end() ? juce::StringArray() : found->second;
}

juce::StringArray PresetGroupKeys::getGroupsOfKey (const juce::String& key) const
{
    const auto found = groupsOfKey.find (key);
    return found == groupsOfKey.end() ? juce::StringArray() : found->second;
}

juce::StringArray PresetGroupKeys::groupsOfText (const juce::String& groupText)
{
    juce::StringArray groups;
    groups.addTokens (groupText, ",", {});
    groups.removeEmptyStrings (false);
    groups.removeDuplicates (false);

    // "none" keeps a key out of every preset; anything else is also part of a full preset.
    if (groupText != "none")
        groups.addIfNotAlreadyThere ("all");
    return groups;
}

void PresetGroupKeys::handleElement (const juce::XmlElement& element, const juce::String& key, int, int)
{
    // An own attribute wins even when empty, so an element can leave its container's group.
    const auto groupText =
        element.hasAttribute (groupAttribute) ? element.getStringAttribute (groupAttribute) : inheritedGroupText();
    addKey (key, groupText);

    if (element.getTagName().equalsIgnoreCase ("container"))
        groupTextStack.add (groupText);
}

void PresetGroupKeys::endContainer (const juce::XmlElement& element, int)
{
    if (element.getTagName().equalsIgnoreCase ("container") && ! groupTextStack.isEmpty())
        groupTextStack.remove (groupTextStack.size() - 1);
}

void PresetGroupKeys::handleKeyMap (const juce::XmlElement& element)
{
    for (const auto* entry : element.getChildIterator())
        if (! entry->isTextElement())
            addKey (entry->getStringAttribute ("name"), entry->getStringAttribute (groupAttribute));
}

juce::String PresetGroupKeys::inheritedGroupText() const
{
    for (int i = groupTextStack.size(); --i >= 0;)
        if (groupTextStack[i].isNotEmpty())
            return groupTextStack[i];
    return {};
}

void PresetGroupKeys::addKey (const juce::String& key, const juce::String& groupText)
{
    // A later element with the same key takes it over, as it does in the editor.
    if (const auto previous = groupsOfKey.find (key); previous != groupsOfKey.end())
        for (const auto& group : previous->second)
            keysOfGroup[group].removeString (key);

    const auto groups = groupsOfText (groupText);
    groupsOfKey[key] = groups;
    for (const auto& group : groups)
        keysOfGroup[group].add (key);
}
