#include "engine/KickSynthVoiceChunk.h"

#include "params/ProcessorParameterStore.h"

#include <cmath>
#include <numbers>

namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr int toughMode = 1;

void advancePhase (double& phase, double increment) noexcept
{
    phase += increment;
    if (phase > twoPi)
        phase -= twoPi;
    if (phase <= 0.0)
        phase += twoPi;

    // Only a frequency far beyond any the knobs reach can carry the phase this far; fold
    // it back before the angle loses all precision.
    if (std::abs (phase) > 1.0e6)
    {
        phase = std::fmod (phase, twoPi);
        if (phase <= 0.0)
            phase += twoPi;
    }
}
// DriveStages::saturate across the chunk: the exponentials in a loop of their own, the
// arithmetic around them four samples at a time.
template <typename Chunk>
void saturate (Chunk& c) noexcept
{
    const auto n = (size_t) c.count;
    decltype (c.x) y, e;
    size_t k = 0;
    for (; k + 4 <= n; k += 4)
    {
        const Lanes v = (1.0f + loadLanes (&c.drive[k])) * loadLanes (&c.x[k]);
        storeLanes (&y[k], v);
        storeLanes (&e[k], negativeMagnitude (v));
    }
    for (size_t i = 0; i < k; ++i)
        e[i] = std::exp (e[i]);
    for (size_t i = 0; i < k; i += 4)
    {
        const auto v = loadLanes (&y[i]);
        const Lanes magnitude = 1.0f - loadLanes (&e[i]);
        storeLanes (&c.x[i], v < 0.0f ? -magnitude : (v > 0.0f ? magnitude : Lanes{}));
    }
    for (; k < n; ++k)
        c.x[k] = DriveStages::saturate (c.x[k], c.drive[k]);
}

} // namespace

// Envelope lengths every 16 samples, the kick's length and crossfade, TOUGH's pitch, time
// and the envelopes.
struct KickSynthVoice::ControlStage
{
    explicit ControlStage (Run& r) noexcept
        : run (r)
        , c (r.chunk)
        , exponential (r.state.exponentialEnvelope)
        , linear (r.state.linearEnvelope)
        , tough (r.state.tough)
        , time (r.state.timeMs)
        , isTough (r.voice.note.bodyMode == toughMode)
        , steadyLength (r.call.hold.isSteady() && r.call.decay.isSteady())
        , crossfade (EnvelopeCrossfade::forLength (c.hold[0], c.decay[0], r.voice.note.legacy))
    {
    }

    forcedinline void process (int k) noexcept
    {
        const auto i = (size_t) k;
        if (((c.firstCounter + k) & 15) == 0)
        {
            const auto lengths = EnvelopeLengths::fromTimes (run.call.attack.at (run.voice.params, c.start + k),
                                                             c.hold[i], c.decay[i], run.call.samplesPerMs);
            linear.refresh (lengths);
            exponential.refresh (lengths);
        }
        const auto fade =
            steadyLength ? crossfade : EnvelopeCrossfade::forLength (c.hold[i], c.decay[i], run.voice.note.legacy);
        c.noteLength[i] = fade.noteLength;
        if (isTough)
            c.frequency[i] = tough.next();

        c.time[i] = time;
        time += run.call.msPerSample;

        const double e = exponential.next();
        const double f = linear.next();
        c.envelope[i] = fade.mix (e, f);
    }

    void finish() noexcept
    {
        c.time[(size_t) c.count] = time;
        run.state.exponentialEnvelope = exponential;
        run.state.linearEnvelope = linear;
        run.state.tough = tough;
        run.state.timeMs = time;
    }

    Run& run;
    Chunk& c;
    ExponentialEnvelope exponential;
    LinearEnvelope linear;
    BodyPitch::Tough tough;
    double time;
    const bool isTough, steadyLength;
    const EnvelopeCrossfade crossfade;
};

// The oscillator's phase and angle.
struct KickSynthVoice::PhaseStage
{
    explicit PhaseStage (Run& r) noexcept
        : run (r)
        , c (r.chunk)
        , phase (r.state.phase)
        , offset (r.voice.note.phaseOffset)
        , scale (r.voice.note.twoPiOverSampleRate)
    {
    }

    forcedinline void process (int k) noexcept
    {
        c.angle[(size_t) k] = (float) (phase + offset);
        advancePhase (phase, c.frequency[(size_t) k] * scale);
    }

    void finish() noexcept
    {
        run.state.phase = phase;
        run.state.currentFrequency = c.frequency[(size_t) c.count - 1];
    }

    Run& run;
    Chunk& c;
    double phase;
    const double offset, scale;
};

