#include "TransientSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{
using Signal = std::vector<double>;

constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr double outputPeak = 0.8912509381337456; // -1 dBFS
constexpr double fadeOutMs = 3.0;

// SplitMix64: tiny, fast and the same everywhere, unlike the standard library's
// distributions, whose output may differ between library versions.
class NoiseGenerator
{
public:
    explicit NoiseGenerator (std::uint64_t seed)
        : state (seed)
    {
    }

    double next() // uniform in [-1, 1)
    {
        state += 0x9e3779b97f4a7c15ull;
        auto z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        z ^= z >> 31;
        return (double) (z >> 11) * 0x1.0p-52 - 1.0;
    }

private:
    std::uint64_t state;
};

// Second-order sections from the usual cookbook formulas.
class Biquad
{
public:
    enum class Type
    {
        lowpass,
        highpass,
        bandpass
    };

    Biquad (Type type, double frequency, double q, double sampleRate)
    {
        const auto w0 = twoPi * std::min (frequency, sampleRate * 0.45) / sampleRate;
        const auto cosW = std::cos (w0);
        const auto alpha = std::sin (w0) / (2.0 * q);
        const auto a0 = 1.0 + alpha;

        switch (type)
        {
            case Type::lowpass: setNumerator ((1.0 - cosW) / 2.0, 1.0 - cosW, (1.0 - cosW) / 2.0); break;
            case Type::highpass: setNumerator ((1.0 + cosW) / 2.0, -(1.0 + cosW), (1.0 + cosW) / 2.0); break;
            case Type::bandpass: setNumerator (alpha, 0.0, -alpha); break;
        }

        b0 /= a0;
        b1 /= a0;
        b2 /= a0;
        a1 = -2.0 * cosW / a0;
        a2 = (1.0 - alpha) / a0;
    }

    void process (Signal& signal)
    {
        for (auto& x : signal)
        {
            const auto y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            x = y;
        }
    }

private:
    void setNumerator (double n0, double n1, double n2)
    {
        b0 = n0;
        b1 = n1;
        b2 = n2;
    }

    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

constexpr double butterworthQ = 0.7071067811865476;

double peakOf (const Signal& signal)
{
    double peak = 0.0;
    for (const auto x : signal)
        peak = std::max (peak, std::abs (x));
    return peak;
}

void addScaledToPeak (Signal& mix, const Signal& layer, double gain)
{
    const auto peak = peakOf (layer);
    if (peak <= 0.0)
        return;
    for (size_t i = 0; i < mix.size(); ++i)
        mix[i] += layer[i] * gain / peak;
}

Signal renderNoise (const NoiseLayer& layer, std::uint64_t seed, size_t length, double sampleRate)
{
    NoiseGenerator generator (seed);
    Signal noise (length);
    for (auto& x : noise)
        x = generator.next();

    Biquad (Biquad::Type::highpass, layer.highpassHz, butterworthQ, sampleRate).process (noise);
    Biquad (Biquad::Type::lowpass, layer.lowpassHz, butterworthQ, sampleRate).process (noise);

    const auto msPerSample = 1000.0 / sampleRate;
    for (size_t i = 0; i < length; ++i)
    {
        const auto t = (double) i * msPerSample;
        double envelope = 0.0;
        double burstLevel = 1.0;
        for (int burst = 0; burst < std::max (1, layer.bursts); ++burst, burstLevel *= 0.8)
        {
            const auto local = t - burst * layer.gapMs;
            if (local < 0.0)
                break;
            envelope += burstLevel
                        * (local < layer.attackMs ? local / layer.attackMs
                                                  : std::exp (-(local - layer.attackMs) / layer.decayMs));
        }
        noise[i] *= envelope;
    }
    return noise;
}

Signal renderTone (const ToneLayer& layer, size_t length, double sampleRate)
{
    Signal tone (length);
    const auto msPerSample = 1000.0 / sampleRate;
    double phase = 0.0;
    for (size_t i = 0; i < length; ++i)
    {
        const auto t = (double) i * msPerSample;
        const auto frequency = layer.endHz + (layer.startHz - layer.endHz) * std::exp (-t / layer.sweepMs);
        tone[i] = std::sin (phase) * std::exp (-t / layer.decayMs);
        phase = std::fmod (phase + twoPi * frequency / sampleRate, twoPi);
    }
    return tone;
}

Signal renderClick (const ClickLayer& layer, size_t length, double sampleRate)
{
    Signal pulse (length, 0.0);
    const auto width = std::max<size_t> (2, (size_t) std::lround (layer.widthMs * sampleRate * 0.001));
    for (size_t i = 0; i <= width && i < length; ++i)
        pulse[i] = 0.5 * (1.0 - std::cos (twoPi * (double) i / (double) width));

    Signal click (length, 0.0);
    addScaledToPeak (click, pulse, 1.0);
    if (layer.ringGain > 0.0)
    {
        auto ring = pulse;
        Biquad (Biquad::Type::bandpass, layer.ringHz, layer.ringQ, sampleRate).process (ring);
        addScaledToPeak (click, ring, layer.ringGain);
    }
    return click;
}

Signal renderChannel (const SampleRecipe& recipe, size_t length, double sampleRate, int channel)
{
    Signal mix (length, 0.0);
    if (recipe.noise.gain > 0.0)
        addScaledToPeak (mix, renderNoise (recipe.noise, recipe.seed * 2 + (std::uint64_t) channel, length, sampleRate),
                         recipe.noise.gain);
    if (recipe.tone.gain > 0.0)
        addScaledToPeak (mix, renderTone (recipe.tone, length, sampleRate), recipe.tone.gain);
    if (recipe.click.gain > 0.0)
        addScaledToPeak (mix, renderClick (recipe.click, length, sampleRate), recipe.click.gain);

    // A one-pole DC blocker at about 30 Hz: a click's pulse is one-sided.
    const auto pole = std::exp (-twoPi * 30.0 / sampleRate);
    double previousIn = 0.0, previousOut = 0.0;
    for (auto& x : mix)
    {
        const auto y = x - previousIn + pole * previousOut;
        previousIn = x;
        previousOut = y;
        x = y;
    }

    const auto fadeLength = std::min (length, (size_t) (fadeOutMs * sampleRate * 0.001));
    for (size_t i = 0; i < fadeLength; ++i)
        mix[length - 1 - i] *= 0.5 * (1.0 - std::cos (std::numbers::pi * (double) i / (double) fadeLength));
    return mix;
}
} // namespace

juce::AudioBuffer<float> renderTransient (const SampleRecipe& recipe, double sampleRate, int channels)
{
    const auto length = (size_t) std::lround (recipe.lengthMs * sampleRate * 0.001);
    std::vector<Signal> rendered;
    double peak = 0.0;
    for (int channel = 0; channel < channels; ++channel)
    {
        rendered.push_back (renderChannel (recipe, length, sampleRate, channel));
        peak = std::max (peak, peakOf (rendered.back()));
    }

    juce::AudioBuffer<float> audio (channels, (int) length);
    const auto gain = peak > 0.0 ? outputPeak / peak : 0.0;
    for (int channel = 0; channel < channels; ++channel)
        for (size_t i = 0; i < length; ++i)
            audio.setSample (channel, (int) i, (float) (rendered[(size_t) channel][i] * gain));
    return audio;
}
