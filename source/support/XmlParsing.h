#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// Deepest element nesting accepted from any document the plug-in reads. JUCE's parser
// recurses once per level, so an unchecked document nested a hundred thousand levels deep
// (a damaged or hostile state blob) would exhaust the stack of the host's thread.
inline constexpr int maximumXmlNesting = 512;

// Most attributes accepted in one document. JUCE pools every distinct attribute name
// process-wide in a sorted array, so each new name costs a move of all the names before it:
// a damaged state of a million distinct names would keep the host's thread busy for many
// seconds. Real states, presets and the GUI document hold at most a few thousand.
inline constexpr int maximumXmlAttributes = 16384;

// Largest element nesting found in the text by a walk that follows comments, CDATA,
// processing instructions, quoted attribute values and entities as JUCE's parser does.
[[nodiscard]] int measureXmlNesting (const juce::String& text);

// Attribute values found in tags by the same walk.
[[nodiscard]] int countXmlAttributes (const juce::String& text);

// juce::XmlDocument::parse, refusing (null) text nested deeper than maximumXmlNesting,
// holding more than maximumXmlAttributes attributes, or leaving the plain XML that every
// document the plug-in reads is written in (no DOCTYPE, instructions only ahead of the root,
// no unknown entities, every tag well formed). JUCE's parser reads on past such faults and
// can then find nesting the walk never measured, or never return.
[[nodiscard]] std::unique_ptr<juce::XmlElement> parseXmlSafely (const juce::String& text);

// The same for a file; null when it cannot be read, is nested too deeply or does not parse.
[[nodiscard]] std::unique_ptr<juce::XmlElement> parseXmlFileSafely (const juce::File& file);
