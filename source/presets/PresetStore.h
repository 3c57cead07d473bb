#pragma once

#include "presets/PresetStoreList.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <utility>

class EditorParameterStore;
class PresetConverter;
class PresetTranslatorThudmor;
class ProcessorParameterStore;

// The presets of one kind ("main" or "attack") in one location (factory or user): loads
// them into the processor's parameter store and saves the current settings as presets.
// Failures are kept as a pending error that the caller takes.
class PresetStore final
{
public:
    // The keys a preset of a group holds; an unknown group gives an empty list.
    using GroupKeysSource = std::function<juce::StringArray (const juce::String& group)>;

    // A user store creates its root folder and checks that it can write there; a factory
    // store never touches its folder. Main stores pass the processor's list so that they
    // can tell it which of them loaded last.
    PresetStore (const juce::String& folder, bool isFactory, PresetTranslatorThudmor* translator,
                 PresetStoreList* storeList);

    PresetStore (const PresetStore&) = delete;
    PresetStore& operator= (const PresetStore&) = delete;

    // `name` is relative to the root and may contain sub-folders; a name beginning with "/"
    // or "~" is an absolute path. The extension becomes ".preset".
    bool loadByName (const juce::String& name, PresetConverter* converter = nullptr);
    bool load (const juce::String& path, PresetConverter* converter = nullptr);

    // Saves the keys of the preset group under `name` (relative to the root, as loadByName).
    bool saveCurrentPreset (const juce::String& name, PresetConverter* converter = nullptr);
    bool write (const juce::String& name, const juce::XmlElement& document);

    // Returns the pending failure and clears it.
    std::pair<bool, juce::String> takeError();
    [[nodiscard]] bool hasPendingError() const noexcept { return hasError; }

    [[nodiscard]] const juce::String& getRoot() const noexcept { return root; }
    [[nodiscard]] const juce::String& getCurrentFile() const noexcept { return currentFile; }
    [[nodiscard]] bool getIsFactory() const noexcept { return isFactory; }
    [[nodiscard]] const juce::String& getFolder() const noexcept { return folder; }
    [[nodiscard]] const juce::String& getPresetGroup() const noexcept { return presetGroup; }

    void setPresetGroup (const juce::String& group) { presetGroup = group; }
    void setParameterStore (ProcessorParameterStore* store) noexcept { parameterStore = store; }
    void setEditorStore (EditorParameterStore* store) noexcept { editorStore = store; }
    void setGroupKeysSource (GroupKeysSource source) { groupKeys = std::move (source); }

    static constexpr const char* invalidNameText =
        "Invalid characters in preset name, or no name at all.  Stick to letters, numbers, spaces and dash.";
    static constexpr const char* factoryWriteText =
        "You can't save to the factory presets folder.  Select the user presets, and optionally a subfolder to save.";

    // Letters A to Z, digits, spaces, dashes and underscores after the last "/"; sub-folder
    // parts are not checked.
    [[nodiscard]] static bool isValidPresetName (const juce::String& name);

private:
    void fail (const juce::String& text);
    [[nodiscard]] juce::File fileForName (const juce::String& name) const;
    [[nodiscard]] std::unique_ptr<juce::XmlElement> createCurrentPresetDocument() const;

    juce::String folder;
    bool hasError = false;
    juce::String errorText;
    bool isFactory = false;
    juce::String root;
    juce::String currentFile;
    juce::String presetGroup;
    ProcessorParameterStore* parameterStore = nullptr;
    EditorParameterStore* editorStore = nullptr; // supplies the key lists once an editor is open
    PresetTranslatorThudmor* translator = nullptr;
    PresetStoreList* storeList = nullptr;
    GroupKeysSource groupKeys;
};

// Loads the preset "Default" into the store during processor construction: the user's main
// preset first, then the factory's; without either the document defaults stay.
void loadDefaultPresets (PresetStoreList& list, ProcessorParameterStore& store);
