#include "ToolProcess.h"
#include "common/TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
const juce::File checkedInSamples = juce::File (THUDMOR_FACTORY_DIR).getChildFile ("Samples");

juce::StringArray relativeWavPaths (const juce::File& root)
{
    juce::StringArray paths;
    for (const auto& entry : juce::RangedDirectoryIterator (root, true, "*.wav", juce::File::findFiles))
        paths.add (entry.getFile().getRelativePathFrom (root));
    paths.sort (false);
    return paths;
}
} // namespace

// The samples are the project's own: the generator recreates every checked-in file byte for
// byte, and there is nothing in the folder it did not make.
TEST (FactorySamples, GeneratorRecreatesTheCheckedInFilesExactly)
{
    const ScopedTestFolder output ("generated-samples");
    const auto run = runTool (THUDMOR_SAMPLE_GENERATOR, { output.get().getFullPathName() },
                              juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
    ASSERT_TRUE (run.finished);
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto generated = relativeWavPaths (output.get());
    ASSERT_FALSE (generated.isEmpty());
    EXPECT_EQ (relativeWavPaths (checkedInSamples), generated);

    for (const auto& path : generated)
    {
        juce::MemoryBlock made, stored;
        ASSERT_TRUE (output.get().getChildFile (path).loadFileAsData (made));
        ASSERT_TRUE (checkedInSamples.getChildFile (path).loadFileAsData (stored)) << path;
        EXPECT_TRUE (made == stored) << path << " differs from what the generator makes";
    }
}

// What the attack layers expect of a factory sample: a plain PCM WAV in the rates and depths
// the loader is tested with, short, loud at its start and silent at its end.
TEST (FactorySamples, EverySampleIsAShortCleanTransient)
{
    juce::WavAudioFormat wav;
    juce::int64 totalBytes = 0;
    const auto paths = relativeWavPaths (checkedInSamples);
    ASSERT_FALSE (paths.isEmpty());

    for (const auto& path : paths)
    {
        SCOPED_TRACE (path.toStdString());
        const auto file = checkedInSamples.getChildFile (path);
        totalBytes += file.getSize();

        std::unique_ptr<juce::AudioFormatReader> reader (
            wav.createReaderFor (file.createInputStream().release(), true));
        ASSERT_NE (reader, nullptr);
        EXPECT_TRUE (reader->sampleRate == 44100.0 || reader->sampleRate == 48000.0);
        EXPECT_TRUE (reader->bitsPerSample == 16 || reader->bitsPerSample == 24);
        EXPECT_TRUE (reader->numChannels == 1 || reader->numChannels == 2);

        const auto lengthMs = (double) reader->lengthInSamples * 1000.0 / reader->sampleRate;
        EXPECT_GE (lengthMs, 20.0);
        EXPECT_LE (lengthMs, 300.0);

        juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
        ASSERT_TRUE (reader->read (&audio, 0, audio.getNumSamples(), 0, true, true));
        const auto peak = audio.getMagnitude (0, audio.getNumSamples());
        EXPECT_NEAR (juce::Decibels::gainToDecibels (peak), -1.0, 0.1);

        // Most of the energy arrives in the first quarter: these are attacks, not pads.
        const auto quarter = audio.getNumSamples() / 4;
        EXPECT_GT (audio.getMagnitude (0, quarter), 0.5f * peak);
        const auto lastMs = (int) (reader->sampleRate * 0.001);
        EXPECT_LT (audio.getMagnitude (audio.getNumSamples() - 2, 2), 0.01f) << "ends with a click";
        EXPECT_LT (audio.getRMSLevel (0, audio.getNumSamples() - lastMs, lastMs), 0.05f);
    }

    EXPECT_LT (totalBytes, 1024 * 1024) << "the factory samples should stay small";
}
