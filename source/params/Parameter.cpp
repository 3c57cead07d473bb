#include "params/Parameter.h"

#include <cmath>

void FloatParameter::setFromString (const juce::String& text)
{
    // JUCE's parser accepts "nan" and "inf"; they are not numbers a value can hold, so
    // they read as 0 like any other non-numeric text.
    const auto parsed = text.getDoubleValue();
    const auto asFloat = static_cast<float> (parsed);
    value.store (std::isfinite (asFloat) ? asFloat : 0.0f, std::memory_order_relaxed);
}

juce::String FloatParameter::toString() const { return juce::String (value.load (std::memory_order_relaxed)); }
