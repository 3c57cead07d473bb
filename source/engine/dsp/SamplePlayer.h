#pragma once

#include "engine/LiveSample.h"
#include "engine/dsp/Biquad.h"
#include "engine/dsp/BiquadDesign.h"

#include <algorithm>

// One attack layer inside a voice: steps through its live sample by the pitch ratio (no
// interpolation: the audio is already at the synthesiser's rate), high-passes it and
// fades it out linearly over the decay time; solo plays the raw sample instead.
class SamplePlayer
{
public:
    struct Settings
    {
        bool plays = false;
        bool solo = false;
        float decayMs = 0.0f;
        float gain = 0.0f;
    };

    void clear() noexcept
    {
        left.clear();
        right.clear();
        position = 0.0;
    }

    // Once per render call: the cutoff, limited to sampleRate / 2.2, and the audio the
    // live sample publishes now.
    void prepare (float cutoff, double sampleRate, const LiveSample& sample) noexcept
    {
        prepare (filterFor (cutoff, sampleRate), sample);
    }

    [[nodiscard]] static BiquadCoefficients filterFor (float cutoff, double sampleRate) noexcept
    {
        const float limited = std::min (cutoff, (float) sampleRate * 0.454545438f);
        return BiquadDesign::highPass (limited, sampleRate);
    }

    void prepare (const BiquadCoefficients& coefficients, const LiveSample& sample) noexcept
    {
        left.setCoefficients (coefficients);
        right.setCoefficients (coefficients);
        audioLeft = sample.getLeft();
        audioRight = sample.getRight();
        length = audioLeft != nullptr && audioRight != nullptr ? (double) sample.getLength() : 0.0;
    }

    // Adds this sample's contribution to the destination pair; t is the time since note
    // start after this sample's advance (ms).
    void render (const Settings& settings, float t, float& destinationLeft, float& destinationRight) noexcept
    {
        if (! settings.plays || ! (position < length))
            return;

        const auto index = (size_t) position;
        if (settings.solo)
        {
            destinationLeft += audioLeft[index] * settings.gain * 0.9f;
            destinationRight += audioRight[index] * settings.gain * 0.9f;
            return;
        }

        const float hl = left.process (audioLeft[index]);
        const float hr = right.process (audioRight[index]);
        const float envelope = t > settings.decayMs ? 0.0f : 1.0f - t / settings.decayMs;
        destinationLeft += hl * envelope * settings.gain;
        destinationRight += hr * envelope * settings.gain;
    }

    void advance (double pitchRatio) noexcept { position += pitchRatio; }

    // For running both layers' filters as one bank (AttackLayerBank).
    [[nodiscard]] double getPosition() const noexcept { return position; }
    void setPosition (double newPosition) noexcept { position = newPosition; }
    [[nodiscard]] double getLength() const noexcept { return length; }
    [[nodiscard]] const float* getAudio (int channel) const noexcept { return channel == 0 ? audioLeft : audioRight; }
    [[nodiscard]] Biquad& getFilter (int channel) noexcept { return channel == 0 ? left : right; }

private:
    Biquad left, right;
    double position = 0.0;
    const float* audioLeft = nullptr;
    const float* audioRight = nullptr;
    double length = 0.0;
};
