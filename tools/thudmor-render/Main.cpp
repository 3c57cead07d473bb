// thudmor-render: plays one note through the plug-in's processor, offline, and writes the
// kick to a WAV file (and optionally a picture of it); or does so for a folder of presets.

#include "support/Folders.h"
#include "thudmor-render/BatchRender.h"
#include "thudmor-render/RenderJob.h"
#include "thudmor-render/RenderOptions.h"

#include <juce_events/juce_events.h>

#include <cstring>
#include <iostream>

namespace
{
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int renderSingle (const RenderOptions& options)
{
    const auto outcome = renderPresetToFiles (options, options.preset, options.output, options.picture);
    if (outcome.error.isNotEmpty())
    {
        std::cerr << "thudmor-render: " << outcome.error << std::endl;
        return exitFailure;
    }

    std::cout << "wrote " << options.output.getFullPathName() << " (" << options.sampleRate << " Hz, "
              << options.bitsPerSample << " bit, " << juce::String (outcome.seconds, 3) << " s, peak "
              << juce::String (outcome.peakDecibels, 1) << " dBFS)";
    if (options.picture != juce::File())
        std::cout << " and " << options.picture.getFullPathName();
    std::cout << std::endl;
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::createStringFromData (argv[i], (int) std::strlen (argv[i])));

    const auto parsed = parseRenderOptions (arguments);
    if (const auto* error = std::get_if<juce::String> (&parsed))
    {
        std::cerr << "thudmor-render: " << *error << std::endl;
        return exitUsage;
    }

    const auto& options = std::get<RenderOptions> (parsed);
    if (options.showHelp)
    {
        std::cout << getRenderHelpText();
        return 0;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    if (options.factoryFolder != juce::File())
        setFactoryFolderOverride (options.factoryFolder);

    return options.isBatch() ? runBatchRender (options) : renderSingle (options);
}
