#pragma once

#include "params/GuiDocument.h"
#include "params/XmlDecoder.h"
#include "support/XmlParsing.h"

#include <map>
#include <memory>
#include <vector>

// The shipped GUI description document as the walk presents it: every object, container
// and parameter with its key and parameter number, and the key map, automation and tour.
class ShippedDocument final : private XmlDecoderHandler
{
public:
    struct Element
    {
        juce::String key;
        const juce::XmlElement* element;
        int parameterNumber; // -1 for objects and containers
    };

    ShippedDocument()
        : root (parseXmlSafely (getXmlConfiguration()))
    {
        if (root == nullptr)
            return;
        XmlDecoder decoder (*this);
        decoder.walk (*root, 0);
        decoder.walk (*root, 1);
    }

    [[nodiscard]] bool parsed() const noexcept { return root != nullptr; }
    [[nodiscard]] const std::vector<Element>& getElements() const noexcept { return elements; }

    [[nodiscard]] const juce::XmlElement* find (const juce::String& key) const
    {
        for (const auto& e : elements)
            if (e.key == key)
                return e.element;
        return nullptr;
    }

    [[nodiscard]] juce::StringArray getKeyMapKeys() const
    {
        juce::StringArray keys;
        if (keyMap != nullptr)
            for (const auto* entry : keyMap->getChildIterator())
                keys.add (entry->getStringAttribute ("name"));
        return keys;
    }

    [[nodiscard]] const juce::XmlElement* getAutomationList (const juce::String& tag) const
    {
        return automation != nullptr ? automation->getChildByName (tag) : nullptr;
    }

    [[nodiscard]] const juce::XmlElement* getTour() const noexcept { return tour; }

    // Keys a `bind` may name: element keys, key map keys and the editor's pseudo keys.
    [[nodiscard]] juce::StringArray getKnownKeys() const
    {
        auto keys = getKeyMapKeys();
        for (const auto& e : elements)
            keys.add (e.key);
        keys.addArray ({ "*miditrigger", "*levelindicator", "*tempo" });
        return keys;
    }

private:
    void handleElement (const juce::XmlElement& element, const juce::String& key, int parameterNumber,
                        int pass) override
    {
        if (pass == 0)
            elements.push_back (
                { key, &element, element.getTagName().equalsIgnoreCase ("parameter") ? parameterNumber : -1 });
    }
    void endContainer (const juce::XmlElement&, int) override {}
    void handleKeyMap (const juce::XmlElement& element) override { keyMap = &element; }
    void handleAutomation (const juce::XmlElement& element) override { automation = &element; }
    void handleTour (const juce::XmlElement& element) override { tour = &element; }

    std::unique_ptr<juce::XmlElement> root;
    std::vector<Element> elements;
    const juce::XmlElement* keyMap = nullptr;
    const juce::XmlElement* automation = nullptr;
    const juce::XmlElement* tour = nullptr;
};
