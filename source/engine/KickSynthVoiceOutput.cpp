#include "engine/KickSynthVoiceChunk.h"

// Post distortion (drive mode 9) on the body pair, after the layers.
void KickSynthVoice::runPostDistortion (Run& run) const noexcept
{
    if (note.driveMode != DriveMode::post)
        return;
    auto& c = run.chunk;
    for (size_t k = 0; k < (size_t) c.count; ++k)
    {
        auto& frame = c.frames[k];
        frame[Chunk::left] = DriveStages::postSaturate (frame[Chunk::left], c.drive[k]);
        frame[Chunk::right] = DriveStages::postSaturate (frame[Chunk::right], c.drive[k]);
    }
}

// The fade that ends every kick, on the body pair.
void KickSynthVoice::runFade (Run& run) const noexcept
{
    auto& c = run.chunk;
    auto& s = run.state;
    // Time only grows: a kick that is not fading and stays short of the longest length
    // throughout the chunk does not fade in it.
    if (! s.tailOff && ! (c.time[(size_t) c.count] > maximumLengthMs))
        return;

    bool tailOff = s.tailOff, cleared = false;
    float fadeGain = s.fadeGain;
    for (size_t k = 0; k < (size_t) c.count; ++k)
    {
        if (c.time[k + 1] > maximumLengthMs)
            tailOff = true;
        if (tailOff)
        {
            c.frames[k][Chunk::left] *= fadeGain;
            c.frames[k][Chunk::right] *= fadeGain;
            if (fadeGain > 0.001f)
                fadeGain *= fadeFactor;
            else
                cleared = true; // the rest of this call still plays at the final gain
        }
    }
    s.tailOff = tailOff;
    s.fadeGain = fadeGain;
    run.clearAfterCall = run.clearAfterCall || cleared;
}

// Punch on all four lanes during the onset; the clipper on the body pair.
void KickSynthVoice::runPunchAndClipper (Run& run) const noexcept
{
    auto& c = run.chunk;
    auto punch = run.state.punch;
    for (int k = 0; k < c.count && punch.isActive (c.firstCounter + k); ++k)
    {
        const double gain = punch.nextGain();
        auto& frame = c.frames[(size_t) k];
        for (int lane = 0; lane < BiquadBank::lanes; ++lane)
            frame[lane] = (float) (frame[lane] * gain);
    }
    run.state.punch = punch;

    if (note.driveMode == DriveMode::clipper)
    {
        for (size_t k = 0; k < (size_t) c.count; ++k)
        {
            auto& frame = c.frames[k];
            frame[Chunk::left] = DriveStages::clip (frame[Chunk::left], run.call.plainDrive);
            frame[Chunk::right] = DriveStages::clip (frame[Chunk::right], run.call.plainDrive);
        }
    }
}

// Hi-shelf, mid EQ and velocity of one voice: left, right and the attack pair as the four
// lanes. Without split output the attack lanes compute nothing of use and keep their state.
struct KickSynthVoice::EqualiserStage
{
    explicit EqualiserStage (Run& r) noexcept
        : run (r)
        , frames (r.chunk.frames)
        , shelfCoefficients (r.state.shelves.coefficients)
        , midCoefficients (r.state.mids.coefficients)
        , shelf (r.state.shelves.state)
        , mid (r.state.mids.state)
        , velocityGain (r.call.velocityGain)
    {
    }

    forcedinline void process (int k) noexcept
    {
        auto& frame = frames[(size_t) k];
        frame = BiquadBank::process (midCoefficients, mid, BiquadBank::process (shelfCoefficients, shelf, frame))
                * velocityGain;
    }

    void finish() noexcept { handBack (run, shelf, mid, run.call.split); }

    static void handBack (Run& r, const BiquadBank::State& shelf, const BiquadBank::State& mid, bool allLanes) noexcept
    {
        auto& s = r.state;
        if (allLanes)
        {
            s.shelves.state = shelf;
            s.mids.state = mid;
            return;
        }
        for (auto [to, from] : { std::pair{ &s.shelves.state, &shelf }, std::pair{ &s.mids.state, &mid } })
        {
            to->x1 = mixPairs (from->x1, to->x1);
            to->x2 = mixPairs (from->x2, to->x2);
            to->y1 = mixPairs (from->y1, to->y1);
            to->y2 = mixPairs (from->y2, to->y2);
        }
    }

    Run& run;
    Chunk::Values<Chunk::Frame>& frames;
    const BiquadBank::Coefficients& shelfCoefficients;
    const BiquadBank::Coefficients& midCoefficients;
    BiquadBank::State shelf, mid;
    const float velocityGain;
};

