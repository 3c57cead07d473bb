#include "thudmor-render/BatchRender.h"

#include "thudmor-render/RenderJob.h"

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace
{
constexpr int barWidth = 30;

class ProgressBar
{
public:
    explicit ProgressBar (int totalToShow)
        : total (totalToShow)
        , enabled (::isatty (STDOUT_FILENO) != 0)
    {
    }

    void show (int done, const juce::String& current) const
    {
        if (! enabled)
            return;
        const auto filled = total > 0 ? done * barWidth / total : barWidth;
        std::cout << "\r[" << std::string ((size_t) filled, '#') << std::string ((size_t) (barWidth - filled), '.')
                  << "] " << done << "/" << total << " " << current.substring (0, 40).paddedRight (' ', 40)
                  << std::flush;
    }

    void finish() const
    {
        if (enabled)
            std::cout << "\r" << std::string (barWidth + 60, ' ') << "\r" << std::flush;
    }

    // A message on another stream must not land in the middle of the bar.
    void interrupt() const { finish(); }

private:
    int total;
    bool enabled;
};

juce::Array<juce::File> findPresets (const juce::File& folder)
{
    juce::Array<juce::File> presets;
    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*.preset", juce::File::findFiles))
        presets.add (entry.getFile());
    presets.sort(); // a stable order makes runs comparable
    return presets;
}
} // namespace

int runBatchRender (const RenderOptions& options)
{
    const auto presets = findPresets (options.batchFolder);
    if (presets.isEmpty())
    {
        std::cerr << "thudmor-render: no .preset files below " << options.batchFolder.getFullPathName() << std::endl;
        return 1;
    }

    if (options.output.existsAsFile())
    {
        std::cerr << "thudmor-render: the output " << options.output.getFullPathName() << " is a file, not a folder"
                  << std::endl;
        return 1;
    }

    const ProgressBar progress (presets.size());
    int failures = 0;
    float quietest = 0.0f, loudest = -200.0f;

    for (int i = 0; i < presets.size(); ++i)
    {
        const auto& preset = presets.getReference (i);
        const auto relative = preset.getRelativePathFrom (options.batchFolder);
        progress.show (i, relative);

        const auto wav = options.output.getChildFile (relative).withFileExtension (".wav");
        auto outcome = RenderOutcome{};
        if (const auto created = wav.getParentDirectory().createDirectory(); created.failed())
            outcome.error =
                "cannot create " + wav.getParentDirectory().getFullPathName() + ": " + created.getErrorMessage();
        else
            outcome = renderPresetToFiles (options, preset.getFullPathName(), wav, {});

        if (outcome.error.isNotEmpty())
        {
            ++failures;
            progress.interrupt();
            std::cerr << "thudmor-render: " << relative << ": " << outcome.error << std::endl;
            continue;
        }
        quietest = std::min (quietest, outcome.peakDecibels);
        loudest = std::max (loudest, outcome.peakDecibels);
    }
    progress.show (presets.size(), "done");
    progress.finish();

    const auto rendered = presets.size() - failures;
    std::cout << "rendered " << rendered << " of " << presets.size() << " presets into "
              << options.output.getFullPathName() << ", " << failures << " failed";
    if (rendered > 0)
        std::cout << "; peaks from " << juce::String (quietest, 1) << " to " << juce::String (loudest, 1) << " dBFS";
    std::cout << std::endl;
    return failures == 0 ? 0 : 1;
}
