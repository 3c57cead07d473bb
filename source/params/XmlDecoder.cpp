#include "params/XmlDecoder.h"

#include "support/XmlParsing.h"

juce::String makeElementKey (const juce::XmlElement& element, const juce::String& prefix)
{
    auto name = element.hasAttribute ("tag") ? element.getStringAttribute ("tag") : element.getStringAttribute ("name");
    name = name.toLowerCase().removeCharacters (" ");
    return prefix.isEmpty() ? name : prefix + "_" + name;
}

juce::StringArray parseAutomationList (const juce::XmlElement& list, bool isOrderList)
{
    juce::StringArray lines;
    lines.addLines (list.getAllSubText());

    juce::StringArray entries;
    for (auto line : lines)
    {
        line = line.trim().upToFirstOccurrenceOf (",", false, false);
        if (isOrderList)
            line = line.upToFirstOccurrenceOf ("=", false, false);
        if (line.trim().isNotEmpty())
            entries.add (line);
    }
    return entries;
}

bool XmlDecoder::walk (const juce::String& documentText, int pass)
{
    parameterNumber = 0;
    const auto root = parseXmlSafely (documentText);
    if (root == nullptr)
        return false;
    walk (*root, pass);
    return true;
}

void XmlDecoder::walk (const juce::XmlElement& root, int pass)
{
    parameterNumber = 0;
    walkChildren (root, {}, pass);
}

void XmlDecoder::walkChildren (const juce::XmlElement& parent, const juce::String& prefix, int pass)
{
    for (const auto* child : parent.getChildIterator())
    {
        if (child->isTextElement())
            continue;

        const auto& tag = child->getTagName();
        if (tag.equalsIgnoreCase ("object"))
        {
            handler.handleElement (*child, makeElementKey (*child, prefix), parameterNumber, pass);
        }
        else if (tag.equalsIgnoreCase ("container"))
        {
            const auto key = makeElementKey (*child, prefix);
            handler.handleElement (*child, key, parameterNumber, pass);
            walkChildren (*child, key, pass);
            handler.endContainer (*child, pass);
        }
        else if (tag.equalsIgnoreCase ("parameter"))
        {
            handler.handleElement (*child, makeElementKey (*child, prefix), parameterNumber, pass);
            ++parameterNumber;
        }
        else if (tag.equalsIgnoreCase ("key_map"))
        {
            if (pass == 0)
                handler.handleKeyMap (*child);
        }
        else if (tag.equalsIgnoreCase ("automation"))
        {
            if (pass == 0)
                handler.handleAutomation (*child);
        }
        else if (tag.equalsIgnoreCase ("tour"))
        {
            if (pass == 1)
                handler.handleTour (*child);
        }
    }
}
