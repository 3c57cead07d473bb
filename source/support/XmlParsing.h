#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// Deepest element nesting accepted from any document the plug-in reads. JUCE's parser
// recurses once per level, so an unchecked document nested a hundred thousand levels deep
// (a damaged or hostile state blob) would exhaust the stack of the host's thread.
inline constexpr int maximumXmlNesting = 512;

// Largest element nesting found in the text by a tag scan that follows comments, CDATA,
// processing instructions and quoted attribute values.
[[nodiscard]] int measureXmlNesting (const juce::String& text);

// juce::XmlDocument::parse, refusing (null) text nested deeper than maximumXmlNesting.
[[nodiscard]] std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text);

// The same for a file; null when it cannot be read, is nested too deeply or does not parse.
[[nodiscard]] std::unique_ptr<juce::XmlElement> parseXmlFileSafely (const juce::File& file);
