#pragma once

#include "engine/dsp/Biquad.h"
#include "engine/dsp/Lanes.h"

// Four independent biquads in lock step, one per lane. Each lane does exactly what Biquad
// does, in the same order, so results are bit-identical; the four run as single vector
// operations. Coefficients and state are separate values, so that a loop can keep the
// state in registers and read the coefficients from memory.
class BiquadBank
{
public:
    static constexpr int lanes = 4;
    using Frame = Lanes;

    struct Coefficients
    {
        Frame b0{}, b1{}, b2{}, a1{}, a2{};

        void set (int lane, const BiquadCoefficients& c) noexcept
        {
            b0[lane] = c.b0;
            b1[lane] = c.b1;
            b2[lane] = c.b2;
            a1[lane] = c.a1;
            a2[lane] = c.a2;
        }
    };

    struct State
    {
        Frame x1{}, x2{}, y1{}, y2{};
    };

    [[nodiscard]] static Frame process (const Coefficients& c, State& s, Frame x) noexcept
    {
        const Frame y = c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = y;
        return y;
    }

    [[nodiscard]] Frame process (Frame x) noexcept { return process (coefficients, state, x); }

    void clear() noexcept { *this = {}; }
    void setCoefficients (int lane, const BiquadCoefficients& c) noexcept { coefficients.set (lane, c); }

    // One lane takes a single filter's coefficients and state, or hands its state back.
    void load (int lane, const Biquad& filter) noexcept
    {
        setCoefficients (lane, filter.getCoefficients());
        const auto s = filter.getState();
        state.x1[lane] = s.x1;
        state.x2[lane] = s.x2;
        state.y1[lane] = s.y1;
        state.y2[lane] = s.y2;
    }

    void store (int lane, Biquad& filter) const noexcept
    {
        filter.setState ({ state.x1[lane], state.x2[lane], state.y1[lane], state.y2[lane] });
    }

    // Lane `to` takes lane `from` of another bank: coefficients and state.
    void copyLane (const BiquadBank& other, int from, int to) noexcept
    {
        for (Frame Coefficients::*field :
             { &Coefficients::b0, &Coefficients::b1, &Coefficients::b2, &Coefficients::a1, &Coefficients::a2 })
            (coefficients.*field)[to] = (other.coefficients.*field)[from];
        for (Frame State::*field : { &State::x1, &State::x2, &State::y1, &State::y2 })
            (state.*field)[to] = (other.state.*field)[from];
    }
    void copyLane (const BiquadBank& other, int lane) noexcept { copyLane (other, lane, lane); }

    Coefficients coefficients;
    State state;
};
