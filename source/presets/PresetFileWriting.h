#pragma once

#include <juce_core/juce_core.h>

// Whether a preset may be written at this path: an existing folder with write access that
// holds either no such file or a plain file with write access. Unlike
// juce::File::hasWriteAccess, a file in a missing sub-folder does not count as writable.
[[nodiscard]] bool canWritePresetFile (const juce::File& file);

// Writes the text with CR LF line ends into a hidden temporary file beside the target and
// renames it over the target, so a failure never leaves a half-written preset behind.
[[nodiscard]] bool replaceFileTextSafely (const juce::File& file, const juce::String& text);

// The document as preset file text: XML header with UTF-8 encoding, CR LF line ends.
[[nodiscard]] juce::String createPresetDocumentText (const juce::XmlElement& document);