void KickSynthVoice::startChunk (Run& run, int start, int count) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    c.start = start;
    c.count = count;
    c.firstCounter = run.state.sampleCounter;
    call.hold.fill (params, start, count, c.hold.data());
    call.decay.fill (params, start, count, c.decay.data());
    call.deep.fill (params, start, count, c.deep.data());
    call.cut.fill (params, start, count, c.cut.data());
    call.bodyGain.fill (params, start, count, c.bodyGain.data());
    if (note.driveMode == DriveMode::dist || note.driveMode == DriveMode::post)
        call.drive.fill (params, start, count, c.drive.data());
}

// ORIG's power curve, then the drop of "deep".
void KickSynthVoice::runPitch (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    const auto n = (size_t) c.count;
    if (note.bodyMode != toughMode)
        for (size_t k = 0; k < n; ++k)
            c.frequency[k] =
                BodyPitch::orig (c.time[k], call.startFrequency, call.endFrequency, call.sweepMs, call.curve);

    // BodyPitch::deepDrop, two samples at a time.
    size_t k = 0;
    for (; k + 2 <= n; k += 2)
    {
        const auto t = loadLanes (&c.time[k]);
        const auto length = loadLanes (&c.noteLength[k]);
        const auto deep = toDouble (c.deep[k], c.deep[k + 1]);
        const DoubleLanes during = deep * t / length;
        storeLanes (&c.frequency[k], loadLanes (&c.frequency[k]) - (t <= length ? during : deep));
    }
    for (; k < n; ++k)
        c.frequency[k] -= BodyPitch::deepDrop (c.deep[k], c.time[k], c.noteLength[k]);
}

// The cosine, the oscillator's drive modes and the high-pass limit; silent while a layer
// is solo or the body is off (phase and envelopes run on).
void KickSynthVoice::runOscillator (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    const auto n = (size_t) c.count;
    if (call.bodyMuted)
    {
        std::fill (c.x.begin(), c.x.begin() + (std::ptrdiff_t) n, 0.0f);
        return;
    }

    for (size_t k = 0; k < n; ++k)
        c.x[k] = std::cos (c.angle[k]);

    // The oscillator's drive modes act only while the drive is above 0.
    const int table = DriveMode::tableFor (note.driveMode);
    if (call.plainDrive > 0.0f)
    {
        if (note.driveMode == DriveMode::thirdHarmonic)
            for (size_t k = 0; k < n; ++k)
                c.x[k] = DriveStages::addThirdHarmonic (c.x[k], c.angle[k], call.driveOver6);
        else if (table >= 0)
        {
            const auto& values = table == 0 ? steppedSine : tables[(size_t) table - 1];
            for (size_t k = 0; k < n; ++k)
                c.x[k] = DriveStages::blend (c.x[k], values, c.angle[k], call.driveOver6);
        }
    }

    // Without a limit the gain is exactly 1. BodyPitch::highPassLimitGain, four samples at
    // a time.
    if (note.highPassLimit != 0.0)
    {
        const double limit = note.highPassLimit;
        size_t k = 0;
        for (; k + 4 <= n; k += 4)
        {
            const auto r = toSingle (loadLanes (&c.frequency[k]) / limit, loadLanes (&c.frequency[k + 2]) / limit);
            const auto r2 = r * r;
            const auto r4 = r2 * r2;
            const Lanes gain = 1.0f - 1.0f / (r4 * r4 + 1.0f);
            storeLanes (&c.x[k], gain * loadLanes (&c.x[k]));
        }
        for (; k < n; ++k)
            c.x[k] = BodyPitch::highPassLimitGain (c.frequency[k], limit) * c.x[k];
    }
}

