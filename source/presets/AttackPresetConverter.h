#pragma once

#include "presets/PresetConverter.h"

// Lets one attack bank format serve both attack layers: banks are always stored with the
// first layer's keys. Loading keeps the layer enables and the first sample's pitch out of
// the processor; for the second layer it renames "attack_" keys to "attack2_", and saving
// renames them back.
class AttackPresetConverter final : public PresetConverter
{
public:
    explicit AttackPresetConverter (bool secondLayer)
        : isSecondLayer (secondLayer)
    {
    }

    [[nodiscard]] std::unique_ptr<juce::XmlElement> convertForLoad (const juce::XmlElement& element) override;
    [[nodiscard]] std::unique_ptr<juce::XmlElement> convertForSave (const juce::XmlElement& element) override;

    [[nodiscard]] bool servesSecondLayer() const noexcept { return isSecondLayer; }

private:
    const bool isSecondLayer;
};
