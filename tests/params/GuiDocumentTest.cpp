#include "params/GuiDocument.h"
#include "params/ParameterNumbers.h"
#include "params/XmlDecoder.h"
#include "support/XmlParsing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
// Records what a build pass of the walk hands to a consumer.
struct RecordingHandler final : XmlDecoderHandler
{
    struct Element
    {
        juce::String tag, key;
        int parameterNumber;
    };
    std::vector<Element> elements;
    std::vector<juce::String> parameterKeys;
    std::unique_ptr<juce::XmlElement> automation, keyMap;

    void handleElement (const juce::XmlElement& element, const juce::String& key, int parameterNumber, int) override
    {
        elements.push_back ({ element.getTagName(), key, parameterNumber });
        if (element.getTagName().equalsIgnoreCase ("parameter"))
            parameterKeys.push_back (key);
    }
    void endContainer (const juce::XmlElement&, int) override {}
    void handleKeyMap (const juce::XmlElement& element) override
    {
        keyMap = std::make_unique<juce::XmlElement> (element);
    }
    void handleAutomation (const juce::XmlElement& element) override
    {
        automation = std::make_unique<juce::XmlElement> (element);
    }
    void handleTour (const juce::XmlElement&) override {}
};
} // namespace

TEST (GuiDocument, ShippedDocumentDefinesTheFortyOneParametersInNumberOrder)
{
    RecordingHandler handler;
    XmlDecoder decoder (handler);
    ASSERT_TRUE (decoder.walk (getXmlConfiguration(), 0));

    ASSERT_EQ (handler.parameterKeys.size(), (size_t) Param::count);
    for (int n = 0; n < Param::count; ++n)
        EXPECT_EQ (handler.parameterKeys[(size_t) n], juce::String (Param::keys[(size_t) n].data())) << n;
}
