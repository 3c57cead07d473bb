#include "engine/KickTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

// The live synthesiser renders its two voices side by side. Whatever the settings, the
// buffer must receive exactly what rendering the voices one after the other gives: a third
// voice that can play no sound makes JUCE's own loop render them one at a time.
namespace
{
constexpr double rate = 48000.0;

struct SilentVoice final : juce::SynthesiserVoice
{
    bool canPlaySound (juce::SynthesiserSound*) override { return false; }
    void startNote (int, float, juce::SynthesiserSound*, int) override {}
    void stopNote (float, bool) override {}
    void pitchWheelMoved (int) override {}
    void controllerMoved (int, int) override {}
    void renderNextBlock (juce::AudioBuffer<float>&, int, int) override {}
    using juce::SynthesiserVoice::renderNextBlock;
};

struct Case
{
    const char* name;
    std::vector<std::pair<Param::Number, float>> settings;
    int blockSize = 256;
    int compatibilityMode = 2;
    int layerFrames = 24000;
    bool knobsMove = false;
    bool noteOffs = false;
};

juce::AudioBuffer<float> renderPair (const Case& c, bool oneAfterTheOther)
{
    KickRig rig (true, rate, 2);
    if (oneAfterTheOther)
        rig.synth.addVoice (new SilentVoice());

    rig.loadLayer (1, c.layerFrames, [] (int ch, int i) { return testwav::sine (i, 1900.0 + 500.0 * ch, rate); });
    rig.loadLayer (2, c.layerFrames / 2,
                   [] (int ch, int i) { return (float) ((i * 7919 + ch * 104729) % 2001 - 1000) * 5.0e-4f; });
    rig.set (Param::attackEnable1, 1.0f);
    rig.set (Param::attackEnable2, 1.0f);
    rig.set (Param::attackDecay, 300.0f);
    for (const auto& [n, value] : c.settings)
        rig.set (n, value);
    rig.store.setCompatibilityMode (c.compatibilityMode);
    rig.synth.setOneShot (! c.noteOffs);
    rig.store.snapRampsToValues();

    // Kicks every 3000 samples, each fading for about 4930 samples under the next one.
    std::vector<KickRig::Event> events;
    for (int at = 5, note = 40; at < 20000; at += 3000, note += 3)
    {
        events.push_back (KickRig::noteOn (at, note, 0.5f + (float) (note % 5) * 0.1f));
        if (c.noteOffs)
            events.push_back (KickRig::noteOff (at + 1700, note));
    }

    // Moving knobs change the ramped parameters (and a plain one) from block to block.
    const auto moveKnobs = [&rig, &c] (int start)
    {
        if (! c.knobsMove)
            return;
        const float phase = (float) start * 0.0007f;
        rig.set (Param::bodyHold, 200.0f + 150.0f * std::sin (phase));
        rig.set (Param::bodyDecay, 300.0f + 200.0f * std::cos (phase * 1.3f));
        rig.set (Param::bodyDeep, 20.0f + 20.0f * std::sin (phase * 0.7f));
        rig.set (Param::attackGain, 1.0f + 0.5f * std::sin (phase * 2.1f));
        rig.set (Param::attack2Decay, 100.0f + 80.0f * std::cos (phase));
        rig.set (Param::waveformDrive, 2.0f + std::sin (phase * 0.3f));
        rig.set (Param::tweaksHiShelf, 6.0f * std::sin (phase));
    };
    return rig.render (24000, events, c.blockSize, 4, moveKnobs);
}
} // namespace

TEST (KickPair, RenderingTogetherMatchesRenderingOneAfterTheOther)
{
    const Case cases[] = {
        { "DIST with both layers", { { Param::waveformDriveMode, 0.0f }, { Param::waveformDrive, 2.0f } } },
        { "split output", { { Param::bodySplitAttack, 1.0f }, { Param::tweaksPunch, 0.7f } } },
        { "post distortion, split",
          { { Param::waveformDriveMode, 9.0f }, { Param::waveformDrive, 3.0f }, { Param::bodySplitAttack, 1.0f } } },
        { "CLIPPER", { { Param::waveformDriveMode, 10.0f }, { Param::waveformDrive, 5.0f } } },
        { "legacy DIST", { { Param::waveformDrive, 1.5f } }, 256, 1 },
        { "TOUGH, shaper, WT-C",
          { { Param::bodyMode, 1.0f },
            { Param::tweaksCut, 0.8f },
            { Param::waveformDriveMode, 6.0f },
            { Param::waveformDrive, 3.0f } } },
        { "a solo layer", { { Param::attack2Solo, 1.0f } } },
        { "pitched layers", { { Param::tweaksAttackPitch, 7.0f }, { Param::tweaksAttack2Pitch, -12.0f } } },
        { "short layers ending inside chunks", {}, 100, 2, 1301 },
        { "moving knobs, odd blocks", { { Param::waveformDrive, 2.0f } }, 37, 2, 24000, true },
        { "moving knobs, split, note-offs", { { Param::bodySplitAttack, 1.0f } }, 256, 2, 24000, true, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto together = renderPair (c, false);
        const auto apart = renderPair (c, true);

        // Both kicks sound, on every channel the case uses.
        const bool split = std::any_of (c.settings.begin(), c.settings.end(),
                                        [] (auto& s) { return s.first == Param::bodySplitAttack; });
        for (int ch = 0; ch < (split ? 4 : 2); ++ch)
            EXPECT_GT (peakOf (together, ch, 0, together.getNumSamples()), 0.01f) << "channel " << ch;

        for (int ch = 0; ch < 4; ++ch)
            for (int i = 0; i < together.getNumSamples(); ++i)
                ASSERT_EQ (together.getSample (ch, i), apart.getSample (ch, i)) << "channel " << ch << ", sample " << i;
    }
}
