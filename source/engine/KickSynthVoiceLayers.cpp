#include "engine/KickSynthVoiceChunk.h"

#include <cmath>

namespace
{
// How many leading samples of a chunk a layer has audio for: positions only grow, so a
// layer plays for a leading part of the chunk and is silent after it.
int playingRun (const SamplePlayer& player, double ratio, int count) noexcept
{
    double position = player.getPosition();
    const double length = player.getLength();
    // Far from the end (the common case) the whole chunk plays: the margin of one sample
    // dwarfs the rounding of count additions.
    if (position + ratio * count + 1.0 < length)
        return count;
    int k = 0;
    for (; k < count && position < length; ++k)
        position += ratio;
    return k;
}

// The position after adding the ratio `count` times, one addition at a time. Where every
// partial sum is a multiple of 2^-10 below 2^40 (whole and simple fractional ratios) each
// addition is exact, and so is the product.
double advanced (double position, double ratio, int count) noexcept
{
    const double scaledRatio = ratio * 1024.0, scaledPosition = position * 1024.0;
    if (scaledRatio == std::trunc (scaledRatio) && scaledPosition == std::trunc (scaledPosition)
        && std::abs (position) + count * std::abs (ratio) < 0x1p40)
        return position + count * ratio;
    for (int k = 0; k < count; ++k)
        position += ratio;
    return position;
}
} // namespace

// Each layer's playing part of the chunk, its linear decay and its gain.
void KickSynthVoice::prepareLayers (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    const auto n = (size_t) c.count;
    if (call.layerSolo[0] || call.layerSolo[1])
        return; // played sample by sample

    c.layerInputGathered = false;
    for (size_t layer = 0; layer < 2; ++layer)
        c.layerPlaying[layer] =
            call.layerPlays[layer] ? playingRun (run.state.players[layer], note.pitchRatios[layer], c.count) : 0;
    if (c.layerPlaying[0] == 0 && c.layerPlaying[1] == 0)
        return;

    // Whole runs of four lanes; the values past the chunk's end are never used.
    const size_t padded = (n + 3) & ~size_t (3);
    Chunk::Values<float> t;
    for (size_t k = 0; k < n; ++k)
        t[k] = (float) c.time[k + 1];
    std::fill (t.begin() + (std::ptrdiff_t) n, t.begin() + (std::ptrdiff_t) padded, 0.0f);

    std::array<Chunk::Values<float>, 2> envelope, gain;
    for (size_t layer = 0; layer < 2; ++layer)
    {
        auto& e = envelope[layer];
        auto& g = gain[layer];
        if (c.layerPlaying[layer] == 0)
        {
            std::fill (e.begin(), e.begin() + (std::ptrdiff_t) padded, 0.0f);
            std::fill (g.begin(), g.begin() + (std::ptrdiff_t) padded, 0.0f);
            continue;
        }
        call.layerGain[layer].fill (params, c.start, c.count, g.data());
        call.layerDecay[layer].fill (params, c.start, c.count, e.data());
        std::fill (g.begin() + (std::ptrdiff_t) n, g.begin() + (std::ptrdiff_t) padded, 0.0f);
        std::fill (e.begin() + (std::ptrdiff_t) n, e.begin() + (std::ptrdiff_t) padded, 1.0f);

        // The linear decay, 0 after the decay time.
        for (size_t k = 0; k < padded; k += 4)
        {
            const auto time = loadLanes (&t[k]);
            const auto decay = loadLanes (&e[k]);
            const Lanes falling = 1.0f - time / decay;
            storeLanes (&e[k], time > decay ? Lanes{} : falling);
        }
    }

    for (size_t k = 0; k < padded; k += 4)
    {
        interleavePairs (loadLanes (&envelope[0][k]), loadLanes (&envelope[1][k]), &c.layerEnvelope[k]);
        interleavePairs (loadLanes (&gain[0][k]), loadLanes (&gain[1][k]), &c.layerGain[k]);
    }

    const auto whole = [&c] (int playing) { return playing == 0 || playing == c.count; };
    if (whole (c.layerPlaying[0]) && whole (c.layerPlaying[1]))
        gatherLayerInput (run);
}

