#pragma once

#include "common/LogCapture.h"
#include "common/TestEnvironment.h"
#include "params/GuiDocument.h"
#include "params/PresetGroupKeys.h"
#include "params/ProcessorParameterStore.h"
#include "presets/PresetStore.h"
#include "presets/PresetStoreList.h"
#include "presets/PresetTranslatorThudmor.h"
#include "support/Folders.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <array>
#include <memory>

// A processor's preset machinery without the processor: the parameter store built from
// the shipped document, the translator, the four stores in the processor's order, a fresh
// factory folder and an empty user preset folder. The log is captured from construction on.
class PresetTestRig
{
public:
    PresetTestRig()
    {
        setFactoryFolderOverride (factory.get());
        userPresets().deleteRecursively();

        parameters.buildFromDocument (getXmlConfiguration());
        parameters.copyValuesToDefaults();
        parameters.setTranslator (&translator);

        mainFactory = makeStore ("main", true);
        mainUser = makeStore ("main", false);
        attackFactory = makeStore ("attack", true);
        attackUser = makeStore ("attack", false);
        list.stores = { mainFactory.get(), mainUser.get(), attackFactory.get(), attackUser.get() };
        parameters.setPresetStores (&list);
        log.mark();
    }

    ~PresetTestRig() { setFactoryFolderOverride ({}); }

    PresetTestRig (const PresetTestRig&) = delete;
    PresetTestRig& operator= (const PresetTestRig&) = delete;

    std::unique_ptr<PresetStore> makeStore (const juce::String& folder, bool isFactory)
    {
        auto store = std::make_unique<PresetStore> (folder, isFactory, &translator, folder == "main" ? &list : nullptr);
        store->setParameterStore (&parameters);
        store->setGroupKeysSource ([this] (const juce::String& group) { return groups.getKeysOfGroup (group); });
        return store;
    }

    static juce::File userPresets() { return getUserDataFolder().getChildFile ("Presets"); }
    [[nodiscard]] juce::File factoryPresets() const { return factory.get().getChildFile ("Presets"); }

    [[nodiscard]] float value (const juce::String& key) const
    {
        return parameters.getValue (parameters.getParameterNumber (key));
    }
    void setValue (const juce::String& key, float v) { parameters.setValue (parameters.getParameterNumber (key), v); }

    // Every parameter value, to show that something changed nothing.
    [[nodiscard]] std::array<float, Param::count> snapshot() const
    {
        std::array<float, Param::count> values{};
        for (int n = 0; n < Param::count; ++n)
            values[(size_t) n] = parameters.getValue (n);
        return values;
    }

    [[nodiscard]] juce::String dataText (const juce::String& key) const
    {
        const auto entry = parameters.getNonParameterDataCopy (key);
        return entry != nullptr ? entry->getAllSubText() : juce::String ("<missing>");
    }

    void setDataText (const juce::String& key, const juce::String& text)
    {
        juce::XmlElement entry (key);
        entry.addTextElement (text);
        parameters.setNonParameterData (entry);
    }

    LogCapture log; // first, so that everything below logs into the captured file
    ScopedTestFolder factory{ "factory" };
    PresetTranslatorThudmor translator;
    ProcessorParameterStore parameters;
    PresetGroupKeys groups;
    PresetStoreList list;
    std::unique_ptr<PresetStore> mainFactory, mainUser, attackFactory, attackUser;
};

// Writes text into a file, creating its folders.
inline juce::File writeTextFile (const juce::File& file, const juce::String& text)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithText (text);
    return file;
}

// A short 16-bit WAV whose left channel ramps and right channel is silent.
inline juce::File writeTestWav (const juce::File& file, int frames = 64, double sampleRate = 44100.0)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();

    juce::AudioBuffer<float> audio (2, frames);
    audio.clear();
    for (int i = 0; i < frames; ++i)
        audio.setSample (0, i, (float) i / (float) frames);

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), sampleRate, 2, 16, {}, 0));
    if (writer != nullptr)
        writer->writeFromAudioSampleBuffer (audio, 0, frames);
    return file;
}

inline juce::String readFileText (const juce::File& file) { return file.loadFileAsString(); }
