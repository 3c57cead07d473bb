#pragma once

#include <juce_core/juce_core.h>

#include <vector>

class PresetStore;

// The processor's four preset stores, in the order (main, factory), (main, user),
// (attack, factory), (attack, user), and the main store that last loaded a preset.
struct PresetStoreList
{
    std::vector<PresetStore*> stores;
    PresetStore* lastLoadedStore = nullptr;
};

// The first store of that folder and location; logs and falls back to the first store of
// the list (null for an empty list) when there is none.
PresetStore* getPresetStore (PresetStoreList& list, const juce::String& folder, bool isFactory);