// The audio each layer reads in this chunk (it plays all of it), its position moved on to
// the chunk's end; zeros for a layer that does not play.
void KickSynthVoice::gatherLayerInput (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto n = (size_t) c.count;
    const size_t padded = (n + 3) & ~size_t (3);
    std::array<Chunk::Values<float>, 4> audio; // left and right of each layer

    for (size_t layer = 0; layer < 2; ++layer)
    {
        auto& player = run.state.players[layer];
        auto& left = audio[layer * 2];
        auto& right = audio[layer * 2 + 1];
        const double ratio = note.pitchRatios[layer];
        double position = player.getPosition();

        if (c.layerPlaying[layer] == 0)
        {
            std::fill (left.begin(), left.begin() + (std::ptrdiff_t) padded, 0.0f);
            std::fill (right.begin(), right.begin() + (std::ptrdiff_t) padded, 0.0f);
            player.setPosition (advanced (position, ratio, c.count));
            continue;
        }

        const float* sourceLeft = player.getAudio (0);
        const float* sourceRight = player.getAudio (1);
        if (ratio == 1.0 && position == std::trunc (position) && position < 0x1p40)
        {
            // One sample after the other: index k of the chunk reads position + k.
            const auto first = (size_t) (std::int64_t) position;
            std::copy (sourceLeft + first, sourceLeft + first + n, left.begin());
            std::copy (sourceRight + first, sourceRight + first + n, right.begin());
            position = advanced (position, ratio, c.count);
        }
        else
        {
            for (size_t k = 0; k < n; ++k)
            {
                const auto index = (size_t) (std::int64_t) position;
                left[k] = sourceLeft[index];
                right[k] = sourceRight[index];
                position += ratio;
            }
        }
        std::fill (left.begin() + (std::ptrdiff_t) n, left.begin() + (std::ptrdiff_t) padded, 0.0f);
        std::fill (right.begin() + (std::ptrdiff_t) n, right.begin() + (std::ptrdiff_t) padded, 0.0f);
        player.setPosition (position);
    }

    for (size_t k = 0; k < padded; k += 4)
        transposeFour (loadLanes (&audio[0][k]), loadLanes (&audio[1][k]), loadLanes (&audio[2][k]),
                       loadLanes (&audio[3][k]), &c.layerInput[k]);
    c.layerInputGathered = true;
}

// Layer 1, then layer 2, into the body pair or, with split output, the attack pair. The
// four high-pass filters (layer 1 left and right, layer 2 left and right) run as the four
// lanes of one bank, the state in locals and the coefficients in the chunk; a layer's
// lanes hand their state back when it stops playing, as a filter that does not play keeps
// its state.
struct KickSynthVoice::LayerFilters
{
    using Frame = Chunk::Frame;

    explicit LayerFilters (Run& r) noexcept
        : c (r.chunk)
        , players (r.state.players)
        , toBody (! r.call.split)
    {
        BiquadBank bank;
        for (int lane = 0; lane < 4; ++lane)
            bank.load (lane, players[(size_t) lane / 2].getFilter (lane % 2));
        c.layerFilters = bank.coefficients;
        state = bank.state;
    }

    // The filters' output times the decay and gain.
    forcedinline Frame filter (int k, Frame input) noexcept
    {
        return BiquadBank::process (c.layerFilters, state, input) * c.layerEnvelope[(size_t) k]
               * c.layerGain[(size_t) k];
    }

    void handBack (int layer) noexcept
    {
        BiquadBank bank;
        bank.state = state;
        bank.store (layer * 2, players[(size_t) layer].getFilter (0));
        bank.store (layer * 2 + 1, players[(size_t) layer].getFilter (1));
    }

    Chunk& c;
    std::array<SamplePlayer, 2>& players;
    const bool toBody;
    BiquadBank::State state;
};

// Any chunk: a layer may stop playing within it.
struct KickSynthVoice::LayerStage : LayerFilters
{
    explicit LayerStage (Run& r) noexcept
        : LayerFilters (r)
        , stop (c.layerPlaying)
        , ratios (r.voice.note.pitchRatios)
        , audio{ players[0].getAudio (0), players[0].getAudio (1), players[1].getAudio (0), players[1].getAudio (1) }
        , position{ players[0].getPosition(), players[1].getPosition() }
    {
    }

    forcedinline void process (int k) noexcept
    {
        if (k == stop[0])
            handBack (0);
        if (k == stop[1])
            handBack (1);

        const bool one = k < stop[0], two = k < stop[1];
        Frame h{};
        if (one)
        {
            const auto index = (size_t) (std::int64_t) position[0];
            h[0] = audio[0][index];
            h[1] = audio[1][index];
        }
        if (two)
        {
            const auto index = (size_t) (std::int64_t) position[1];
            h[2] = audio[2][index];
            h[3] = audio[3][index];
        }
        position[0] += ratios[0];
        position[1] += ratios[1];
        if (! (one || two))
            return;

        h = filter (k, h);
        // The destination pair in lanes 0 and 1; layer 1 added first, then layer 2.
        auto& frame = c.frames[(size_t) k];
        Frame sum = toBody ? frame : swapPairs (frame);
        if (one)
            sum = sum + h;
        if (two)
            sum = sum + swapPairs (h);
        frame = toBody ? mixPairs (sum, frame) : joinPairs (frame, sum);
    }

