#pragma once

#include "engine/dsp/Biquad.h"

#include <array>

// Four independent biquads in lock step, one per lane. Each lane does exactly what Biquad
// does, in the same order, so results are bit-identical; written lane by lane, the four
// run as single vector operations.
class BiquadBank
{
public:
    static constexpr int lanes = 4;
    using Frame = std::array<float, lanes>;

    void clear() noexcept { *this = {}; }

    void setCoefficients (int lane, const BiquadCoefficients& c) noexcept
    {
        const auto l = (size_t) lane;
        b0[l] = c.b0;
        b1[l] = c.b1;
        b2[l] = c.b2;
        a1[l] = c.a1;
        a2[l] = c.a2;
    }

    // Takes one lane's coefficients and state from another bank.
    void copyLane (const BiquadBank& other, int lane) noexcept
    {
        const auto l = (size_t) lane;
        for (Frame BiquadBank::*field :
             { &BiquadBank::b0, &BiquadBank::b1, &BiquadBank::b2, &BiquadBank::a1, &BiquadBank::a2, &BiquadBank::x1,
               &BiquadBank::x2, &BiquadBank::y1, &BiquadBank::y2 })
            (this->*field)[l] = (other.*field)[l];
    }

    void process (Frame& io) noexcept
    {
        Frame y;
        for (size_t l = 0; l < lanes; ++l)
            y[l] = b0[l] * io[l] + b1[l] * x1[l] + b2[l] * x2[l] - a1[l] * y1[l] - a2[l] * y2[l];
        for (size_t l = 0; l < lanes; ++l)
        {
            x2[l] = x1[l];
            x1[l] = io[l];
            y2[l] = y1[l];
            y1[l] = y[l];
            io[l] = y[l];
        }
    }

private:
    alignas (16) Frame b0{}, b1{}, b2{}, a1{}, a2{};
    alignas (16) Frame x1{}, x2{}, y1{}, y2{};
};
