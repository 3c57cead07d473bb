#pragma once

#include "engine/KickSynthVoice.h"

// The voice renders a call in chunks, stage by stage. The stages whose work is a
// recurrence from sample to sample (envelopes, phase, filters) run as small objects that
// hold their state in locals, one sample at a time, and the stages of two voices can run
// side by side in one loop so that their recurrences overlap. The library calls (cosine,
// exponentials, power) run in tight loops of their own, which keep nothing else live
// across the calls; arithmetic without recurrences runs in loops the compiler vectorises.
// Every sample still goes through the same arithmetic in the same order as in the plain
// sample-by-sample stage order; only independent work is regrouped.
struct KickSynthVoice::Chunk
{
    static constexpr int capacity = 64;
    using Frame = BiquadBank::Frame;
    template <typename T>
    using Values = std::array<T, capacity>;

    int start = 0; // sample index of the first sample in the host buffer
    int count = 0;
    std::int64_t firstCounter = 0;

    // Ramped parameters at each sample.
    Values<float> hold, decay, deep, cut, bodyGain, drive;

    std::array<double, capacity + 1> time; // time[k] before sample k's advance, time[k + 1] after
    Values<double> noteLength;
    Values<double> frequency;
    Values<float> angle;
    Values<float> envelope;
    Values<float> x;

    // The layers: how many leading samples each has audio for, and per sample their decay
    // envelopes and gains laid out by the filter bank's lanes (layer 1 twice, layer 2 twice).
    std::array<int, 2> layerPlaying{};
    Values<Frame> layerEnvelope, layerGain;
    // When each layer plays either the whole chunk or none of it, its audio is gathered
    // beforehand, laid out the same way (left and right of layer 1, then of layer 2).
    bool layerInputGathered = false;
    Values<Frame> layerInput;
    BiquadBank::Coefficients layerFilters;
    // The equaliser of two voices without split output, both pairs in one bank.
    BiquadBank::Coefficients pairedShelves, pairedMids;

    // Left, right, attack left, attack right.
    static constexpr size_t left = 0, right = 1, attackLeft = 2, attackRight = 3;
    Values<Frame> frames;
};

struct KickSynthVoice::Run
{
    explicit Run (KickSynthVoice& v) noexcept
        : voice (v)
    {
    }

    KickSynthVoice& voice;
    CallSettings call;
    NoteState state; // written back when the call ends
    bool clearAfterCall = false;
    Chunk chunk;
};

// One stage object per run goes through the chunk sample by sample, the runs side by side.
template <typename StageA, typename StageB>
forcedinline void KickSynthVoice::runPair (Run& first, Run& second, int count) noexcept
{
    StageA a (first);
    StageB b (second);
    for (int k = 0; k < count; ++k)
    {
        a.process (k);
        b.process (k);
    }
    a.finish();
    b.finish();
}

template <typename Stage, size_t N>
forcedinline void KickSynthVoice::runSideBySide (const std::array<Run*, N>& runs, int count) noexcept
{
    static_assert (N == 1 || N == 2);
    if constexpr (N == 1)
    {
        Stage a (*runs[0]);
        for (int k = 0; k < count; ++k)
            a.process (k);
        a.finish();
    }
    else
    {
        runPair<Stage, Stage> (*runs[0], *runs[1], count);
    }
}
