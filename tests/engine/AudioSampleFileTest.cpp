#include "engine/AudioSampleFile.h"

#include "common/TestEnvironment.h"
#include "engine/TestWavFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <sys/stat.h>

namespace
{
float twoTone (int channel, int frame) { return testwav::sine (frame, channel == 0 ? 440.0 : 1250.0, 44100.0); }

// Loads a known file so that a failed load can be checked against it.
struct LoadedSample
{
    ScopedTestFolder folder{ "samples" };
    AudioSampleFile sample;
    juce::AudioBuffer<float> audioBefore;

    LoadedSample()
    {
        const auto file = testwav::writeWav (folder.get().getChildFile ("known.wav"), 22050.0, 2, 3000, 16, twoTone);
        EXPECT_TRUE (sample.loadFile (file));
        audioBefore = sample.getAudio();
    }

    void expectUnchanged() const
    {
        EXPECT_EQ (sample.getSampleRate(), 22050.0);
        EXPECT_EQ (sample.getName(), "known.wav");
        ASSERT_EQ (sample.getAudio().getNumSamples(), audioBefore.getNumSamples());
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < audioBefore.getNumSamples(); i += 97)
                ASSERT_EQ (sample.getAudio().getSample (c, i), audioBefore.getSample (c, i));
    }
};

juce::File writeBytes (const juce::File& file, const juce::MemoryBlock& bytes)
{
    file.replaceWithData (bytes.getData(), bytes.getSize());
    return file;
}
} // namespace

TEST (AudioSampleFile, LoadsOnlyTheFirst192000FramesOfALongFile)
{
    const ScopedTestFolder folder;
    const auto file =
        testwav::writeWav (folder.get().getChildFile ("ten seconds.wav"), 44100.0, 2, 441000, 16, twoTone);

    AudioSampleFile sample;
    ASSERT_TRUE (sample.loadFile (file.getFullPathName()));

    EXPECT_EQ (sample.getAudio().getNumSamples(), AudioSampleFile::maximumFileFrames);
    EXPECT_EQ (sample.getAudio().getNumChannels(), 2);
    EXPECT_EQ (sample.getSampleRate(), 44100.0);
    EXPECT_EQ (sample.getName(), "ten seconds.wav");
    for (const auto frame : { 0, 1234, 191999 })
        for (int c = 0; c < 2; ++c)
            EXPECT_NEAR (sample.getAudio().getSample (c, frame), twoTone (c, frame), 1.0 / 32767.0);
}

TEST (AudioSampleFile, ReadsEveryDepthRateAndChannelCountAsTwoChannels)
{
    struct Case
    {
        int bits;
        double rate;
        int channels;
    };
    const Case cases[] = { { 8, 44100.0, 2 },
                           { 16, 48000.0, 1 },
                           { 24, 96000.0, 2 },
                           { 32, 192000.0, 2 },
                           { 16, 44100.0, 6 } };

    const ScopedTestFolder folder;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.bits) + " bits, " + juce::String (c.rate) + " Hz, " + juce::String (c.channels)
                      + " channels");
        // Each channel holds its own tone, so that a swapped or skipped channel shows.
        const auto tone = [] (int channel, int frame)
        { return testwav::sine (frame, 300.0 + 211.0 * channel, 44100.0); };
        const auto file = testwav::writeWav (folder.get().getNonexistentChildFile ("depth", ".wav"), c.rate, c.channels,
                                             5000, c.bits, tone);

        AudioSampleFile sample;
        ASSERT_TRUE (sample.loadFile (file));
        ASSERT_EQ (sample.getAudio().getNumChannels(), 2);
        ASSERT_EQ (sample.getAudio().getNumSamples(), 5000);
        EXPECT_EQ (sample.getSampleRate(), c.rate);

        const auto tolerance = std::ldexp (1.5, 1 - c.bits);
        for (int frame = 0; frame < 5000; frame += 37)
        {
            EXPECT_NEAR (sample.getAudio().getSample (0, frame), tone (0, frame), tolerance);
            // A mono file's single channel fills the right side too.
            EXPECT_NEAR (sample.getAudio().getSample (1, frame), tone (c.channels == 1 ? 0 : 1, frame), tolerance);
        }
    }
}

