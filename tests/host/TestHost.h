#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <ostream>
#include <string>

enum class PluginFormatKind
{
    vst3,
    lv2
};

[[nodiscard]] std::string formatLabel (PluginFormatKind kind);

// How GoogleTest names a format in parameterised test names.
inline void PrintTo (PluginFormatKind kind, std::ostream* stream) { *stream << formatLabel (kind); }

// The host side of the tests: JUCE's VST3 and LV2 hosting, pointed at the bundles this build
// made. One exists while the tests run, on the message thread (main's thread).
class TestHost final
{
public:
    TestHost();
    ~TestHost();

    TestHost (const TestHost&) = delete;
    TestHost& operator= (const TestHost&) = delete;

    [[nodiscard]] static TestHost& get();

    // The plug-in's description as the format reads it from the bundle; null when the bundle
    // holds no loadable plug-in. Scanned once per format.
    [[nodiscard]] const juce::PluginDescription* findDescription (PluginFormatKind kind);

    // A new instance, created synchronously on the message thread as a DAW does; null with
    // the format's error text when it cannot be made.
    [[nodiscard]] std::unique_ptr<juce::AudioPluginInstance> createInstance (PluginFormatKind kind, double sampleRate,
                                                                             int blockSize, juce::String& error);

private:
    juce::AudioPluginFormat& formatOf (PluginFormatKind kind);

    juce::AudioPluginFormatManager formats;
    juce::OwnedArray<juce::PluginDescription> vst3Descriptions;
    juce::OwnedArray<juce::PluginDescription> lv2Descriptions;
    bool vst3Scanned = false;
    bool lv2Scanned = false;
};
