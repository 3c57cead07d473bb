#include "host/AudioChecks.h"
#include "host/HostFormatTest.h"
#include "host/KickStates.h"

namespace
{
// Everything that renders: body, both layers with samples, split output, a drive mode.
const ValueOverrides everything{ { "master_level", 1.0f },          { "attackoverlay_enable1", 1.0f },
                                 { "attackoverlay_enable2", 1.0f }, { "body_splitattack", 1.0f },
                                 { "waveform_drivemode", 6.0f },    { "waveform_drive", 1.5f } };

int blocksFor (double seconds, double sampleRate, int blockSize)
{
    return (int) std::ceil (seconds * sampleRate / blockSize);
}
} // namespace

class HostRobustness : public HostFormatTest
{
};

TEST_P (HostRobustness, EveryRateAndBlockSizeGivesAFiniteAudibleKick)
{
    for (const auto rate : { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 })
    {
        const auto kick = loadKick (rate, 512);
        ASSERT_NE (kick, nullptr);
        kick->applyState (*makeKickState (everything, true));

        for (const auto blockSize : { 1, 17, 64, 512, 4096 })
        {
            kick->prepare (rate, blockSize);
            const auto audio = kick->play (blocksFor (0.3, rate, blockSize), noteOn (36, 110));
            const auto report = AudioReport::of (audio);
            EXPECT_TRUE (report.allFinite) << rate << " Hz, " << blockSize;
            EXPECT_EQ (report.subnormals, 0) << rate << " Hz, " << blockSize;
            EXPECT_GT (mainPeak (audio), audiblePeak) << rate << " Hz, " << blockSize;
        }

        // A block without samples, with a note on it, then playing on.
        kick->prepare (rate, 512);
        juce::AudioBuffer<float> empty (4, 0);
        auto midi = noteOn();
        kick->plugin().processBlock (empty, midi);
        const auto after = kick->play (blocksFor (0.2, rate, 512), noteOn());
        EXPECT_TRUE (AudioReport::of (after).allFinite) << rate;
        EXPECT_GT (mainPeak (after), audiblePeak) << rate;
    }
}

TEST_P (HostRobustness, SurvivesRestartsAndRateChangesInTheMiddleOfAKick)
{
    const auto kick = loadKick (44100.0, 256);
    ASSERT_NE (kick, nullptr);
    kick->applyState (*makeKickState (everything, true));

    struct Step
    {
        double rate;
        int blockSize;
    };
    const Step steps[] = { { 96000.0, 256 }, { 48000.0, 100 }, { 48000.0, 100 }, { 192000.0, 1024 }, { 44100.0, 33 } };

    (void) kick->play (10, noteOn());
    for (const auto& [rate, blockSize] : steps)
    {
        // The host restarts the plug-in while a kick sounds, then carries on without a note.
        kick->prepare (rate, blockSize);
        const auto tail = kick->play (blocksFor (0.1, rate, blockSize));
        const auto tailReport = AudioReport::of (tail);
        EXPECT_TRUE (tailReport.allFinite) << rate;
        EXPECT_EQ (tailReport.subnormals, 0) << rate;

        const auto next = kick->play (blocksFor (0.2, rate, blockSize), noteOn (38));
        const auto nextReport = AudioReport::of (next);
        EXPECT_TRUE (nextReport.allFinite) << rate;
        EXPECT_EQ (nextReport.subnormals, 0) << rate;
        EXPECT_GT (mainPeak (next), audiblePeak) << rate;
    }
}

THUDMOR_INSTANTIATE_FOR_BOTH_FORMATS (HostRobustness);
