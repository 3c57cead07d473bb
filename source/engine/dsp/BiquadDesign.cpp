#include "engine/dsp/BiquadDesign.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;

BiquadCoefficients normalise (double b0, double b1, double b2, double a0, double a1, double a2) noexcept
{
    const float reciprocal = 1.0f / (float) a0;
    const BiquadCoefficients c{ (float) b0 * reciprocal, (float) b1 * reciprocal, (float) b2 * reciprocal,
                                (float) a1 * reciprocal, (float) a2 * reciprocal };

    const bool finite = std::isfinite (c.b0) && std::isfinite (c.b1) && std::isfinite (c.b2) && std::isfinite (c.a1)
                        && std::isfinite (c.a2);
    return finite ? c : BiquadCoefficients::identity();
}
} // namespace

double BiquadDesign::shelfAmplitude (double gainDb) noexcept { return std::pow (2.0, gainDb * 0.083048202372184063); }

BiquadCoefficients BiquadDesign::highPass (double cutoff, double sampleRate) noexcept
{
    // Below zero the formula turns into an unstable resonator.
    if (! (cutoff > 0.0))
        return BiquadCoefficients::identity();

    const double w0 = twoPi * cutoff / sampleRate;
    const double s = std::sin (w0);
    const double c = std::cos (w0);
    const double alpha = s * 0.7142857142857143;
    return normalise ((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

BiquadCoefficients BiquadDesign::hiShelf (double gainDb, double sampleRate) noexcept
{
    const double a = shelfAmplitude (gainDb);
    const double w0 = twoPi * 2000.0 / sampleRate;
    const double c = std::cos (w0);
    const double beta = std::sqrt (a) * std::sin (w0) * 0.5;

    return normalise (a * ((a + 1.0) + (a - 1.0) * c + beta), -2.0 * a * ((a - 1.0) + (a + 1.0) * c),
                      a * ((a + 1.0) + (a - 1.0) * c - beta), (a + 1.0) - (a - 1.0) * c + beta,
                      2.0 * ((a - 1.0) - (a + 1.0) * c), (a + 1.0) - (a - 1.0) * c - beta);
}

BiquadCoefficients BiquadDesign::peaking (double gainDb, double frequency, double sampleRate) noexcept
{
    const double w0 = twoPi * frequency / sampleRate;
    const double s = std::sin (w0);
    // A negative frequency would make the bandwidth term negative and the filter unstable;
    // at sin w0 = 0 the bandwidth term is 0 / 0.
    if (! (frequency > 0.0) || s == 0.0)
        return BiquadCoefficients::identity();

    const double a = shelfAmplitude (gainDb);
    const double c = std::cos (w0);
    const double alpha = s * std::sinh (std::numbers::ln2 * w0 / s);
    return normalise (1.0 + alpha * a, -2.0 * c, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * c, 1.0 - alpha / a);
}
