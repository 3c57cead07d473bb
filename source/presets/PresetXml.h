#pragma once

#include <juce_core/juce_core.h>

// Element tags in preset documents are matched ignoring letter case; attribute names are not.
namespace PresetXml
{
[[nodiscard]] inline juce::XmlElement* findChild (const juce::XmlElement& parent, juce::StringRef tag)
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;
    return nullptr;
}

[[nodiscard]] inline bool isFloatTag (const juce::String& tag)
{
    return tag.equalsIgnoreCase ("float") || tag.equalsIgnoreCase ("Parameters");
}

inline constexpr const char* documentVersion = "1.9.7";
inline constexpr const char* pluginName = "Thud Mor";
inline constexpr const char* presetExtension = ".preset";
} // namespace PresetXml
