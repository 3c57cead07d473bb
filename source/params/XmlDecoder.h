#pragma once

#include <juce_core/juce_core.h>

// Receives the elements of the GUI description document, in document order, from an
// XmlDecoder walk. Implemented by the processor store (pass 0) and the editor store
// (pass 0, the build pass, and pass 1, the binding pass).
class XmlDecoderHandler
{
public:
    virtual ~XmlDecoderHandler() = default;
    virtual void handleElement (const juce::XmlElement& element, const juce::String& key, int parameterNumber,
                                int pass) = 0;
    virtual void endContainer (const juce::XmlElement& element, int pass) = 0;
    virtual void handleKeyMap (const juce::XmlElement& element) = 0;
    virtual void handleAutomation (const juce::XmlElement& element) = 0;
    virtual void handleTour (const juce::XmlElement& element) = 0;
};

// Walks the document: objects, containers and parameters with their keys, numbering the
// parameters from 0 in document order across containers.
class XmlDecoder
{
public:
    explicit XmlDecoder (XmlDecoderHandler& handlerToUse)
        : handler (handlerToUse)
    {
    }

    // Returns false when the text does not parse; the walk then visits nothing.
    bool walk (const juce::String& documentText, int pass);
    void walk (const juce::XmlElement& root, int pass);

    [[nodiscard]] int getParameterCount() const noexcept { return parameterNumber; }

private:
    void walkChildren (const juce::XmlElement& parent, const juce::String& prefix, int pass);

    XmlDecoderHandler& handler;
    int parameterNumber = 0;
};

// The key of an object, container or parameter: `tag` (else `name`) lower-cased with every
// space removed, prefixed by the enclosing container's key and "_".
[[nodiscard]] juce::String makeElementKey (const juce::XmlElement& element, const juce::String& prefix);

// The entries of an automation `order` or `hidden` list, one per line.
[[nodiscard]] juce::StringArray parseAutomationList (const juce::XmlElement& list, bool isOrderList);
