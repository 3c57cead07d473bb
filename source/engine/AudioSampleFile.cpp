#include "engine/AudioSampleFile.h"

#include <cmath>
#include <limits>
#include <span>

namespace
{
// Channel counts beyond this are not audio anyone records; JUCE's PCM readers also stop
// making progress once a frame no longer fits their fixed read buffer.
constexpr unsigned int maximumChannels = 64;
constexpr double maximumSampleRate = 1.0e7;

bool isSaneReader (const juce::AudioFormatReader& reader)
{
    const auto bits = reader.bitsPerSample;
    return reader.numChannels >= 1 && reader.numChannels <= maximumChannels && bits >= 1 && bits <= 32
           && reader.numChannels * bits >= 8 // a zero-byte frame makes the PCM readers divide by zero
           && std::isfinite (reader.sampleRate) && reader.sampleRate > 0.0 && reader.sampleRate <= maximumSampleRate
           && reader.lengthInSamples > 0;
}

// Headers state lengths freely; the PCM formats cannot hold more frames than their bytes,
// so a damaged header never makes us allocate for audio that is not there.
juce::int64 framesTheBytesCanHold (const juce::AudioFormatReader& reader, juce::int64 totalBytes)
{
    const auto name = reader.getFormatName();
    if (totalBytes < 0 || ! (name.startsWithIgnoreCase ("WAV") || name.startsWithIgnoreCase ("AIFF")))
        return std::numeric_limits<juce::int64>::max();

    return totalBytes * 8 / (juce::int64) (reader.numChannels * reader.bitsPerSample);
}

// Reads the first one or two channels into a two-channel buffer (mono fills both), with
// anything that is not a finite number made silent.
bool readTwoChannels (juce::AudioFormatReader& reader, juce::int64 maximumFrames, juce::int64 totalBytes,
                      juce::AudioBuffer<float>& result)
{
    if (! isSaneReader (reader))
        return false;

    const auto frames = std::min ({ reader.lengthInSamples, maximumFrames, framesTheBytesCanHold (reader, totalBytes),
                                    (juce::int64) std::numeric_limits<int>::max() });
    if (frames <= 0)
        return false;

    juce::AudioBuffer<float> buffer (2, (int) frames);
    buffer.clear();
    if (! reader.read (buffer.getArrayOfWritePointers(), 2, 0, (int) frames))
        return false;

    if (reader.numChannels == 1)
        buffer.copyFrom (1, 0, buffer, 0, 0, (int) frames);

    for (int channel = 0; channel < 2; ++channel)
        for (auto& sample : std::span (buffer.getWritePointer (channel), (size_t) frames))
            if (! std::isfinite (sample))
                sample = 0.0f;

    result = std::move (buffer);
    return true;
}

// JUCE's decoder sizes its block from the count before the dot without looking at the
// text; a count the characters cannot back would allocate whatever it claims.
bool decodeBase64Safely (const juce::String& text, juce::MemoryBlock& bytes)
{
    const auto dot = text.indexOfChar ('.');
    if (dot <= 0)
        return false;

    const auto countText = text.substring (0, dot).trim();
    if (! countText.containsOnly ("0123456789"))
        return false;

    const auto count = countText.getLargeIntValue();
    const auto characters = (juce::int64) text.length() - dot - 1;
    if (count <= 0 || count > characters * 6 / 8 + 1)
        return false;

    return bytes.fromBase64Encoding (text);
}
} // namespace

AudioSampleFile::AudioSampleFile() { formats.registerBasicFormats(); }

bool AudioSampleFile::loadFile (const juce::String& path)
{
    if (path.isEmpty() || ! juce::File::isAbsolutePath (path))
        return false;
    return loadFile (juce::File (path));
}

bool AudioSampleFile::loadFile (const juce::File& file)
{
    // Pipes and device files report no size; opening a pipe that nobody writes to, or
    // reading an endless device, would never return.
    if (file == juce::File() || ! file.existsAsFile() || file.getSize() <= 0)
        return false;

    const std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    if (reader == nullptr)
        return false;

    juce::AudioBuffer<float> loaded;
    if (! readTwoChannels (*reader, maximumFileFrames, file.getSize(), loaded))
        return false;

    audio = std::move (loaded);
    sampleRate = reader->sampleRate;
    name = file.getFileName();
    return true;
}

bool AudioSampleFile::loadEmbedded (const juce::String& text, const juce::String& newName)
{
    juce::MemoryBlock bytes;
    if (! decodeBase64Safely (text, bytes))
        return false;

    const auto totalBytes = (juce::int64) bytes.getSize();
    juce::WavAudioFormat wav;
    const std::unique_ptr<juce::AudioFormatReader> reader (
        wav.createReaderFor (new juce::MemoryInputStream (std::move (bytes)), true));
    if (reader == nullptr)
        return false;

    juce::AudioBuffer<float> loaded;
    if (! readTwoChannels (*reader, std::numeric_limits<juce::int64>::max(), totalBytes, loaded))
        return false;

    audio = std::move (loaded);
    sampleRate = reader->sampleRate;
    name = newName;
    return true;
}

juce::String AudioSampleFile::toEmbeddedText() const
{
    const auto channels = std::min (audio.getNumChannels(), 2);
    if (channels == 0 || audio.getNumSamples() == 0 || sampleRate <= 0.0)
        return {};

    const auto now = juce::Time::getCurrentTime();
    juce::StringPairArray metadata;
    metadata.set (juce::WavAudioFormat::bwavDescription, name);
    metadata.set (juce::WavAudioFormat::bwavOriginator, "Vellmark Audio Thudmor");
    metadata.set (juce::WavAudioFormat::bwavOriginatorRef, "Originator Ref");
    metadata.set (juce::WavAudioFormat::bwavOriginationDate, now.formatted ("%Y-%m-%d"));
    metadata.set (juce::WavAudioFormat::bwavOriginationTime, now.formatted ("%H:%M:%S"));
    metadata.set (juce::WavAudioFormat::bwavTimeReference, "0");
    metadata.set (juce::WavAudioFormat::bwavCodingHistory, "Coding History");

    juce::MemoryBlock bytes;
    {
        auto stream = std::make_unique<juce::MemoryOutputStream> (bytes, false);
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (stream.get(), sampleRate, (unsigned int) channels, 16, metadata, 0));
        if (writer == nullptr)
            return {};
        stream.release(); // the writer owns it now and completes the header when it goes

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return {};
    }

    return bytes.toBase64Encoding();
}
