#include "common/WavFileWriting.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

juce::String writeWavFile (const juce::File& target, const juce::AudioBuffer<float>& audio, double sampleRate,
                           int bitsPerSample)
{
    if (bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32)
        return "unsupported bit depth " + juce::String (bitsPerSample);

    const auto folder = target.getParentDirectory();
    if (! folder.isDirectory() || target.isDirectory())
        return "cannot write " + target.getFullPathName() + ": no such folder";

    const juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);
    {
        auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());
        if (! stream->openedOk())
            return "cannot write " + target.getFullPathName() + ": " + stream->getStatus().getErrorMessage();

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (
            stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), bitsPerSample, {}, 0));
        if (writer == nullptr)
            return "cannot write " + target.getFullPathName() + ": the WAV writer refused the format";
        stream.release(); // the writer owns the stream from here on

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return "cannot write " + target.getFullPathName() + ": writing the audio failed";
        writer.reset(); // completes the header and closes the file

        const auto audioBytes = (juce::int64) audio.getNumSamples() * audio.getNumChannels() * bitsPerSample / 8;
        if (temporary.getFile().getSize() < audioBytes + 44)
            return "cannot write " + target.getFullPathName() + ": the file came out short (disk full?)";
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        return "cannot write " + target.getFullPathName() + ": renaming the finished file failed";
    return {};
}
