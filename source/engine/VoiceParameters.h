#pragma once

#include "params/ProcessorParameterStore.h"

#include <algorithm>
#include <array>
#include <cmath>

// How a voice reads the parameter store: live voices through the per-block ramps, offline
// voices the plain values. Every value is confined to a wide but finite range (a value
// that is not a number reads as 0), so that no stored value, however far out of range,
// can carry a formula past the float range. The bounds lie far beyond every range the
// editor offers, so values in range pass unchanged.
class VoiceParameters
{
public:
    VoiceParameters (ProcessorParameterStore& s, bool live) noexcept
        : store (s)
        , isLive (live)
    {
    }

    [[nodiscard]] float plain (Param::Number n) const noexcept { return confine (n, store.getValue (n)); }

    [[nodiscard]] float ramped (Param::Number n, int sampleIndex) const noexcept
    {
        return confine (n, isLive ? store.getRampedValue (n, sampleIndex) : store.getValue (n));
    }

    [[nodiscard]] bool plainIsOn (Param::Number n) const noexcept { return store.getValue (n) > 0.5f; }

    [[nodiscard]] static float confine (Param::Number n, float value) noexcept
    {
        if (std::isnan (value))
            return 0.0f;
        const float bound = bounds[(size_t) n];
        return value < -bound ? -bound : (value > bound ? bound : value);
    }

    [[nodiscard]] ProcessorParameterStore& getStore() const noexcept { return store; }
    [[nodiscard]] bool readsRamps() const noexcept { return isLive; }

private:
    static constexpr float anyTime = 1.0e7f;      // ms
    static constexpr float anyFrequency = 1.0e6f; // Hz
    static constexpr float anyGain = 1.0e3f;      // linear
    static constexpr float anyLevel = 120.0f;     // dB
    static constexpr float anyFactor = 1.0e3f;
    static constexpr float anySwitch = 1.0e3f;

    // By parameter number.
    static constexpr std::array<float, Param::count> bounds{
        anySwitch,    anyFrequency, anyTime,      anyGain,   // attack_solo .. attack_gain
        anySwitch,    anyFrequency, anyTime,      anyGain,   // attack2_solo .. attack2_gain
        anySwitch,    anySwitch,    anySwitch,    anySwitch, // enables, body_body, body_splitattack
        anyTime,      anyTime,      anyTime,                 // body_attack, body_hold, body_decay
        anyFrequency, anyFactor,    anySwitch,               // body_deep, body_curve, body_mode
        anyFrequency, anyTime,      anyFrequency,            // body_start, body_pitchdecay, body_end
        anyTime,      anyTime,      anyFactor,    anyFactor, // tweaks_time, _width, _cut, _punch
        anyFactor,    anyFactor,                             // tweaks_attack2pitch, tweaks_attackpitch (semitones)
        anyGain,      1.0e6f,       anyFrequency,            // tweaks_bodygain, _toughchirp, _hpf
        1.0e4f,       anySwitch,                             // tweaks_velsens (%), tweaks_midikeys
        anyLevel,     anyFrequency, anyLevel,                // tweaks_eqgain, _eqfreq, _hishelf
        anySwitch,    anyFactor,    1.0e6f,                  // waveform_drivemode, _drive, _phase
        anyGain,      anySwitch,    anySwitch,               // master_level, master_oneshot, master_autoplay
    };

    ProcessorParameterStore& store;
    const bool isLive;
};

// One ramped parameter over one render call. A ramp that is flat across the call (the
// usual case: nobody turned the knob) is read once; as every ramp value is the rounded
// start + k x step, equal first and last values mean equal values in between. Offline
// voices read the plain value once per render call.
class CallRamp
{
public:
    void prepare (const VoiceParameters& p, Param::Number n, int first, int last) noexcept
    {
        number = n;
        value = p.ramped (n, first);
        varies = p.readsRamps() && p.ramped (n, last) != value;
    }

    [[nodiscard]] float at (const VoiceParameters& p, int sampleIndex) const noexcept
    {
        return varies ? p.ramped (number, sampleIndex) : value;
    }

    // The values of `count` samples from `first` on.
    void fill (const VoiceParameters& p, int first, int count, float* destination) const noexcept
    {
        if (varies)
            for (int k = 0; k < count; ++k)
                destination[k] = p.ramped (number, first + k);
        else
            std::fill (destination, destination + count, value);
    }

    [[nodiscard]] bool isSteady() const noexcept { return ! varies; }
    [[nodiscard]] float getFirstValue() const noexcept { return value; }

private:
    Param::Number number = Param::attackSolo;
    float value = 0.0f;
    bool varies = false;
};
