// Keeps the factory presets in shape:
// - levels every main preset: renders it through the processor (note 36, velocity 127,
//   48 kHz) and sets its master level so that the kick peaks at -6 dBFS. The master level is
//   the last gain stage, so one correction lands exactly;
// - rewrites every preset (main and attack) whose text is not exactly what the plug-in
//   itself would write for it.
//
//   tune-factory-presets FACTORY_DIR           level and reformat in place
//   tune-factory-presets --check FACTORY_DIR   only report; exit 1 if anything is off

#include "presets/PresetFile.h"
#include "presets/PresetFileWriting.h"
#include "support/Folders.h"
#include "thudmor-render/KickRenderer.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <iostream>

namespace
{
constexpr float targetDecibels = -6.0f;
constexpr float acceptedError = 0.5f;
constexpr float retuneThreshold = 0.01f;
constexpr float highestMasterLevel = 2.0f;

juce::Array<juce::File> presetsBelow (const juce::File& folder)
{
    auto presets = folder.findChildFiles (juce::File::findFiles, true, "*.preset");
    presets.sort();
    return presets;
}

float renderPeakDecibels (const juce::File& preset, juce::String& error)
{
    KickRenderer renderer;
    error = renderer.loadMainPreset (preset.getFullPathName());
    if (error.isNotEmpty())
        return 0.0f;
    const auto audio = renderer.render ({});
    return juce::Decibels::gainToDecibels (audio.getMagnitude (0, audio.getNumSamples()), -100.0f);
}

// Sets the master level that moves the peak to the target; returns the new level, or a
// negative value when the file could not be changed.
float writeMasterLevel (const juce::File& preset, float peakDecibels, juce::String& error)
{
    PresetFile file;
    if (! file.read (preset.getFullPathName()))
    {
        error = file.getError();
        return -1.0f;
    }

    const auto* values = file.getXml().getChildByName ("float");
    const auto current = values != nullptr ? (float) values->getDoubleAttribute ("master_level", 0.5) : 0.5f;
    const auto level =
        std::min (current * juce::Decibels::decibelsToGain (targetDecibels - peakDecibels), highestMasterLevel);
    file.setFloat ("master_level", level);
    if (! file.write (preset.getFullPathName()))
    {
        error = file.getError();
        return -1.0f;
    }
    return level;
}

// Returns false when the file is not in the plug-in's own form (and, unless checking, could
// not be rewritten into it).
bool keepInCanonicalForm (const juce::File& preset, bool checkOnly, const juce::String& name)
{
    PresetFile file;
    if (! file.read (preset.getFullPathName()))
    {
        std::cout << name << " UNREADABLE: " << file.getError() << "\n";
        return false;
    }
    if (preset.loadFileAsString() == createPresetDocumentText (file.getXml()))
        return true;

    if (checkOnly || ! file.write (preset.getFullPathName()))
    {
        std::cout << name << (checkOnly ? " not in the plug-in's own format\n" : " REWRITE FAILED\n");
        return false;
    }
    std::cout << name << " reformatted\n";
    return true;
}

// Returns false when the preset cannot be rendered or levelled.
bool level (const juce::File& preset, bool checkOnly, const juce::String& name)
{
    juce::String error;
    const auto peak = renderPeakDecibels (preset, error);
    if (error.isNotEmpty())
    {
        std::cout << name << " FAILED: " << error << "\n";
        return false;
    }

    std::cout << name << " peak " << juce::String (peak, 2).paddedLeft (' ', 6) << " dBFS";
    if (checkOnly || std::abs (peak - targetDecibels) <= retuneThreshold)
    {
        const auto inside = std::abs (peak - targetDecibels) <= acceptedError;
        std::cout << (inside ? "\n" : "  OUTSIDE\n");
        return inside;
    }

    const auto newLevel = writeMasterLevel (preset, peak, error);
    if (newLevel < 0.0f)
    {
        std::cout << "  FAILED to write: " << error << "\n";
        return false;
    }
    const auto after = renderPeakDecibels (preset, error);
    const auto inside = error.isEmpty() && std::abs (after - targetDecibels) <= acceptedError;
    std::cout << "  -> master level " << juce::String (newLevel, 4) << ", peak " << juce::String (after, 2) << " dBFS"
              << (inside ? "\n" : "  OUTSIDE (master level limit)\n");
    return inside;
}
} // namespace

int main (int argc, char** argv)
{
    const auto checkOnly = argc == 3 && juce::String (argv[1]) == "--check";
    if (! (argc == 2 || checkOnly) || juce::String (argv[argc - 1]).startsWith ("-"))
    {
        std::cerr << "usage: tune-factory-presets [--check] FACTORY_DIR\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto factory = juce::File::getCurrentWorkingDirectory().getChildFile (argv[argc - 1]);
    const auto mainPresets = factory.getChildFile ("Presets/main");
    if (! mainPresets.isDirectory())
    {
        std::cerr << "tune-factory-presets: no Presets/main folder in " << factory.getFullPathName() << "\n";
        return 1;
    }
    setFactoryFolderOverride (factory);

    int problems = 0;
    for (const auto& preset : presetsBelow (factory.getChildFile ("Presets")))
    {
        const auto name =
            preset.getRelativePathFrom (factory.getChildFile ("Presets")).dropLastCharacters (7).paddedRight (' ', 32);
        if (! keepInCanonicalForm (preset, checkOnly, name))
            ++problems;
        else if (preset.isAChildOf (mainPresets) && ! level (preset, checkOnly, name))
            ++problems;
    }

    if (problems == 0)
        std::cout << "every preset is in the plug-in's format; every main preset peaks at -6 dBFS +- 0.5 dB\n";
    return problems == 0 ? 0 : 1;
}
