#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <functional>

// Sample files made on the fly: the value of a frame is a function of channel and frame.
namespace testwav
{
using Generator = std::function<float (int channel, int frame)>;

inline float sine (int frame, double frequency, double rate)
{
    return (float) (0.5 * std::sin (juce::MathConstants<double>::twoPi * frequency * frame / rate));
}

inline juce::AudioBuffer<float> makeAudio (int channels, int frames, const Generator& generator)
{
    juce::AudioBuffer<float> audio (channels, frames);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < frames; ++i)
            audio.setSample (c, i, generator (c, i));
    return audio;
}

inline juce::MemoryBlock wavBytes (double rate, int channels, int frames, int bits, const Generator& generator)
{
    juce::MemoryBlock bytes;
    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (
            new juce::MemoryOutputStream (bytes, false), rate, (unsigned int) channels, bits, {}, 0));
        const auto audio = makeAudio (channels, frames, generator);
        writer->writeFromAudioSampleBuffer (audio, 0, frames);
    }
    return bytes;
}

inline juce::File writeWav (const juce::File& file, double rate, int channels, int frames, int bits,
                            const Generator& generator)
{
    const auto bytes = wavBytes (rate, channels, frames, bits, generator);
    file.replaceWithData (bytes.getData(), bytes.getSize());
    return file;
}

// A RIFF WAVE file written byte by byte, so that headers can say anything at all.
struct RawWav
{
    int format = 1;
    int channels = 2;
    int rate = 44100;
    int bits = 16;
    juce::uint32 claimedDataBytes = 0; // what the data chunk header says
    int actualDataBytes = 0;           // what follows it

    [[nodiscard]] juce::MemoryBlock bytes() const
    {
        juce::MemoryOutputStream out;
        out.write ("RIFF", 4);
        out.writeInt (36 + actualDataBytes);
        out.write ("WAVEfmt ", 8);
        out.writeInt (16);
        out.writeShort ((short) format);
        out.writeShort ((short) channels);
        out.writeInt (rate);
        out.writeInt ((int) ((juce::int64) rate * channels * bits / 8)); // may wrap: headers say anything
        out.writeShort ((short) ((juce::int64) channels * bits / 8));
        out.writeShort ((short) bits);
        out.write ("data", 4);
        out.writeInt ((int) claimedDataBytes);
        for (int i = 0; i < actualDataBytes; ++i)
            out.writeByte ((char) (i * 7));
        return out.getMemoryBlock();
    }
};

// An AIFF file with only a COMM chunk: its sample count comes straight from the header.
inline juce::MemoryBlock aiffWithoutSoundData (int channels, int frames, int bits)
{
    juce::MemoryOutputStream out;
    out.write ("FORM", 4);
    out.writeIntBigEndian (4 + 8 + 18);
    out.write ("AIFFCOMM", 8);
    out.writeIntBigEndian (18);
    out.writeShortBigEndian ((short) channels);
    out.writeIntBigEndian (frames);
    out.writeShortBigEndian ((short) bits);
    const unsigned char rate44100[10] = { 0x40, 0x0e, 0xac, 0x44, 0, 0, 0, 0, 0, 0 };
    out.write (rate44100, sizeof (rate44100));
    return out.getMemoryBlock();
}
} // namespace testwav
