#pragma once

// Second-order section with single-precision coefficients (already divided by a0) and
// state, in direct form I: the form whose rounding the kick's filters are defined by.
struct BiquadCoefficients
{
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;

    [[nodiscard]] static constexpr BiquadCoefficients identity() noexcept { return { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f }; }
};

class Biquad
{
public:
    void setCoefficients (const BiquadCoefficients& c) noexcept { coefficients = c; }
    [[nodiscard]] const BiquadCoefficients& getCoefficients() const noexcept { return coefficients; }

    // Coefficients and state to zero, as at the start of a note.
    void clear() noexcept
    {
        coefficients = {};
        reset();
    }

    void reset() noexcept { x1 = x2 = y1 = y2 = 0.0f; }

    // The last two inputs and outputs, so that a bank of filters can take this one's place
    // for a stretch of samples and hand its state back.
    struct State
    {
        float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    };
    [[nodiscard]] State getState() const noexcept { return { x1, x2, y1, y2 }; }
    void setState (const State& s) noexcept
    {
        x1 = s.x1;
        x2 = s.x2;
        y1 = s.y1;
        y2 = s.y2;
    }

    float process (float x) noexcept
    {
        const auto& c = coefficients;
        const float y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    BiquadCoefficients coefficients;
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};
