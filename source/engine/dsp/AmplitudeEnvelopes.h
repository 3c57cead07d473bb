#pragma once

#include <algorithm>
#include <climits>
#include <cmath>

// The body's two attack-hold-decay envelopes, one decaying exponentially (E), one
// linearly (F), and the crossfade between them that follows the kick's length.

// Stage lengths in samples, refreshed every 16 samples from the attack, hold and decay
// times so that turning a knob reaches a sounding kick.
struct EnvelopeLengths
{
    int attack = 0;
    int hold = 0;
    int decay = 0;

    // Truncates toward zero; lengths beyond the int range (absurd stored times) saturate.
    [[nodiscard]] static int toSamples (double milliseconds, double samplesPerMs) noexcept
    {
        const double samples = std::trunc (milliseconds * samplesPerMs);
        if (std::isnan (samples))
            return 0;
        return (int) std::clamp (samples, (double) INT_MIN, (double) INT_MAX);
    }

    [[nodiscard]] static EnvelopeLengths fromTimes (double attackMs, double holdMs, double decayMs,
                                                    double samplesPerMs) noexcept
    {
        return { toSamples (attackMs, samplesPerMs), toSamples (holdMs, samplesPerMs),
                 toSamples (decayMs, samplesPerMs) };
    }
};

enum class EnvelopeStage
{
    attack,
    hold,
    decay,
    end
};

// Shared attack and hold: a linear rise over the attack length, then full level for the
// hold length. An attack shorter than one sample is a step.
class AttackHold
{
public:
    void start() noexcept
    {
        stage = EnvelopeStage::attack;
        remainder = 1.0;
        attackRate = 0.0;
        holdCounter = 0;
    }

    void refreshAttack (int attackLength) noexcept
    {
        if (stage != EnvelopeStage::attack)
            return;
        if (attackLength >= 1)
        {
            attackRate = 1.0 / attackLength;
        }
        else
        {
            remainder = 0.0;
            attackRate = 0.0;
        }
    }

    // Advances the attack or hold stage; returns true when the hold has just ended.
    bool advance (double& value, int holdLength) noexcept
    {
        if (stage == EnvelopeStage::attack)
        {
            remainder -= attackRate;
            value = 1.0 - remainder;
            if (value >= 1.0)
            {
                stage = EnvelopeStage::hold;
                holdCounter = 0;
                value = 1.0;
            }
            return false;
        }
        ++holdCounter;
        value = 1.0;
        if (holdCounter >= holdLength)
        {
            stage = EnvelopeStage::decay;
            return true;
        }
        return false;
    }

    EnvelopeStage stage = EnvelopeStage::attack;

private:
    double remainder = 1.0;
    double attackRate = 0.0;
    int holdCounter = 0;
};

// E: falls from 1 to exactly 0 over its decay length along 1.1 * 11^(-n/N) - 0.1.
class ExponentialEnvelope
{
public:
    void start() noexcept
    {
        attackHold.start();
        decayValue = 1.1;
        multiplier = 0.0;
        value = 0.0;
    }

    void refresh (const EnvelopeLengths& lengths) noexcept
    {
        holdLength = lengths.hold;
        decayLength = lengths.decay;
        attackHold.refreshAttack (lengths.attack);
        if (attackHold.stage == EnvelopeStage::decay)
        {
            // The same length gives the same multiplier: the exponential runs only when the
            // decay knob moves.
            if (! refreshed || refreshedLength != decayLength)
            {
                refreshedMultiplier = decayMultiplier (std::log (0.1 / 1.1));
                refreshedLength = decayLength;
                refreshed = true;
            }
            multiplier = refreshedMultiplier;
        }
    }

    double next() noexcept
    {
        switch (attackHold.stage)
        {
            case EnvelopeStage::attack:
            case EnvelopeStage::hold:
                if (attackHold.advance (value, holdLength))
                {
                    decayValue = 1.1;
                    multiplier = decayMultiplier (-2.3978952727983707);
                }
                break;
            case EnvelopeStage::decay:
                decayValue *= multiplier;
                value = decayValue - 0.1;
                if (value < 0.0)
                {
                    attackHold.stage = EnvelopeStage::end;
                    value = 0.0;
                }
                break;
            case EnvelopeStage::end: value = 0.0; break;
        }
        return value;
    }

    [[nodiscard]] EnvelopeStage getStage() const noexcept { return attackHold.stage; }

private:
    // exp (logRatio / length); a length below one sample ends the decay at once, the limit
    // of the formula at length 0 (a negative length would make it grow instead).
    [[nodiscard]] double decayMultiplier (double logRatio) const noexcept
    {
        return decayLength >= 1 ? std::exp (logRatio / decayLength) : 0.0;
    }

    AttackHold attackHold;
    int holdLength = 0;
    int decayLength = 0;
    double decayValue = 1.1;
    double multiplier = 0.0;
    double value = 0.0;
    bool refreshed = false;
    int refreshedLength = 0;
    double refreshedMultiplier = 0.0;
};

// F: falls linearly from 1 to 0 over its decay length.
class LinearEnvelope
{
public:
    void start() noexcept
    {
        attackHold.start();
        level = 1.0;
        decayRate = 0.0;
        value = 0.0;
    }

    void refresh (const EnvelopeLengths& lengths) noexcept
    {
        holdLength = lengths.hold;
        decayLength = lengths.decay;
        attackHold.refreshAttack (lengths.attack);
        if (attackHold.stage == EnvelopeStage::decay)
            setDecayRate();
    }

    double next() noexcept
    {
        switch (attackHold.stage)
        {
            case EnvelopeStage::attack:
            case EnvelopeStage::hold:
                if (attackHold.advance (value, holdLength))
                {
                    level = 1.0;
                    setDecayRate();
                }
                break;
            case EnvelopeStage::decay:
                level -= decayRate;
                value = level;
                if (value < 0.0)
                {
                    attackHold.stage = EnvelopeStage::end;
                    value = 0.0;
                }
                break;
            case EnvelopeStage::end: value = 0.0; break;
        }
        return value;
    }

    [[nodiscard]] EnvelopeStage getStage() const noexcept { return attackHold.stage; }

private:
    void setDecayRate() noexcept
    {
        if (decayLength >= 1)
        {
            decayRate = 1.0 / decayLength;
        }
        else
        {
            level = 0.0;
            decayRate = 0.0;
        }
    }

    AttackHold attackHold;
    int holdLength = 0;
    int decayLength = 0;
    double level = 1.0;
    double decayRate = 0.0;
    double value = 0.0;
};

// The kick's length w (over which "deep" spreads) and the weight K of the exponential
// envelope: short kicks (hold + decay below 360 ms) and the V1.1 behaviour use only the
// linear envelope, long ones (above 460 ms) only the exponential one.
struct EnvelopeCrossfade
{
    double noteLength = 360.0;
    double exponentialWeight = 0.0;

    [[nodiscard]] static EnvelopeCrossfade forLength (double holdMs, double decayMs, bool legacy) noexcept
    {
        const double s = holdMs + decayMs;
        if (s < 360.0 || legacy)
            return { 360.0, 0.0 };
        return { s, s > 460.0 ? 1.0 : 1.0 - (460.0 - s) * 0.01 };
    }

    [[nodiscard]] float mix (double e, double f) const noexcept
    {
        return ((float) e - (float) f) * (float) exponentialWeight + (float) f;
    }
};
