#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>
#include <optional>

class VellmarkKick7702AudioProcessor;

// How one kick is played.
struct KickSettings
{
    int note = 36;
    int velocity = 127;
    int sampleRate = 48000;
    std::optional<double> lengthSeconds; // default: the kick's own length plus 50 ms
};

// One plug-in processor, used as a host would use it: presets and banks are loaded through
// its own preset stores, and a kick is one note-on at the first sample of a fresh
// playback. Every failure comes back as one line of text naming the problem.
class KickRenderer final
{
public:
    KickRenderer();
    ~KickRenderer();

    KickRenderer (const KickRenderer&) = delete;
    KickRenderer& operator= (const KickRenderer&) = delete;

    // A path to a .preset file, or a main preset name looked up in the user's presets and
    // then in the factory's. Returns an empty text on success.
    juce::String loadMainPreset (const juce::String& pathOrName);

    // An attack bank (path or name, user banks first) for layer 1 or 2.
    juce::String loadAttackBank (int layer, const juce::String& pathOrName);

    // Renders the kick as the main stereo output. Waits until the attack samples of the
    // loaded preset are in place.
    [[nodiscard]] juce::AudioBuffer<float> render (const KickSettings& settings);

    [[nodiscard]] VellmarkKick7702AudioProcessor& getProcessor() noexcept { return *processor; }

    // The text of the file name of the last preset loaded, for captions.
    [[nodiscard]] const juce::String& getPresetName() const noexcept { return presetName; }

private:
    std::unique_ptr<VellmarkKick7702AudioProcessor> processor;
    juce::String presetName;
};
