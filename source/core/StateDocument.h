#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class ProcessorParameterStore;

inline constexpr const char* pluginVersionText = "1.9.7";
inline constexpr const char* pluginNameText = "Thud Mor";

// The whole state as a VELLMARK document: every parameter, a copy of the non-parameter
// data and the info element (version, compatibility mode, plug-in name).
std::unique_ptr<juce::XmlElement> createStateDocument (const ProcessorParameterStore& store);

// JUCE's binary XML container: "VC2!", a 32-bit little-endian text length, the text, a
// zero byte.
void writeStateBlob (const juce::XmlElement& document, juce::MemoryBlock& destination);

// Null for a blob shorter than 9 bytes, of another magic, with a length of 0 or less, or
// whose text does not parse; a length beyond the data is limited to the data.
std::unique_ptr<juce::XmlElement> readStateBlob (const void* data, int sizeInBytes);