TEST (AudioSampleFile, NonFiniteFloatSamplesLoadAsSilence)
{
    const ScopedTestFolder folder;
    const auto file = testwav::writeWav (folder.get().getChildFile ("nan.wav"), 44100.0, 2, 100, 32,
                                         [] (int channel, int frame)
                                         {
                                             if (frame == 10)
                                                 return std::numeric_limits<float>::quiet_NaN();
                                             if (frame == 11)
                                                 return channel == 0 ? std::numeric_limits<float>::infinity()
                                                                     : -std::numeric_limits<float>::infinity();
                                             return 0.25f;
                                         });

    AudioSampleFile sample;
    ASSERT_TRUE (sample.loadFile (file));
    for (int c = 0; c < 2; ++c)
    {
        EXPECT_EQ (sample.getAudio().getSample (c, 9), 0.25f);
        EXPECT_EQ (sample.getAudio().getSample (c, 10), 0.0f);
        EXPECT_EQ (sample.getAudio().getSample (c, 11), 0.0f);
    }
}

TEST (AudioSampleFile, UnreadableFilesFailAndKeepThePreviousAudio)
{
    using Make = std::function<juce::String (const juce::File& folder)>;
    const auto raw = [] (const char* fileName, testwav::RawWav header)
    {
        return Make ([=] (const juce::File& folder)
                     { return writeBytes (folder.getChildFile (fileName), header.bytes()).getFullPathName(); });
    };

    const std::pair<const char*, Make> cases[] = {
        { "empty path", [] (const juce::File&) { return juce::String(); } },
        { "relative path", [] (const juce::File&) { return juce::String ("samples/known.wav"); } },
        { "missing file", [] (const juce::File& f) { return f.getChildFile ("missing.wav").getFullPathName(); } },
        { "folder", [] (const juce::File& f) { return f.getFullPathName(); } },
        // Opening a pipe nobody writes to waits forever.
        { "named pipe",
          [] (const juce::File& f)
          {
              const auto pipe = f.getChildFile ("pipe.wav");
              ::mkfifo (pipe.getFullPathName().toRawUTF8(), 0600);
              return pipe.getFullPathName();
          } },
        { "text named .wav",
          [] (const juce::File& f)
          {
              const auto file = f.getChildFile ("notes.wav");
              file.replaceWithText ("these are not the samples you are looking for\n");
              return file.getFullPathName();
          } },
        { "header cut short",
          [] (const juce::File& f)
          {
              auto bytes = testwav::wavBytes (44100.0, 2, 100, 16, twoTone);
              bytes.setSize (30);
              return writeBytes (f.getChildFile ("cut.wav"), bytes).getFullPathName();
          } },
        { "zero frames", raw ("empty.wav", { 1, 2, 44100, 16, 0, 0 }) },
        // JUCE's PCM reader makes no progress once a frame outgrows its read buffer: a hang.
        { "65535 channels", raw ("wide.wav", { 1, 65535, 44100, 16, 4000000, 4000 }) },
        { "zero bits", raw ("nobits.wav", { 1, 2, 44100, 0, 4000, 4000 }) },
        { "zero rate", raw ("norate.wav", { 1, 2, 0, 16, 4000, 4000 }) },
        { "compressed format tag", raw ("mp3.wav", { 0x55, 2, 44100, 16, 4000, 4000 }) },
        // An AIFF frame narrower than a byte makes JUCE's reader divide by zero.
        { "4-bit mono AIFF",
          [] (const juce::File& f) {
              return writeBytes (f.getChildFile ("nibble.aif"), testwav::aiffWithoutSoundData (1, 5000, 4))
                  .getFullPathName();
          } },
        { "0-bit AIFF",
          [] (const juce::File& f) {
              return writeBytes (f.getChildFile ("zero.aiff"), testwav::aiffWithoutSoundData (2, 5000, 0))
                  .getFullPathName();
          } },
    };

    for (const auto& [description, make] : cases)
    {
        SCOPED_TRACE (description);
        LoadedSample loaded;
        EXPECT_FALSE (loaded.sample.loadFile (make (loaded.folder.get())));
        loaded.expectUnchanged();
    }
}

