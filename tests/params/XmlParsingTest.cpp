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
        { "<a x=\"<?x?>\">b</a>", true },
        { "<a><!-- <?x?> -->b</a>", true },
    };
    for (const auto& c : cases)
        EXPECT_EQ (parseXmlSafely (c.text) != nullptr, c.parses) << c.text;
}