// Two voices without split output: both body pairs in one bank, first's in lanes 0 and 1.
struct KickSynthVoice::PairedEqualiserStage
{
    static void run (Run& a, Run& b) noexcept
    {
        auto join = [] (const BiquadBank::Coefficients& x, const BiquadBank::Coefficients& y)
        {
            return BiquadBank::Coefficients{ joinPairs (x.b0, y.b0), joinPairs (x.b1, y.b1), joinPairs (x.b2, y.b2),
                                             joinPairs (x.a1, y.a1), joinPairs (x.a2, y.a2) };
        };
        auto joinState = [] (const BiquadBank::State& x, const BiquadBank::State& y)
        {
            return BiquadBank::State{ joinPairs (x.x1, y.x1), joinPairs (x.x2, y.x2), joinPairs (x.y1, y.y1),
                                      joinPairs (x.y2, y.y2) };
        };
        auto& shelfCoefficients = a.chunk.pairedShelves;
        auto& midCoefficients = a.chunk.pairedMids;
        shelfCoefficients = join (a.state.shelves.coefficients, b.state.shelves.coefficients);
        midCoefficients = join (a.state.mids.coefficients, b.state.mids.coefficients);
        auto shelf = joinState (a.state.shelves.state, b.state.shelves.state);
        auto mid = joinState (a.state.mids.state, b.state.mids.state);
        const Chunk::Frame velocityGains{ a.call.velocityGain, a.call.velocityGain, b.call.velocityGain,
                                          b.call.velocityGain };

        for (size_t k = 0; k < (size_t) a.chunk.count; ++k)
        {
            const auto both = joinPairs (a.chunk.frames[k], b.chunk.frames[k]);
            const auto y =
                BiquadBank::process (midCoefficients, mid, BiquadBank::process (shelfCoefficients, shelf, both))
                * velocityGains;
            a.chunk.frames[k] = y;
            b.chunk.frames[k] = swapPairs (y);
        }

        EqualiserStage::handBack (a, shelf, mid, false);
        auto swapState = [] (const BiquadBank::State& x) {
            return BiquadBank::State{ swapPairs (x.x1), swapPairs (x.x2), swapPairs (x.y1), swapPairs (x.y2) };
        };
        EqualiserStage::handBack (b, swapState (shelf), swapState (mid), false);
    }
};

// Adds the chunk to the buffer's channels: four samples at a time, the frames turned into
// channel vectors.
void KickSynthVoice::addToBuffer (Run& run) noexcept
{
    const auto& c = run.chunk;
    const int channels = run.call.split ? 4 : 2;
    float* const* out = run.call.out;
    const auto n = (size_t) c.count;

    size_t k = 0;
    if (out[0] != nullptr && out[1] != nullptr && (channels == 2 || (out[2] != nullptr && out[3] != nullptr)))
    {
        for (; k + 4 <= n; k += 4)
        {
            const auto& f = c.frames;
            const auto low01 = __builtin_shufflevector (f[k], f[k + 1], 0, 4, 1, 5);
            const auto low23 = __builtin_shufflevector (f[k + 2], f[k + 3], 0, 4, 1, 5);
            const auto high01 = __builtin_shufflevector (f[k], f[k + 1], 2, 6, 3, 7);
            const auto high23 = __builtin_shufflevector (f[k + 2], f[k + 3], 2, 6, 3, 7);
            const Lanes channel[4] = { joinPairs (low01, low23), mixPairs (swapPairs (low01), low23),
                                       joinPairs (high01, high23), mixPairs (swapPairs (high01), high23) };
            for (int ch = 0; ch < channels; ++ch)
            {
                float* destination = out[ch] + c.start + (int) k;
                storeLanes (destination, loadLanes (destination) + channel[ch]);
            }
        }
    }
    for (; k < n; ++k)
        for (int ch = 0; ch < channels; ++ch)
            if (out[ch] != nullptr)
                out[ch][c.start + (int) k] += c.frames[k][ch];
}

template <size_t N>
void KickSynthVoice::runOutputStages (const std::array<Run*, N>& runs) noexcept
{
    runLayers (runs);
    for (auto* run : runs)
    {
        run->voice.runPostDistortion (*run);
        run->voice.runFade (*run);
        run->voice.runPunchAndClipper (*run);
    }

    if constexpr (N == 2)
    {
        if (! runs[0]->call.split && ! runs[1]->call.split)
            PairedEqualiserStage::run (*runs[0], *runs[1]);
        else
            runSideBySide<EqualiserStage> (runs, runs[0]->chunk.count);
    }
    else
    {
        runSideBySide<EqualiserStage> (runs, runs[0]->chunk.count);
    }

    for (auto* run : runs)
        addToBuffer (*run);
}

template void KickSynthVoice::runOutputStages (const std::array<Run*, 1>&) noexcept;
template void KickSynthVoice::runOutputStages (const std::array<Run*, 2>&) noexcept;
