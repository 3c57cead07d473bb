#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <variant>

// What one invocation of thudmor-render asks for.
struct RenderOptions
{
    juce::String preset;           // a .preset path or a main preset name (single render)
    juce::File batchFolder;        // set for --batch: every preset below it
    juce::File output;             // -o: the WAV file, or the output folder with --batch
    juce::String attack1, attack2; // attack banks for layer 1 and 2 (path or name)
    int note = 36;
    int velocity = 127;
    int sampleRate = 48000;
    int bitsPerSample = 24;              // 32 means float
    std::optional<double> lengthSeconds; // default: the kick's length plus 50 ms
    juce::File picture;                  // --png
    juce::File factoryFolder;            // --factory-dir
    bool showHelp = false;

    [[nodiscard]] bool isBatch() const { return batchFolder != juce::File(); }
};

// The options, or one line saying what is wrong with the command line.
std::variant<RenderOptions, juce::String> parseRenderOptions (const juce::StringArray& arguments);

// The --help text.
juce::String getRenderHelpText();
