#pragma once

#include "host/TestHost.h"

#include <juce_core/juce_core.h>

// How each format's host state carries the plug-in's own blob: VST3 as the base64 text of
// the component state inside JUCE's host document, LV2 as the base64 text of the plug-in's
// state property inside the saved preset.
[[nodiscard]] juce::MemoryBlock pluginBlobOf (PluginFormatKind kind, const juce::MemoryBlock& hostState);

// A copy of `hostState` that carries `pluginBlob` instead.
[[nodiscard]] juce::MemoryBlock withPluginBlob (PluginFormatKind kind, const juce::MemoryBlock& hostState,
                                                const juce::MemoryBlock& pluginBlob);
