#include "support/XmlParsing.h"

#include <gtest/gtest.h>

TEST (XmlParsing, MeasuresNestingThroughCommentsCdataAndQuotedValues)
{
    struct Case
    {
        const char* text;
        int depth;
    };
    const Case cases[]{
        { "<a/>", 0 },
        { "<a></a>", 1 },
        { "<?xml version=\"1.0\"?><a><b><c/></b></a>", 2 },
        { "<a><!-- <b><c><d> --><b x=\"<q>\" y='/>'>text</b></a>", 2 },
        { "<a><![CDATA[<b><c><d>]]></a>", 1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ (measureXmlNesting (c.text), c.depth) << c.text;
}

TEST (XmlParsing, RefusesDocumentsNestedBeyondTheLimitWithoutRecursing)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ (parseXmlSafely (juce::String (deep)), nullptr);

    juce::String shallow = "<root>";
    for (int i = 0; i < 100; ++i)
        shallow << "<a>";
    for (int i = 0; i < 100; ++i)
        shallow << "</a>";
    shallow << "</root>";
    EXPECT_NE (parseXmlSafely (shallow), nullptr);
}

// JUCE's parser loops for ever on an instruction followed by text inside an element; the
// prolog's declaration is still read.
TEST (XmlParsing, RefusesProcessingInstructionsInsideElements)
{
    struct Case
    {
        const char* text;
        bool parses;
    };
    const Case cases[]{
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>b</a>", true },
        { "<a><?x?>b</a>", false },
        { "<a><b/><?x?><c/></a>", false },
        { "<!-- <?x?> --><?y?>\n<a>b</a>", true },
        { "<a><f<?x?>\"?>b</a>", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ (parseXmlSafely (c.text) != nullptr, c.parses) << c.text;
}

// JUCE's parser reads on past a stray quote or an entity it does not know, and can then
// recurse into elements a looser scan took for an attribute value. Such text is refused
// whatever its nesting; what JUCE's writer produces is read.
TEST (XmlParsing, RefusesTextThatLeavesPlainXml)
{
    std::string hidden;
    for (int i = 0; i < 100000; ++i)
        hidden += "<b>";

    struct Case
    {
        std::string text;
        bool parses;
    };
    const Case cases[]{
        { "<r><a '" + hidden + "</r>", false },
        { "<r><a x=y \"" + hidden + "\"/></r>", false },
        { "<r><a x=\"&z\" y='; \" > " + hidden + "'/></r>", false },
        { "<r>&z<a y='; " + hidden + "'/></r>", false },
        { "<r><a x=\"&#1\" y='\" > " + hidden + "'/></r>", false },
        { "<!DOCTYPE r [<!ENTITY e \"<b/>\">]><r>&e;</r>", false },
        { "<r x=\"a &amp; &LT;b&gt; &quot;&apos; &#65;&#x1F600;\">&amp;&#10;<![CDATA[&z <b]]></r>", true },
        { "<r>&#0;</r>", false },
        { "<r>&#xD800;</r>", false },
        { "<r>&#x110000;</r>", false },
        { "<r><a></r>", false },
        { "<r>text", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ (parseXmlSafely (juce::String (c.text)) != nullptr, c.parses) << c.text.substr (0, 60);

    auto element = std::make_unique<juce::XmlElement> ("VELLMARK");
    element->setAttribute ("name", "Kick & \"Snare\" <1> 'é'\t\n");
    element->createNewChildElement ("data")->addTextElement ("a < b & c > d ]]>");
    const auto text = element->toString();
    const auto parsed = parseXmlSafely (text);
    ASSERT_NE (parsed, nullptr) << text;
    EXPECT_TRUE (parsed->isEquivalentTo (element.get(), false));
}
