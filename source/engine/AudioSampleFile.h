#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>

// Reads a sample file into a two-channel float buffer and converts audio to and from the
// embedded text form of preset data (a 16-bit WAV in JUCE's MemoryBlock base64 text).
class AudioSampleFile final
{
public:
    static constexpr int maximumFileFrames = 192000;

    AudioSampleFile();

    // At most 192000 frames, always two channels (mono fills both). On failure nothing changes.
    bool loadFile (const juce::File& file);
    bool loadFile (const juce::String& path);

    // Decodes the text and reads it as a WAV file (full length). On failure nothing changes.
    bool loadEmbedded (const juce::String& text, const juce::String& name);

    // The audio as a 16-bit WAV with broadcast-WAV metadata, in MemoryBlock base64 form;
    // empty when there is no audio or writing fails.
    [[nodiscard]] juce::String toEmbeddedText() const;

    [[nodiscard]] const juce::AudioBuffer<float>& getAudio() const noexcept { return audio; }
    [[nodiscard]] double getSampleRate() const noexcept { return sampleRate; }
    [[nodiscard]] const juce::String& getName() const noexcept { return name; }

private:
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
    juce::String name;
    juce::AudioFormatManager formats;
};
