#pragma once

#include "engine/dsp/Biquad.h"
#include "engine/dsp/BiquadDesign.h"

// The fixed 2 kHz hi-shelf followed by the peaking mid EQ, one chain per output channel.
class OutputEqualiser
{
public:
    struct Coefficients
    {
        BiquadCoefficients shelf, mid;

        [[nodiscard]] static Coefficients design (double shelfDb, double midDb, double midFrequency,
                                                  double sampleRate) noexcept
        {
            return { BiquadDesign::hiShelf (shelfDb, sampleRate),
                     BiquadDesign::peaking (midDb, midFrequency, sampleRate) };
        }
    };

    void clear() noexcept
    {
        shelf.clear();
        mid.clear();
    }

    void setCoefficients (const Coefficients& c) noexcept
    {
        shelf.setCoefficients (c.shelf);
        mid.setCoefficients (c.mid);
    }

    float process (float x) noexcept { return mid.process (shelf.process (x)); }

private:
    Biquad shelf, mid;
};
