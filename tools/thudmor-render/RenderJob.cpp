#include "thudmor-render/RenderJob.h"

#include "common/WavFileWriting.h"
#include "thudmor-render/KickRenderer.h"
#include "thudmor-render/WaveformPicture.h"

#include <cmath>

namespace
{
juce::String checkWritable (const juce::File& target)
{
    const auto folder = target.getParentDirectory();
    if (target.isDirectory())
        return "cannot write " + target.getFullPathName() + ": it is a folder";
    if (! folder.isDirectory())
        return "cannot write " + target.getFullPathName() + ": the folder " + folder.getFullPathName()
               + " does not exist";
    if (! folder.hasWriteAccess() || (target.exists() && ! target.hasWriteAccess()))
        return "cannot write " + target.getFullPathName() + ": permission denied";
    return {};
}

// "Default + Snaps (layer 2)": what the picture shows, in words.
juce::String describe (const juce::String& presetName, const RenderOptions& options)
{
    auto text = presetName;
    const auto bankName = [] (const juce::String& bank)
    { return bank.fromLastOccurrenceOf ("/", false, false).upToLastOccurrenceOf (".preset", false, true); };
    if (options.attack1.isNotEmpty())
        text << " + " << bankName (options.attack1) << " (layer 1)";
    if (options.attack2.isNotEmpty())
        text << " + " << bankName (options.attack2) << " (layer 2)";
    return text;
}

bool isFinite (const juce::AudioBuffer<float>& audio)
{
    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (! std::isfinite (audio.getSample (channel, i)))
                return false;
    return true;
}
} // namespace

RenderOutcome renderPresetToFiles (const RenderOptions& options, const juce::String& preset, const juce::File& wav,
                                   const juce::File& picture)
{
    RenderOutcome outcome;
    const auto fail = [&outcome] (const juce::String& error)
    {
        outcome.error = error;
        return outcome;
    };

    // Refuse early, before any file exists, so that a WAV never appears without its picture.
    if (auto error = checkWritable (wav); error.isNotEmpty())
        return fail (error);
    if (picture != juce::File())
        if (auto error = checkWritable (picture); error.isNotEmpty())
            return fail (error);

    KickRenderer renderer;
    if (auto error = renderer.loadMainPreset (preset); error.isNotEmpty())
        return fail (error);
    if (options.attack1.isNotEmpty())
        if (auto error = renderer.loadAttackBank (1, options.attack1); error.isNotEmpty())
            return fail (error);
    if (options.attack2.isNotEmpty())
        if (auto error = renderer.loadAttackBank (2, options.attack2); error.isNotEmpty())
            return fail (error);

    KickSettings settings;
    settings.note = options.note;
    settings.velocity = options.velocity;
    settings.sampleRate = options.sampleRate;
    settings.lengthSeconds = options.lengthSeconds;
    const auto audio = renderer.render (settings);
    if (! isFinite (audio))
        return fail ("the render of " + preset + " is not a finite signal");

    const auto peak = audio.getMagnitude (0, audio.getNumSamples());
    outcome.peakDecibels = juce::Decibels::gainToDecibels (peak, -100.0f);
    outcome.seconds = audio.getNumSamples() / (double) options.sampleRate;

    if (auto error = writeWavFile (wav, audio, options.sampleRate, options.bitsPerSample); error.isNotEmpty())
        return fail (error);

    if (picture != juce::File())
    {
        const auto caption = describe (renderer.getPresetName(), options) + "   note " + juce::String (options.note)
                             + ", velocity " + juce::String (options.velocity) + ", "
                             + juce::String (options.sampleRate) + " Hz   peak "
                             + juce::String (outcome.peakDecibels, 1) + " dBFS";
        if (auto error = writePngFile (picture, drawWaveformPicture (audio, options.sampleRate, caption));
            error.isNotEmpty())
        {
            wav.deleteFile(); // both or neither
            return fail (error);
        }
    }
    return outcome;
}