    void finish() noexcept
    {
        for (int layer = 0; layer < 2; ++layer)
            if (stop[(size_t) layer] == c.count)
                handBack (layer);
        players[0].setPosition (position[0]);
        players[1].setPosition (position[1]);
    }

    const std::array<int, 2> stop;
    const std::array<double, 2> ratios;
    const float* const audio[4];
    double position[2];
};

// Each layer plays the whole chunk or none of it, its audio gathered: no decisions per
// sample. A layer that does not play adds -0, which leaves every value as it is (frames
// never hold subnormals: they come from arithmetic with subnormals flushed, or are 0).
struct KickSynthVoice::GatheredLayerStage : LayerFilters
{
    explicit GatheredLayerStage (Run& r) noexcept
        : LayerFilters (r)
        , plays{ c.layerPlaying[0] > 0, c.layerPlaying[1] > 0 }
        , keep (plays[0] ? LaneBits{ ~0u, ~0u, 0u, 0u } : LaneBits{})
        , keepSecond (plays[1] ? LaneBits{ ~0u, ~0u, 0u, 0u } : LaneBits{})
    {
    }

    forcedinline void process (int k) noexcept
    {
        const auto h = filter (k, c.layerInput[(size_t) k]);
        const LaneBits minusZero{ 0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u };
        auto first = (Frame) (((LaneBits) h & keep) | (minusZero & ~keep));
        auto second = (Frame) (((LaneBits) swapPairs (h) & keepSecond) | (minusZero & ~keepSecond));
        if (! toBody)
        {
            first = swapPairs (first);
            second = swapPairs (second);
        }
        auto& frame = c.frames[(size_t) k];
        frame = frame + first + second;
    }

    void finish() noexcept
    {
        for (int layer = 0; layer < 2; ++layer)
            if (plays[(size_t) layer])
                handBack (layer);
    }

    const std::array<bool, 2> plays;
    const LaneBits keep, keepSecond;
};

// A solo layer plays its raw sample through SamplePlayer, sample by sample: rare enough
// not to need speed.
void KickSynthVoice::runSoloLayers (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    const size_t d = call.split ? Chunk::attackLeft : Chunk::left;
    for (int k = 0; k < c.count; ++k)
    {
        const float t = (float) c.time[(size_t) k + 1];
        auto& frame = c.frames[(size_t) k];
        float left = frame[d], right = frame[d + 1];
        for (size_t layer = 0; layer < 2; ++layer)
        {
            SamplePlayer::Settings settings;
            settings.solo = call.layerSolo[layer];
            settings.plays = call.layerPlays[layer];
            if (settings.plays)
            {
                settings.decayMs = call.layerDecay[layer].at (params, c.start + k);
                settings.gain = call.layerGain[layer].at (params, c.start + k);
            }
            run.state.players[layer].render (settings, t, left, right);
        }
        frame[d] = left;
        frame[d + 1] = right;
        run.state.players[0].advance (note.pitchRatios[0]);
        run.state.players[1].advance (note.pitchRatios[1]);
    }
}

template <size_t N>
void KickSynthVoice::runLayers (const std::array<Run*, N>& runs) noexcept
{
    std::array<Run*, N> filtered{};
    size_t count = 0;
    for (auto* run : runs)
    {
        auto& c = run->chunk;
        if (run->call.layerSolo[0] || run->call.layerSolo[1])
            run->voice.runSoloLayers (*run);
        else if (c.layerPlaying[0] > 0 || c.layerPlaying[1] > 0)
            filtered[count++] = run;
        else
            for (size_t layer = 0; layer < 2; ++layer)
            {
                auto& player = run->state.players[layer];
                player.setPosition (advanced (player.getPosition(), run->voice.note.pitchRatios[layer], c.count));
            }
    }

    const int samples = runs[0]->chunk.count;
    const auto gathered = [] (const Run* run) { return run->chunk.layerInputGathered; };
    if (count == 2)
    {
        auto& a = *filtered[0];
        auto& b = *filtered[N - 1];
        if (gathered (&a) && gathered (&b))
            runPair<GatheredLayerStage, GatheredLayerStage> (a, b, samples);
        else if (gathered (&a))
            runPair<GatheredLayerStage, LayerStage> (a, b, samples);
        else if (gathered (&b))
            runPair<LayerStage, GatheredLayerStage> (a, b, samples);
        else
            runPair<LayerStage, LayerStage> (a, b, samples);
    }
    else if (count == 1)
    {
        const std::array<Run*, 1> one{ filtered[0] };
        if (gathered (filtered[0]))
            runSideBySide<GatheredLayerStage> (one, samples);
        else
            runSideBySide<LayerStage> (one, samples);
    }
}

template void KickSynthVoice::runLayers (const std::array<Run*, 1>&) noexcept;
template void KickSynthVoice::runLayers (const std::array<Run*, 2>&) noexcept;
