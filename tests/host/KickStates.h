#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

using ValueOverrides = std::vector<std::pair<std::string_view, float>>;

// A complete plug-in state document (VELLMARK): every parameter at its document default,
// then the overrides. With `withAttackSample`, both attack layers carry an embedded burst.
[[nodiscard]] std::unique_ptr<juce::XmlElement> makeKickState (const ValueOverrides& overrides,
                                                               bool withAttackSample = false);

// The plug-in's own blob form of a document: "VC2!", length, text, zero byte.
[[nodiscard]] juce::MemoryBlock makePluginBlob (const juce::XmlElement& document);

// A short bright burst as embedded WAV text (MemoryBlock base64 form).
[[nodiscard]] juce::String makeEmbeddedAttackSample();

// Writes the user's main preset "Default" below the current XDG_DATA_HOME: the document
// defaults with a few values changed, so that the defaults a host sees are known.
void writeUserDefaultPreset();

// The value the user default preset gives a key.
[[nodiscard]] float userDefaultValue (std::string_view key);
