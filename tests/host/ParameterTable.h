#pragma once

#include <array>
#include <cmath>
#include <string_view>

// The host's view of the plug-in's parameters, written out independently of the plug-in's
// own document: automation slot order, host names, ranges, document defaults and skews.
struct HostParameterRow
{
    std::string_view key;
    std::string_view hostName;
    float minimum;
    float maximum;
    float documentDefault;
    float skew;

    // ((v - min) / (max - min)) ^ skew, not clamped.
    [[nodiscard]] float normalise (float value) const
    {
        const auto linear = (value - minimum) / (maximum - minimum);
        return skew == 1.0f ? linear : std::pow (linear, skew);
    }

    [[nodiscard]] float denormalise (float normalised) const
    {
        if (skew != 1.0f && normalised > 0.0f)
            normalised = std::exp (std::log (normalised) / skew);
        return (maximum - minimum) * normalised + minimum;
    }
};

inline constexpr std::array<HostParameterRow, 34> hostParameterTable{ {
    { "attackoverlay_enable1", "Attack Enable", 0.0f, 1.0f, 1.0f, 1.0f },
    { "attack_highpass", "Attack HPF", 10.0f, 4000.0f, 150.0f, 0.5f },
    { "attack_decay", "Attack Decay", 1.0f, 800.0f, 40.0f, 0.25f },
    { "attack_gain", "Attack Gain", 0.0f, 4.0f, 1.0f, 0.5f },
    { "body_body", "Body Enable", 0.0f, 1.0f, 1.0f, 1.0f },
    { "body_attack", "Body Attack", 0.0f, 40.0f, 1.0f, 0.5f },
    { "body_hold", "Body Hold", 0.0f, 1500.0f, 50.0f, 0.2f },
    { "body_decay", "Body Decay", 15.0f, 5000.0f, 50.0f, 0.32f },
    { "body_deep", "Body Deep", 0.0f, 50.0f, 10.0f, 1.0f },
    { "body_curve", "Body Curve", 0.01f, 0.9f, 0.9f, 0.2f },
    { "body_start", "Body Pitch Start", 45.0f, 16000.0f, 500.0f, 0.5f },
    { "body_pitchdecay", "Body Pitch Decay", 1.0f, 200.0f, 10.0f, 0.4f },
    { "body_end", "Body Pitch End", 40.0f, 70.0f, 52.0f, 0.5f },
    { "tweaks_time", "Shaper A Position", 0.0f, 100.0f, 10.0f, 0.4f },
    { "tweaks_width", "Shaper A Width", 2.5f, 30.0f, 10.0f, 1.0f },
    { "tweaks_cut", "Shaper A Cut", 0.0f, 1.0f, 0.0f, 2.0f },
    { "waveform_drive", "Drive", 0.0f, 6.0f, 0.0f, 0.25f },
    { "tweaks_hpf", "High Pass", 0.0f, 50.0f, 30.0f, 1.0f },
    { "tweaks_attackpitch", "Sample Pitch", -24.0f, 24.0f, 0.0f, 1.0f },
    { "tweaks_velsens", "Vel Sens", 0.0f, 100.0f, 10.0f, 1.0f },
    { "tweaks_bodygain", "Body Gain", 0.0f, 2.0f, 1.0f, 0.5f },
    { "master_level", "Master Level", 0.0f, 2.0f, 0.5f, 0.5f },
    { "master_oneshot", "One Shot Enable", 0.0f, 1.0f, 1.0f, 1.0f },
    { "tweaks_punch", "Shaper B Punch", -1.0f, 1.0f, 0.0f, 1.0f },
    { "tweaks_toughchirp", "Tune Attack", 0.1f, 1.4f, 1.0f, 1.0f },
    { "tweaks_eqgain", "EQ Gain", -20.0f, 20.0f, 0.0f, 1.0f },
    { "tweaks_eqfreq", "EQ Frequency", 50.0f, 6000.0f, 500.0f, 0.4f },
    { "tweaks_hishelf", "EQ Hi Shelf", -12.0f, 12.0f, 0.0f, 1.0f },
    { "waveform_phase", "Phase", 0.0f, 1.0f, 0.0f, 1.0f },
    { "attackoverlay_enable2", "Attack Enable", 0.0f, 1.0f, 0.0f, 1.0f },
    { "attack2_highpass", "Attack HPF", 10.0f, 10000.0f, 150.0f, 0.5f },
    { "attack2_decay", "Attack Decay", 1.0f, 800.0f, 40.0f, 0.25f },
    { "attack2_gain", "Attack Gain", 0.0f, 4.0f, 1.0f, 0.5f },
    { "tweaks_attack2pitch", "Sample 2 Pitch", -24.0f, 24.0f, 0.0f, 1.0f },
} };

// Every restored state applies a compatibility mode; the latest one gives body_decay a range
// of its own, narrower than the document's.
[[nodiscard]] inline HostParameterRow withLatestCompatibilityRanges (HostParameterRow row)
{
    if (row.key == "body_decay")
    {
        row.maximum = 3000.0f;
        row.skew = 0.35f;
    }
    return row;
}

// The parameters the host never sees, with their document defaults.
struct HiddenParameterRow
{
    std::string_view key;
    float documentDefault;
};

inline constexpr std::array<HiddenParameterRow, 7> hiddenParameterTable{ {
    { "attack_solo", 0.0f },
    { "attack2_solo", 0.0f },
    { "body_splitattack", 0.0f },
    { "body_mode", 0.0f },
    { "tweaks_midikeys", 0.0f },
    { "waveform_drivemode", 0.0f },
    { "master_autoplay", 0.0f },
} };