// TOUGH's onset boost, the shaper's dip, DIST, and the envelope and body gain.
void KickSynthVoice::runBodyStages (Run& run) const noexcept
{
    auto& c = run.chunk;
    const auto& call = run.call;
    const int n = c.count;

    int boostCounter = run.state.boostCounter;
    const bool boosts = note.bodyMode == toughMode && boostCounter >= 0;
    const bool shapes = ! call.cut.isSteady() || call.cut.getFirstValue() > 0.0f;
    int k = 0;
    // Most chunks only scale by 0.707: four samples at a time.
    if (! boosts && ! shapes)
        for (; k + 4 <= n; k += 4)
            storeLanes (&c.x[(size_t) k], loadLanes (&c.x[(size_t) k]) * 0.707f);
    for (; k < n; ++k)
    {
        float x = c.x[(size_t) k];

        // The first 5 ms of TOUGH: up to twice as loud, hard-limited.
        if (note.bodyMode == toughMode && boostCounter >= 0)
        {
            --boostCounter;
            const float boost = note.boostLength > 0 ? (float) boostCounter / (float) note.boostLength + 1.0f : 1.0f;
            x = std::clamp (x * boost, -1.0f, 1.0f);
        }
        x *= 0.707f;

        const float cut = c.cut[(size_t) k];
        if (cut > 0.0f)
            x = (float) (x
                         * Shaper::gain (cut, call.position.at (params, c.start + k),
                                         call.width.at (params, c.start + k), call.toughShaper, c.time[(size_t) k]));
        c.x[(size_t) k] = x;
    }
    run.state.boostCounter = boostCounter;

    if (note.driveMode == DriveMode::dist)
        saturate (c);
    else if (note.driveMode == DriveMode::legacyDist)
    {
        auto legacy = run.state.legacyDistortion;
        for (size_t i = 0; i < (size_t) n; ++i)
            c.x[i] = legacy.process (c.x[i], call.plainDrive, c.time[i]);
        run.state.legacyDistortion = legacy;
    }

    // The body into both lanes of the body pair, the attack pair empty.
    k = 0;
    for (; k + 4 <= n; k += 4)
    {
        const auto i = (size_t) k;
        const Lanes body = loadLanes (&c.envelope[i]) * loadLanes (&c.bodyGain[i]) * loadLanes (&c.x[i]);
        const Lanes none{};
        c.frames[i] = __builtin_shufflevector (body, none, 0, 0, 4, 4);
        c.frames[i + 1] = __builtin_shufflevector (body, none, 1, 1, 4, 4);
        c.frames[i + 2] = __builtin_shufflevector (body, none, 2, 2, 4, 4);
        c.frames[i + 3] = __builtin_shufflevector (body, none, 3, 3, 4, 4);
    }
    for (; k < n; ++k)
    {
        const float body = c.envelope[(size_t) k] * c.bodyGain[(size_t) k] * c.x[(size_t) k];
        c.frames[(size_t) k] = Chunk::Frame{ body, body, 0.0f, 0.0f };
    }
}

template <size_t N>
void KickSynthVoice::renderChunk (const std::array<Run*, N>& runs, int start, int count) noexcept
{
    for (auto* run : runs)
        run->voice.startChunk (*run, start, count);
    runSideBySide<ControlStage> (runs, count);
    for (auto* run : runs)
        run->voice.runPitch (*run);
    runSideBySide<PhaseStage> (runs, count);
    for (auto* run : runs)
    {
        run->voice.runOscillator (*run);
        run->voice.runBodyStages (*run);
        run->voice.prepareLayers (*run);
    }
    runOutputStages (runs);
    for (auto* run : runs)
        run->state.sampleCounter += count;
}

template <size_t N>
void KickSynthVoice::renderChunks (const std::array<Run*, N>& runs, int startSample, int numSamples) noexcept
{
    for (int start = startSample; start < startSample + numSamples; start += Chunk::capacity)
        renderChunk (runs, start, std::min (Chunk::capacity, startSample + numSamples - start));
}

bool KickSynthVoice::beginCall (Run& run, juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    if (! isVoiceActive())
    {
        state.timeMs = -1.0;
        return false;
    }
    if (state.timeMs < 0.0 || numSamples <= 0)
        return false;

    const double sampleRate = getEffectiveSampleRate();
    auto& call = run.call;
    call.split = live && buffer.getNumChannels() >= 4 && params.plainIsOn (Param::bodySplitAttack);
    call.endFrequency = getEndFrequency();
    if (initPending)
        setUpNote (sampleRate, call.endFrequency);
    prepareCall (call, buffer, startSample, startSample + numSamples - 1, sampleRate);
    run.state = state;
    return true;
}

void KickSynthVoice::endCall (Run& run) noexcept
{
    state = run.state;
    if (run.clearAfterCall)
        clearCurrentNote();
}

void KickSynthVoice::renderNextBlock (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    const juce::ScopedNoDenormals noDenormals;
    Run run (*this);
    if (! beginCall (run, buffer, startSample, numSamples))
        return;
    renderChunks (std::array<Run*, 1>{ &run }, startSample, numSamples);
    endCall (run);
}

void KickSynthVoice::renderTogether (KickSynthVoice& first, KickSynthVoice& second, juce::AudioBuffer<float>& buffer,
                                     int startSample, int numSamples)
{
    const juce::ScopedNoDenormals noDenormals;
    Run one (first), two (second);
    const bool firstPlays = first.beginCall (one, buffer, startSample, numSamples);
    const bool secondPlays = second.beginCall (two, buffer, startSample, numSamples);

    if (firstPlays && secondPlays)
        renderChunks (std::array<Run*, 2>{ &one, &two }, startSample, numSamples);
    else if (firstPlays || secondPlays)
        renderChunks (std::array<Run*, 1>{ firstPlays ? &one : &two }, startSample, numSamples);

    if (firstPlays)
        first.endCall (one);
    if (secondPlays)
        second.endCall (two);
}
