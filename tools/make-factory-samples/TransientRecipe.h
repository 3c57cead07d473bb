#pragma once

#include <cstdint>
#include <vector>

// The recipe of one factory attack sample: up to three layers mixed and normalised. A layer
// whose gain is 0 is left out.

// Noise through a high-pass and a low-pass, with a linear attack and an exponential decay;
// `bursts` > 1 repeats the burst `gapMs` apart (claps), each one quieter.
struct NoiseLayer
{
    double gain = 0.0;
    double highpassHz = 20.0;
    double lowpassHz = 18000.0;
    double attackMs = 0.1;
    double decayMs = 10.0;
    int bursts = 1;
    double gapMs = 0.0;
};

// A sine whose pitch glides exponentially from `startHz` towards `endHz`.
struct ToneLayer
{
    double gain = 0.0;
    double startHz = 1000.0;
    double endHz = 1000.0;
    double sweepMs = 1.0;
    double decayMs = 10.0;
};

// A raised-cosine pulse, heard directly and through a ringing band-pass.
struct ClickLayer
{
    double gain = 0.0;
    double widthMs = 0.2;
    double ringHz = 3000.0;
    double ringQ = 4.0;
    double ringGain = 0.0;
};

struct SampleRecipe
{
    const char* name;
    double lengthMs;
    std::uint64_t seed;
    NoiseLayer noise{};
    ToneLayer tone{};
    ClickLayer click{};
};

struct BankRecipe
{
    const char* name;
    double sampleRate;
    int bitsPerSample;
    int channels; // 2 gives a slightly different noise on the right
    std::vector<SampleRecipe> samples;
};
