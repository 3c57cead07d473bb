#pragma once

#include <juce_core/juce_core.h>

// The GUI description document compiled into the plug-in: the parameter set and the whole
// editor layout. Both the processor and every editor build themselves from this text.
[[nodiscard]] juce::String getXmlConfiguration();
