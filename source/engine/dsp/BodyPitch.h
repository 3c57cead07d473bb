#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// The body's pitch models: ORIG sweeps from the start to the end frequency along a power
// curve; TOUGH falls along an exponential from start / 6.5 while a fast "chirp" factor
// falls from 6.5 to 1, so that the kick still opens at the start frequency. "Deep" adds a
// linear drop over the kick's length.
namespace BodyPitch
{
// ORIG at time t (ms): start + (end - start) * (t / T)^curve until T, then end. A sweep
// time of zero or below has no curve: the end frequency throughout; a curve below zero
// is treated as 0, the limit where the pitch sits at the end frequency at once (a
// negative power of t / T would start the sweep at an infinite frequency).
[[nodiscard]] inline double orig (double t, double start, double end, double sweepMs, float curve) noexcept
{
    if (! (sweepMs > 0.0) || t > sweepMs)
        return end;
    const float position = (float) (t / sweepMs);
    const float shape = std::pow (position, std::max (curve, 0.0f));
    return start + (end - start) * (double) shape;
}

// The linear extra drop: deep * t / w during the kick's length w, then deep.
[[nodiscard]] inline double deepDrop (double deep, double t, double noteLength) noexcept
{
    // Divides either way, so that a loop of these runs as vector operations.
    const double during = deep * t / noteLength;
    return t <= noteLength ? during : deep;
}

class Tough
{
public:
    // Set up at note start from the sample rate, start and end frequency, sweep time (ms),
    // curve and chirp length factor.
    void start (double sampleRate, double startHz, double endHz, double sweepMs, double curve, double chirp) noexcept
    {
        curveLength = toCount (0.004 * sampleRate * sweepMs);
        chirpLength = toCount (0.15 * sampleRate * chirp);

        // The curve's exponent; it is 0 only at curve 1.25, far outside the knob's range,
        // where the exponential flattens into a line: a tiny exponent keeps that shape
        // without a division by zero. Beyond +-700 e^x leaves the double range.
        double x = std::clamp (16.0 * curve - 20.0, -700.0, 700.0);
        if (std::abs (x) < 1.0e-9)
            x = -1.0e-9;

        floor = startHz * 0.15384615384615385;
        span = (endHz - floor) / (1.0 - std::exp (x));
        end = endHz;
        curveTerm = span;
        curveMultiplier = curveLength > 0 ? std::exp (x / (double) curveLength) : 1.0;
        chirpTerm = -5.5;
        chirpMultiplier = chirpLength > 0 ? std::exp (-40.0 / (double) chirpLength) : 1.0;
        counter = 0;
    }

    double next() noexcept
    {
        double base = end;
        if (counter < curveLength)
        {
            curveTerm *= curveMultiplier;
            base = floor + span - curveTerm;
        }
        double chirp = 1.0;
        if (counter < chirpLength)
        {
            chirpTerm *= chirpMultiplier;
            chirp = 1.0 - chirpTerm;
        }
        ++counter;
        return chirp * base;
    }

private:
    [[nodiscard]] static std::int64_t toCount (double samples) noexcept
    {
        return std::isnan (samples) ? 0 : (std::int64_t) std::clamp (std::trunc (samples), -1.0e15, 1.0e15);
    }

    std::int64_t curveLength = 0, chirpLength = 0, counter = 0;
    double floor = 0.0, span = 0.0, end = 0.0;
    double curveTerm = 0.0, curveMultiplier = 1.0;
    double chirpTerm = -5.5, chirpMultiplier = 1.0;
};

// The frequency-dependent high-pass limit on the body's amplitude: 1 - 1 / (r^8 + 1) with
// r = f / limit, 0.5 at the limit and about 0.004 an octave below. A limit of 0 is off.
[[nodiscard]] inline float highPassLimitGain (double frequency, double limit) noexcept
{
    if (limit == 0.0)
        return 1.0f;
    const float r = (float) (frequency / limit);
    const float r2 = r * r;
    const float r4 = r2 * r2;
    return 1.0f - 1.0f / (r4 * r4 + 1.0f);
}
} // namespace BodyPitch
