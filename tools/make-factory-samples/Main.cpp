// Writes the factory attack samples: one folder per bank below the folder given, one WAV
// file per recipe. The output depends only on the recipes, so the checked-in samples can be
// regenerated and compared byte for byte.

#include "FactoryBanks.h"
#include "TransientSynth.h"
#include "common/WavFileWriting.h"

#include <iostream>

int main (int argc, char** argv)
{
    if (argc != 2 || juce::String (argv[1]).startsWith ("-"))
    {
        std::cerr << "usage: make-factory-samples OUTPUT_FOLDER   (e.g. factory/Samples)\n";
        return 2;
    }

    const auto root = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    int written = 0;
    juce::int64 bytes = 0;
    for (const auto& bank : getFactoryBanks())
    {
        const auto folder = root.getChildFile (bank.name);
        if (const auto result = folder.createDirectory(); result.failed())
        {
            std::cerr << "make-factory-samples: cannot create " << folder.getFullPathName() << ": "
                      << result.getErrorMessage() << "\n";
            return 1;
        }

        for (const auto& recipe : bank.samples)
        {
            const auto file = folder.getChildFile (juce::String (recipe.name) + ".wav");
            const auto audio = renderTransient (recipe, bank.sampleRate, bank.channels);
            if (const auto error = writeWavFile (file, audio, bank.sampleRate, bank.bitsPerSample); error.isNotEmpty())
            {
                std::cerr << "make-factory-samples: " << error << "\n";
                return 1;
            }
            ++written;
            bytes += file.getSize();
        }
    }

    std::cout << "wrote " << written << " samples (" << (bytes + 1023) / 1024 << " KiB) into " << root.getFullPathName()
              << "\n";
    return 0;
}
