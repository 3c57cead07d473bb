#include "presets/AttackPresetConverter.h"

#include "presets/PresetXml.h"

namespace
{
constexpr const char* firstLayerPrefix = "attack_";
constexpr const char* secondLayerPrefix = "attack2_";

// Settings a bank must never change on the layer it is loaded into.
const juce::StringArray& attributesKeptOutOfBanks()
{
    static const juce::StringArray names{ "attackoverlay_enable1", "attackoverlay_enable2", "tweaks_attackpitch" };
    return names;
}

template <typename Visit>
void forEachElement (juce::XmlElement& element, Visit&& visit)
{
    if (element.isTextElement())
        return;
    visit (element);
    for (auto* child : element.getChildIterator())
        forEachElement (*child, visit);
}

juce::String withPrefixReplaced (const juce::String& name, juce::StringRef from, juce::StringRef to)
{
    return name.startsWith (from) ? to + name.substring (juce::String (from).length()) : name;
}

// Renames the tag and the attribute names with that prefix, keeping the attribute order.
void renamePrefix (juce::XmlElement& element, juce::StringRef from, juce::StringRef to)
{
    element.setTagName (withPrefixReplaced (element.getTagName(), from, to));

    juce::StringArray names, values;
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        names.add (withPrefixReplaced (element.getAttributeName (i), from, to));
        values.add (element.getAttributeValue (i));
    }

    element.removeAllAttributes();
    for (int i = 0; i < names.size(); ++i)
        element.setAttribute (names[i], values[i]);
}
} // namespace

std::unique_ptr<juce::XmlElement> AttackPresetConverter::convertForLoad (const juce::XmlElement& element)
{
    auto copy = std::make_unique<juce::XmlElement> (element);
    forEachElement (*copy,
                    [this] (juce::XmlElement& e)
                    {
                        for (const auto& name : attributesKeptOutOfBanks())
                            e.removeAttribute (name);
                        if (isSecondLayer)
                            renamePrefix (e, firstLayerPrefix, secondLayerPrefix);
                    });
    return copy;
}

std::unique_ptr<juce::XmlElement> AttackPresetConverter::convertForSave (const juce::XmlElement& element)
{
    auto copy = std::make_unique<juce::XmlElement> (element);
    if (! isSecondLayer)
        return copy;

    forEachElement (*copy, [] (juce::XmlElement& e) { renamePrefix (e, secondLayerPrefix, firstLayerPrefix); });

    // A bank saved from the second layer carries no pitch of its own for the first sample.
    if (auto* floats = PresetXml::findChild (*copy, "float"))
        floats->setAttribute ("tweaks_attackpitch", "0");
    return copy;
}
