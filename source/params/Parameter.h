#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

// Text access to one stored value (presets, host state).
class Parameter
{
public:
    virtual ~Parameter() = default;
    virtual void setFromString (const juce::String& text) = 0;
    [[nodiscard]] virtual juce::String toString() const = 0;
};

// A parameter whose value is one float in the processor store.
class FloatParameter final : public Parameter
{
public:
    explicit FloatParameter (std::atomic<float>& valueToUse)
        : value (valueToUse)
    {
    }

    // Non-numeric text reads as 0; no range check (a stored state keeps what it holds).
    void setFromString (const juce::String& text) override;

    // Six significant digits without trailing zeros: 0.5 -> "0.5", 150 -> "150".
    [[nodiscard]] juce::String toString() const override;

private:
    std::atomic<float>& value;
};
