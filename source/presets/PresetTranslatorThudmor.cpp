#include "presets/PresetTranslatorThudmor.h"

#include "params/ParameterNumbers.h"
#include "params/ProcessorParameterStore.h"

namespace
{
struct RangeChange
{
    Param::Number parameter;
    enum Field
    {
        minimum,
        maximum,
        skew
    } field;
    float mode1;
    float mode2;
};

// Ranges that differ between version 1.1 and 1.2; addressed by parameter number.
constexpr RangeChange compatibilityRanges[]{
    { Param::bodyHold, RangeChange::maximum, 500.0f, 1500.0f },  { Param::bodyHold, RangeChange::skew, 0.4f, 0.2f },
    { Param::bodyDecay, RangeChange::maximum, 600.0f, 3000.0f }, { Param::bodyDecay, RangeChange::skew, 0.4f, 0.35f },
    { Param::attackGain, RangeChange::maximum, 2.0f, 4.0f },     { Param::attackGain, RangeChange::skew, 1.0f, 0.5f },
    { Param::tweaksWidth, RangeChange::minimum, 10.0f, 2.5f },
};
} // namespace

PresetTranslatorThudmor::PresetTranslatorThudmor()
    : PresetVersionTranslator ("Thudmor Version 1.2 translator")
{
}

std::unique_ptr<juce::XmlElement> PresetTranslatorThudmor::getLegacyDefaultPreset()
{
    auto document = std::make_unique<juce::XmlElement> ("VELLMARK");

    auto* floats = document->createNewChildElement ("float");
    for (const auto* key : { "body_mode", "waveform_phase", "attack_solo", "attack2_solo", "waveform_drivemode" })
        floats->setAttribute (key, "0");
    floats->setAttribute ("tweaks_ampshape", "1");
    for (const auto* key : { "tweaks_hishelf", "tweaks_eqgain", "tweaks_punch" })
        floats->setAttribute (key, "0");

    auto* data = document->createNewChildElement ("data");
    data->createNewChildElement ("preset_name_all")->addTextElement ("No Name");

    auto* info = document->createNewChildElement ("info");
    info->setAttribute ("version", "1.2");
    info->setAttribute ("plugin", "Thud Mor");
    return document;
}

juce::StringArray PresetTranslatorThudmor::getCompatibilityModeNames() { return { "V1.1 Legacy", "V1.2" }; }

int PresetTranslatorThudmor::getLatestCompatibilityMode() { return latestCompatibilityMode; }

void PresetTranslatorThudmor::applyCompatibilityMode (int mode, ProcessorParameterStore& store)
{
    if (mode != 1 && mode != 2)
        return;

    for (const auto& change : compatibilityRanges)
    {
        if (change.parameter >= store.getNumBuiltParameters())
            continue;

        const auto value = mode == 1 ? change.mode1 : change.mode2;
        switch (change.field)
        {
            case RangeChange::minimum: store.setMinimum (change.parameter, value); break;
            case RangeChange::maximum: store.setMaximum (change.parameter, value); break;
            case RangeChange::skew: store.setSkew (change.parameter, value); break;
        }
    }
}