TEST (AudioSampleFile, EmbeddedTextRoundTripsTheAudioWithItsMetadata)
{
    LoadedSample loaded;
    const auto text = loaded.sample.toEmbeddedText();
    ASSERT_TRUE (text.isNotEmpty());

    AudioSampleFile copy;
    ASSERT_TRUE (copy.loadEmbedded (text, "embedded file"));
    EXPECT_EQ (copy.getName(), "embedded file");
    EXPECT_EQ (copy.getSampleRate(), 22050.0);
    ASSERT_EQ (copy.getAudio().getNumSamples(), loaded.audioBefore.getNumSamples());
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < loaded.audioBefore.getNumSamples(); ++i)
            ASSERT_NEAR (copy.getAudio().getSample (c, i), loaded.audioBefore.getSample (c, i), 1.0 / 32767.0);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (bytes.fromBase64Encoding (text));
    const std::unique_ptr<juce::AudioFormatReader> reader (
        juce::WavAudioFormat().createReaderFor (new juce::MemoryInputStream (bytes, false), true));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->bitsPerSample, 16u);
    EXPECT_EQ (reader->numChannels, 2u);

    const auto& meta = reader->metadataValues;
    EXPECT_EQ (meta[juce::WavAudioFormat::bwavDescription], "known.wav");
    EXPECT_EQ (meta[juce::WavAudioFormat::bwavOriginator], "Vellmark Audio Thudmor");
    EXPECT_EQ (meta[juce::WavAudioFormat::bwavOriginatorRef], "Originator Ref");
    EXPECT_EQ (meta[juce::WavAudioFormat::bwavTimeReference], "0");
    EXPECT_EQ (meta[juce::WavAudioFormat::bwavCodingHistory], "Coding History");
    EXPECT_TRUE (std::regex_match (meta[juce::WavAudioFormat::bwavOriginationDate].toStdString(),
                                   std::regex (R"(\d{4}-\d{2}-\d{2})")));
    EXPECT_TRUE (std::regex_match (meta[juce::WavAudioFormat::bwavOriginationTime].toStdString(),
                                   std::regex (R"(\d{2}:\d{2}:\d{2})")));
}

TEST (AudioSampleFile, NoAudioGivesNoEmbeddedText) { EXPECT_TRUE (AudioSampleFile().toEmbeddedText().isEmpty()); }

TEST (AudioSampleFile, BadEmbeddedTextFailsAndKeepsThePreviousAudio)
{
    const auto encode = [] (const juce::MemoryBlock& bytes) { return bytes.toBase64Encoding(); };
    auto cutWav = testwav::wavBytes (44100.0, 2, 100, 16, twoTone);
    cutWav.setSize (20);

    const std::pair<const char*, juce::String> cases[] = {
        { "empty", {} },
        { "no count", "no dot in here" },
        { "nothing after the count", "12." },
        { "negative count", "-4.ABCDEFGH" },
        // JUCE would allocate whatever the count says before looking at the characters.
        { "count far beyond the text", "99999999999.ABCDEFGH" },
        { "not a number", "1e9.ABCDEFGH" },
        { "not a WAV", encode (juce::MemoryBlock ("plain words, not audio", 22)) },
        { "WAV cut short", encode (cutWav) },
        { "WAV without frames", encode (testwav::RawWav{ 1, 2, 44100, 16, 0, 0 }.bytes()) },
        { "65535 channels", encode (testwav::RawWav{ 1, 65535, 44100, 16, 4000000, 4000 }.bytes()) },
    };

    for (const auto& [description, text] : cases)
    {
        SCOPED_TRACE (description);
        LoadedSample loaded;
        EXPECT_FALSE (loaded.sample.loadEmbedded (text, "embedded file"));
        loaded.expectUnchanged();
    }
}

TEST (AudioSampleFile, EmbeddedHeaderClaimingGigabytesLoadsOnlyTheBytesPresent)
{
    const testwav::RawWav header{ 1, 2, 44100, 16, 0xfffffff0u, 4000 };

    AudioSampleFile sample;
    ASSERT_TRUE (sample.loadEmbedded (header.bytes().toBase64Encoding(), "embedded file"));
    EXPECT_GE (sample.getAudio().getNumSamples(), 1000);
    EXPECT_LE (sample.getAudio().getNumSamples(), (4000 + 44) / 4);
}
